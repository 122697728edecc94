#pragma once
// The cell texts of the result list "MeasureDataList": one row of results per
// primitive, in the container's order. The main window keeps the rows in step
// with the container's messages (add, remove, clear, update).
//
// Threads: UI thread only.

#include "app/measure/MeasureRecords.h"
#include "platform/duilib/UIListCallback.h"

#include <string>
#include <vector>

namespace kelvara {

class MeasureListAdapter : public DuiLib::IListCallbackUI
{
public:
    // Columns: 0 row number, 1 centre, 2 start, 3 end, 4 width, 5 height,
    // 6 radius, 7 area, 8 length, 9 angle, 10 distance. A row or column
    // outside the list gives an empty text.
    std::string GetItemText(DuiLib::CControlUI* pList, int iItem, int iSubItem) override;

    // Appends a row of zeros (WM_MEASURE_ADD).
    void AddRow();
    // Removes a row; later rows move up (WM_MEASURE_REMOVE).
    void RemoveRow(int row);
    void Clear();
    // Refreshes a row from the container's result (WM_MEASURE_UPDATE).
    void SetRow(int row, const MeasureResult& result);
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }

private:
    std::vector<MeasureResult> m_rows;
};

}  // namespace kelvara
