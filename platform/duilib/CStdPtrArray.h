#pragma once
// An array of borrowed pointers, as DuiLib keeps its child and group lists.
// Holds no ownership. Used on one thread by whoever owns it.

#include <cstddef>
#include <vector>

namespace DuiLib {

class CStdPtrArray
{
public:
    void Empty() { m_items.clear(); }
    bool IsEmpty() const { return m_items.empty(); }
    int GetSize() const { return static_cast<int>(m_items.size()); }
    // Index of the first equal pointer, or -1.
    int Find(void* item) const;
    bool Add(void* item);
    bool InsertAt(int index, void* item);
    bool SetAt(int index, void* item);
    bool Remove(int index);
    // Null for an index out of range.
    void* GetAt(int index) const;
    void* operator[](int index) const { return GetAt(index); }
    void** GetData() { return m_items.data(); }

private:
    std::vector<void*> m_items;
};

}  // namespace DuiLib
