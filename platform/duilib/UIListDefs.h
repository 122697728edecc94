#pragma once
// What lists, combos and their items share: the drawing settings of the
// items (TListInfoUI), the owner interface an item reports to, and the item
// interface. UI thread only.

#include "platform/duilib/UIDefs.h"

#include <SFML/Graphics/RenderTarget.hpp>

namespace DuiLib {

class CControlUI;
class CContainerUI;
class CListHeaderUI;
class IListCallbackUI;

constexpr int UILIST_MAX_COLUMNS = 32;

struct TListInfoUI
{
    int nColumns = 0;
    RECT rcColumn[UILIST_MAX_COLUMNS]{};  // column edges, from the header items
    int nFont = -1;
    UINT uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT rcTextPadding{4, 0, 4, 0};
    DWORD dwTextColor = 0;
    DWORD dwBkColor = 0;
    DWORD dwSelectedTextColor = 0;
    DWORD dwSelectedBkColor = 0xFFC1E3FF;
    DWORD dwHotTextColor = 0;
    DWORD dwHotBkColor = 0xFFE9F5FF;
    DWORD dwDisabledTextColor = 0;
    DWORD dwDisabledBkColor = 0;
    DWORD dwLineColor = 0;
    bool bShowHtml = false;
    // Applies an "item..." attribute of a list or combo; false when it is none.
    bool SetAttribute(const char* name, const char* value);
};

// A list or combo as its items see it.
class IListOwnerUI
{
public:
    virtual ~IListOwnerUI() = default;
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    // Selects the item (or none for -1). When the selection changes the owner
    // sends "itemselect" (wParam new index, lParam old index).
    virtual bool SelectItem(int index, bool bTakeFocus = false) = 0;
};

class IListUI : public IListOwnerUI
{
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;
    virtual IListCallbackUI* GetTextCallback() const = 0;
    virtual void SetTextCallback(IListCallbackUI* callback) = 0;
};

class IListItemUI
{
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    // Marks the item selected; the owner's selection is not changed.
    virtual bool Select(bool select = true) = 0;
    virtual void DrawItemText(sf::RenderTarget& target, const RECT& rcItem) = 0;
};

// The item interface of a control, or null.
IListItemUI* AsListItem(CControlUI* control);

}  // namespace DuiLib
