#include "app/measure/CaliDataListAdapter.h"

std::string CaliDataListAdapter::GetItemText(DuiLib::CControlUI* /*pList*/, int iItem, int iSubItem)
{
    if (iItem < 0 || iItem >= m_store->GetCount())
        return {};
    CaliData entry = m_store->GetAt(iItem);
    switch (iSubItem) {
    case 0:
        return std::to_string(iItem);
    case 1:
        return entry.name;
    case 2:
        return CaliDataStore::FormatValue(entry.value);
    case 3:
        return CaliDataStore::GetUnitName(entry.unit);
    default:
        return {};
    }
}
