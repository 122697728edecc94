#include "platform/duilib/CStdStringPtrMap.h"

namespace DuiLib {

void* CStdStringPtrMap::Find(const char* key, bool) const
{
    if (key == nullptr)
        return nullptr;
    auto it = m_index.find(key);
    return it == m_index.end() ? nullptr : m_entries[it->second].second;
}

bool CStdStringPtrMap::Insert(const char* key, void* data)
{
    if (key == nullptr || m_index.count(key))
        return false;
    m_index.emplace(key, m_entries.size());
    m_entries.emplace_back(key, data);
    return true;
}

void* CStdStringPtrMap::Set(const char* key, void* data)
{
    if (key == nullptr)
        return nullptr;
    auto it = m_index.find(key);
    if (it == m_index.end()) {
        Insert(key, data);
        return nullptr;
    }
    void* old = m_entries[it->second].second;
    m_entries[it->second].second = data;
    return old;
}

bool CStdStringPtrMap::Remove(const char* key)
{
    if (key == nullptr)
        return false;
    auto it = m_index.find(key);
    if (it == m_index.end())
        return false;
    // Move the last entry into the hole to keep removal O(1).
    size_t hole = it->second;
    m_index.erase(it);
    if (hole + 1 != m_entries.size()) {
        m_entries[hole] = std::move(m_entries.back());
        m_index[m_entries[hole].first] = hole;
    }
    m_entries.pop_back();
    return true;
}

void CStdStringPtrMap::RemoveAll()
{
    m_entries.clear();
    m_index.clear();
}

const char* CStdStringPtrMap::GetAt(int index) const
{
    if (index < 0 || index >= GetSize())
        return nullptr;
    return m_entries[static_cast<size_t>(index)].first.c_str();
}

}  // namespace DuiLib
