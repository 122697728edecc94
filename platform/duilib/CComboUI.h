#pragma once
// A drop-down list: shows the selected item's text; a click (or Alt+Down)
// opens a popup below it (above when there is no room) with the items,
// which are CListLabelElementUI rows owned by the combo. Choosing an item
// there, the arrow keys on the closed combo or SelectItem from code select
// it; a change of selection sends "itemselect" (wParam new index, lParam
// old) from the combo. The popup closes on a choice, Escape, Enter or a
// click outside. The wheel over a closed combo scrolls its container rather
// than changing the choice. UI thread only.

#include "platform/duilib/CContainerUI.h"
#include "platform/duilib/UIListDefs.h"

namespace DuiLib {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI
{
public:
    CComboUI();
    ~CComboUI() override;
    const char* GetClass() const override { return "ComboUI"; }
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool bTakeFocus = false) override;
    // Opens the drop-down; false when disabled or already open.
    bool Activate() override;
    bool IsDropped() const { return m_pWindow != nullptr; }
    // Closes the drop-down at once.
    void CloseDropDown();
    CComboWnd* GetDropWindow() const { return m_pWindow; }
    SIZE GetDropBoxSize() const { return m_szDropBox; }
    void SetDropBoxSize(SIZE size) { m_szDropBox = size; }
    RECT GetTextPadding() const { return m_rcTextPadding; }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetEnabled(bool enabled = true) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void DoPaint(sf::RenderTarget& target, const RECT& rcPaint) override;

private:
    friend class CComboWnd;
    void Reindex(int from);
    int FindSelectable(int index, int step) const;

    CComboWnd* m_pWindow = nullptr;  // the open drop-down; deletes itself when closed
    TListInfoUI m_ListInfo;
    int m_iCurSel = -1;
    SIZE m_szDropBox{0, 150};
    RECT m_rcTextPadding{4, 0, 20, 0};
    int m_iFont = -1;
    DWORD m_dwTextColor = 0;
    CDuiString m_sNormalImage;
    CDuiString m_sHotImage;
    CDuiString m_sPushedImage;
    CDuiString m_sDisabledImage;
    bool m_bHot = false;
};

}  // namespace DuiLib
