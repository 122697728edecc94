#pragma once
// A map from UTF-8 keys (matched exactly) to borrowed pointers. The map never
// frees its values: whoever inserts them frees them. Used on one thread.

#include <string>
#include <unordered_map>
#include <vector>

namespace DuiLib {

class CStdStringPtrMap
{
public:
    // Null when absent. The second argument exists for source compatibility.
    void* Find(const char* key, bool optimize = true) const;
    // Adds the entry; false (and no change) when the key is already present.
    bool Insert(const char* key, void* data);
    // Sets the entry and returns the value it replaced (null when new).
    void* Set(const char* key, void* data);
    bool Remove(const char* key);
    void RemoveAll();
    void Resize(int) { }
    int GetSize() const { return static_cast<int>(m_entries.size()); }
    // Key of the entry at index (insertion order, disturbed by Remove), or null.
    const char* GetAt(int index) const;
    const char* operator[](int index) const { return GetAt(index); }

private:
    std::vector<std::pair<std::string, void*>> m_entries;
    std::unordered_map<std::string, size_t> m_index;
};

}  // namespace DuiLib
