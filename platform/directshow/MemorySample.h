#pragma once
// Media samples over a byte buffer (internal). A BorrowedSample points at the
// device's buffer for the length of one Receive call and is never deleted
// through Release; an OwnedSample keeps its own copy and is reference counted.

#include <vector>

#include "platform/directshow/ComPtr.h"
#include "platform/directshow/DShowInterfaces.h"

namespace kelvara::dshow {

class BorrowedSample final : public IMediaSample
{
public:
    BorrowedSample(const BYTE* data, size_t length, REFERENCE_TIME time)
        : m_data(data)
        , m_length(length)
        , m_time(time)
    {
    }
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetPointer(BYTE** ppBuffer) override;
    long GetSize() override { return static_cast<long>(m_length); }
    HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    long GetActualDataLength() override { return static_cast<long>(m_length); }

private:
    const BYTE* m_data;
    size_t m_length;
    REFERENCE_TIME m_time;
};

class OwnedSample final : public IMediaSample
{
public:
    OwnedSample(std::vector<BYTE> data, REFERENCE_TIME time)
        : m_data(std::move(data))
        , m_time(time)
    {
    }
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    HRESULT GetPointer(BYTE** ppBuffer) override;
    long GetSize() override { return static_cast<long>(m_data.size()); }
    HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    long GetActualDataLength() override { return static_cast<long>(m_data.size()); }

    KELVARA_COM_REFCOUNT

private:
    std::vector<BYTE> m_data;
    REFERENCE_TIME m_time;
};

}  // namespace kelvara::dshow
