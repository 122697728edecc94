#pragma once
// IEnumPins / IEnumFilters over a snapshot of references (internal). Reset
// takes a fresh snapshot when the owner supplied a way to, so the usual loop
// "remove the filter, Reset, go on" sees the graph as it is now.

#include <functional>
#include <vector>

#include "platform/directshow/ComPtr.h"
#include "platform/directshow/DShowInterfaces.h"

namespace kelvara::dshow {

template <class Enum, class Item> class SnapshotEnumerator final : public Enum
{
public:
    using Refresh = std::function<std::vector<ComPtr<Item>>()>;

    SnapshotEnumerator(std::vector<ComPtr<Item>> items, const IID& iid, Refresh refresh = nullptr)
        : m_items(std::move(items))
        , m_iid(iid)
        , m_refresh(std::move(refresh))
    {
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == m_iid) {
            *ppv = static_cast<Enum*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT Next(ULONG count, Item** items, ULONG* fetched) override
    {
        if (!items || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && m_pos < m_items.size()) {
            items[n] = m_items[m_pos++].Get();
            items[n]->AddRef();
            ++n;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        m_pos += count;
        if (m_pos > m_items.size()) {
            m_pos = m_items.size();
            return S_FALSE;
        }
        return S_OK;
    }
    HRESULT Reset() override
    {
        if (m_refresh)
            m_items = m_refresh();
        m_pos = 0;
        return S_OK;
    }
    HRESULT Clone(Enum** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        auto* copy = new SnapshotEnumerator(m_items, m_iid, m_refresh);
        copy->m_pos = m_pos;
        *ppEnum = copy;
        return S_OK;
    }

    KELVARA_COM_REFCOUNT

private:
    std::vector<ComPtr<Item>> m_items;
    const IID m_iid;
    Refresh m_refresh;
    size_t m_pos = 0;
};

using PinEnumerator = SnapshotEnumerator<IEnumPins, IPin>;
using FilterEnumerator = SnapshotEnumerator<IEnumFilters, IBaseFilter>;

}  // namespace kelvara::dshow
