#pragma once
// A list: an optional header (CListHeaderUI with CListHeaderItemUI columns)
// above a scrolling body of rows (CListLabelElementUI, CListTextElementUI,
// CListContainerElementUI). Add/Remove/GetItemAt/GetCount work on the rows;
// a ListHeader or ListHeaderItem given to Add goes to the header. One row
// at a time is selected, by a click, the arrow, Home/End and Page keys, or
// SelectItem from code; a change of selection sends "itemselect" (wParam
// new index, lParam old) from the list. Rows of CListTextElementUI take
// their cell texts from the text callback when one is set. Only rows that
// intersect the visible part are painted. UI thread only.

#include "platform/duilib/CVerticalLayoutUI.h"
#include "platform/duilib/UIListDefs.h"

namespace DuiLib {

class CListUI : public CVerticalLayoutUI, public IListUI
{
public:
    CListUI();
    const char* GetClass() const override { return "ListUI"; }
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override { return UIFLAG_TABSTOP; }

    // Rows.
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // IListUI
    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool bTakeFocus = false) override;
    CListHeaderUI* GetHeader() const override { return m_pHeader; }
    CContainerUI* GetList() const override { return m_pList; }
    IListCallbackUI* GetTextCallback() const override { return m_pCallback; }
    void SetTextCallback(IListCallbackUI* callback) override;

    // Scrolls the row into view (rows above it keep their estimated heights).
    void EnsureVisible(int index);
    SIZE GetScrollPos() const;
    void SetScrollPos(SIZE pos);

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;

private:
    void Reindex(int from);
    // The nearest selectable row from index in direction step, or -1.
    int FindSelectable(int index, int step) const;
    void UpdateColumns();

    CListHeaderUI* m_pHeader;  // a child of this layout
    CVerticalLayoutUI* m_pList;  // the rows, a child of this layout
    TListInfoUI m_ListInfo;
    IListCallbackUI* m_pCallback = nullptr;
    int m_iCurSel = -1;
    bool m_bHeaderHidden = false;
};

}  // namespace DuiLib
