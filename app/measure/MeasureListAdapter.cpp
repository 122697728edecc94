#include "app/measure/MeasureListAdapter.h"

#include "app/measure/MeasureGeometry.h"

namespace kelvara {

std::string MeasureListAdapter::GetItemText(DuiLib::CControlUI*, int iItem, int iSubItem)
{
    if (iItem < 0 || iItem >= GetRowCount())
        return {};
    const MeasureResult& r = m_rows[static_cast<std::size_t>(iItem)];
    switch (iSubItem) {
    case 0:
        return Format("%d", iItem);
    case 1:
        return Format("(%.1f,%.1f)", r.centerX, r.centerY);
    case 2:
        return Format("(%.1f,%.1f)", r.startX, r.startY);
    case 3:
        return Format("(%.1f,%.1f)", r.endX, r.endY);
    case 4:
        return Format("%.2f", r.width);
    case 5:
        return Format("%.2f", r.height);
    case 6:
        return Format("%.2f", r.radius);
    case 7:
        return Format("%.4f", r.area);
    case 8:
        return Format("%.2f", r.length);
    case 9:
        return Format("%.2f", r.angle);
    case 10:
        return Format("%.2f", r.distance);
    default:
        return {};
    }
}

void MeasureListAdapter::AddRow()
{
    m_rows.emplace_back();
}

void MeasureListAdapter::RemoveRow(int row)
{
    if (row >= 0 && row < GetRowCount())
        m_rows.erase(m_rows.begin() + row);
}

void MeasureListAdapter::Clear()
{
    m_rows.clear();
}

void MeasureListAdapter::SetRow(int row, const MeasureResult& result)
{
    if (row >= 0 && row < GetRowCount())
        m_rows[static_cast<std::size_t>(row)] = result;
}

}  // namespace kelvara
