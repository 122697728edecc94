#include "platform/duilib/CStdPtrArray.h"

namespace DuiLib {

int CStdPtrArray::Find(void* item) const
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i] == item)
            return static_cast<int>(i);
    }
    return -1;
}

bool CStdPtrArray::Add(void* item)
{
    m_items.push_back(item);
    return true;
}

bool CStdPtrArray::InsertAt(int index, void* item)
{
    if (index < 0 || index > GetSize())
        return false;
    m_items.insert(m_items.begin() + index, item);
    return true;
}

bool CStdPtrArray::SetAt(int index, void* item)
{
    if (index < 0 || index >= GetSize())
        return false;
    m_items[static_cast<size_t>(index)] = item;
    return true;
}

bool CStdPtrArray::Remove(int index)
{
    if (index < 0 || index >= GetSize())
        return false;
    m_items.erase(m_items.begin() + index);
    return true;
}

void* CStdPtrArray::GetAt(int index) const
{
    if (index < 0 || index >= GetSize())
        return nullptr;
    return m_items[static_cast<size_t>(index)];
}

}  // namespace DuiLib
