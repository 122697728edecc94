#pragma once
// Owning smart pointer for the layer's COM objects (internal).

#include <atomic>
#include <utility>

#include "platform/directshow/ComTypes.h"

namespace kelvara::dshow {

template <class T> class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) { }
    // Takes a new reference.
    explicit ComPtr(T* p)
        : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr& other)
        : ComPtr(other.m_p)
    {
    }
    ComPtr(ComPtr&& other) noexcept
        : m_p(std::exchange(other.m_p, nullptr))
    {
    }
    ~ComPtr() { Reset(); }
    ComPtr& operator=(const ComPtr& other)
    {
        ComPtr copy(other);
        std::swap(m_p, copy.m_p);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    // Adopts a reference the caller already owns.
    static ComPtr Attach(T* p)
    {
        ComPtr r;
        r.m_p = p;
        return r;
    }
    void Reset()
    {
        if (m_p)
            std::exchange(m_p, nullptr)->Release();
    }
    // Hands the reference out (for out-pointers).
    T* Detach() { return std::exchange(m_p, nullptr); }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T** AddressOf()
    {
        Reset();
        return &m_p;
    }

private:
    T* m_p = nullptr;
};

// Queries p for interface I; null when it lacks it.
template <class I> ComPtr<I> QueryAs(IUnknown* p, REFIID iid)
{
    I* out = nullptr;
    if (!p || FAILED(p->QueryInterface(iid, reinterpret_cast<void**>(&out))))
        return nullptr;
    return ComPtr<I>::Attach(out);
}

}  // namespace kelvara::dshow

// AddRef/Release for a class whose objects start with one reference (held by
// whoever created it) and delete themselves at zero.
#define KELVARA_COM_REFCOUNT                                                                                 \
public:                                                                                                      \
    ULONG AddRef() override                                                                                  \
    {                                                                                                        \
        return ++m_refCount;                                                                                 \
    }                                                                                                        \
    ULONG Release() override                                                                                 \
    {                                                                                                        \
        ULONG left = --m_refCount;                                                                           \
        if (left == 0)                                                                                       \
            delete this;                                                                                     \
        return left;                                                                                         \
    }                                                                                                        \
                                                                                                             \
private:                                                                                                     \
    std::atomic<ULONG> m_refCount{1};
