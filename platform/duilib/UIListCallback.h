#pragma once
// The text callback of list rows: a list asks it for the text of each cell.
// Called on the UI thread only.

#include <string>

namespace DuiLib {

class CControlUI;

class IListCallbackUI
{
public:
    virtual ~IListCallbackUI() = default;
    // UTF-8 text of the cell at row iItem, column iSubItem of pList.
    virtual std::string GetItemText(CControlUI* pList, int iItem, int iSubItem) = 0;
};

}  // namespace DuiLib
