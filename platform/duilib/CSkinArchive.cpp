#include "platform/duilib/CSkinArchive.h"

#include <zip.h>

#include <cctype>

namespace DuiLib {

CSkinArchive::~CSkinArchive()
{
    Close();
}

std::string CSkinArchive::NormalizeName(const std::string& name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (c == '\\')
            c = '/';
        if (c == '/' && (out.empty() || out.back() == '/'))
            continue;  // Leading or doubled separators.
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool CSkinArchive::Open(const void* bytes, size_t size)
{
    Close();
    if (bytes == nullptr || size == 0)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bytes.assign(static_cast<const unsigned char*>(bytes), static_cast<const unsigned char*>(bytes) + size);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(m_bytes.data(), m_bytes.size(), 0, &error);
    if (source == nullptr) {
        zip_error_fini(&error);
        m_bytes.clear();
        return false;
    }
    m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (m_zip == nullptr) {
        zip_source_free(source);
        m_bytes.clear();
        return false;
    }
    zip_int64_t count = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (name != nullptr)
            m_index.emplace(NormalizeName(name), static_cast<unsigned long>(i));
    }
    return true;
}

void CSkinArchive::Close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_zip != nullptr)
        zip_discard(m_zip);
    m_zip = nullptr;
    m_index.clear();
    m_bytes.clear();
}

bool CSkinArchive::IsOpen() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_zip != nullptr;
}

int CSkinArchive::GetEntryCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_index.size());
}

bool CSkinArchive::Contains(const std::string& name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_index.count(NormalizeName(name)) != 0;
}

bool CSkinArchive::Read(const std::string& name, std::vector<unsigned char>& out) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_zip == nullptr)
        return false;
    auto it = m_index.find(NormalizeName(name));
    if (it == m_index.end())
        return false;
    zip_stat_t st;
    if (zip_stat_index(m_zip, it->second, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return false;
    zip_file_t* file = zip_fopen_index(m_zip, it->second, 0);
    if (file == nullptr)
        return false;
    out.resize(static_cast<size_t>(st.size));
    zip_int64_t got = out.empty() ? 0 : zip_fread(file, out.data(), out.size());
    zip_fclose(file);
    if (got < 0 || static_cast<zip_uint64_t>(got) != st.size) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace DuiLib
