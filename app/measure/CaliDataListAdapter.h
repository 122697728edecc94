#pragma once
// Supplies the cells of the calibration list "CaliDataList" from the store:
// column 0 the row number, 1 the name, 2 the value ("%f"), 3 the unit name.
// Borrows the store, which must outlive it.
//
// UI thread only.

#include "app/measure/CaliDataStore.h"
#include "platform/duilib/UIListCallback.h"

class CaliDataListAdapter : public DuiLib::IListCallbackUI
{
public:
    explicit CaliDataListAdapter(CaliDataStore* store)
        : m_store(store)
    {
    }

    // Empty text for a row outside the store or an unknown column.
    std::string GetItemText(DuiLib::CControlUI* pList, int iItem, int iSubItem) override;

    // Same contract as CaliDataStore::Add.
    int Add(const CaliData& entry) { return m_store->Add(entry); }

private:
    CaliDataStore* m_store;
};
