#include "platform/duilib/UIResource.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct HRSRC__
{
    const void* data;
    size_t size;
};

namespace {

struct ResourceTable
{
    std::mutex mutex;  // guards everything below
    // Entries are never freed, so handles stay valid; a re-registered id
    // points the key at a new entry.
    std::vector<std::unique_ptr<HRSRC__>> entries;
    std::map<std::pair<unsigned, std::string>, HRSRC__*> index;
};

ResourceTable& Table()
{
    static ResourceTable* table = new ResourceTable;  // lives until the process ends
    return *table;
}

// Type key: the name in upper case, or "#n" for an integer type.
bool TypeKey(LPCSTR type, std::string& key)
{
    if (!type)
        return false;
    if (IS_INTRESOURCE(type)) {
        key = "#" + std::to_string(reinterpret_cast<uintptr_t>(type));
        return true;
    }
    key = type;
    if (key.empty())
        return false;
    std::transform(key.begin(), key.end(), key.begin(),
        [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (key.size() > 1 && key[0] == '#') {
        // "#10" is the integer type 10.
        char* end = nullptr;
        const unsigned long n = std::strtoul(key.c_str() + 1, &end, 10);
        if (*end == '\0')
            key = "#" + std::to_string(n);
    }
    return true;
}

bool NameId(LPCSTR name, unsigned& id)
{
    if (!name)
        return false;
    if (IS_INTRESOURCE(name)) {
        id = static_cast<unsigned>(reinterpret_cast<uintptr_t>(name));
        return true;
    }
    if (name[0] != '#' || name[1] == '\0')
        return false;  // resources are registered by number only
    char* end = nullptr;
    const unsigned long n = std::strtoul(name + 1, &end, 10);
    if (*end != '\0' || n > 0xFFFF)
        return false;
    id = static_cast<unsigned>(n);
    return true;
}

}  // namespace

bool RegisterResource(unsigned id, const char* type, const void* data, size_t size)
{
    std::string key;
    if (id > 0xFFFF || !TypeKey(type, key) || (!data && size != 0))
        return false;
    ResourceTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.entries.push_back(std::make_unique<HRSRC__>(HRSRC__{data, size}));
    table.index[{id, key}] = table.entries.back().get();
    return true;
}

HRSRC FindResource(HMODULE, LPCSTR name, LPCSTR type)
{
    unsigned id = 0;
    std::string key;
    if (!NameId(name, id) || !TypeKey(type, key))
        return nullptr;
    ResourceTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    const auto it = table.index.find({id, key});
    return it == table.index.end() ? nullptr : it->second;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    // The data is in memory already: the loaded handle is the entry itself.
    return reinterpret_cast<HGLOBAL>(resource);
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    return resource ? static_cast<DWORD>(resource->size) : 0;
}

void* LockResource(HGLOBAL loaded)
{
    return loaded ? const_cast<void*>(reinterpret_cast<HRSRC__*>(loaded)->data) : nullptr;
}
