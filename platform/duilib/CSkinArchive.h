#pragma once
// A skin ZIP archive read from memory. Names are looked up without regard to
// case and with "\" and "/" as the same separator, because skin files spell
// the same path both ways ("ui\x.png", "UI/x.png").
// Thread-safe: every operation may be called from any thread.

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

typedef struct zip zip_t;

namespace DuiLib {

class CSkinArchive
{
public:
    CSkinArchive() = default;
    ~CSkinArchive();
    CSkinArchive(const CSkinArchive&) = delete;
    CSkinArchive& operator=(const CSkinArchive&) = delete;

    // Opens the archive held in bytes (copied). False when it is no ZIP.
    bool Open(const void* bytes, size_t size);
    void Close();
    bool IsOpen() const;
    // Reads a whole member; false when absent or unreadable.
    bool Read(const std::string& name, std::vector<unsigned char>& out) const;
    bool Contains(const std::string& name) const;
    int GetEntryCount() const;

    // Lower-case name with "/" separators and no leading separator.
    static std::string NormalizeName(const std::string& name);

private:
    mutable std::mutex m_mutex;  // Guards everything below; libzip handles are not thread-safe.
    std::vector<unsigned char> m_bytes;
    zip_t* m_zip = nullptr;
    std::unordered_map<std::string, unsigned long> m_index;  // normalized name -> entry
};

}  // namespace DuiLib
