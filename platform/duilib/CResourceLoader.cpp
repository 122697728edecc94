#include "platform/duilib/CResourceLoader.h"

#include "platform/duilib/CSkinArchive.h"

#include <dirent.h>
#include <fstream>
#include <mutex>
#include <strings.h>
#include <sys/stat.h>

namespace DuiLib {
namespace {

std::mutex g_mutex;  // Guards g_type and g_path.
int g_type = UILIB_FILE;
std::string g_path;

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& out)
{
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

void CResourceLoader::SetResourceType(int type)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_type = type;
}

int CResourceLoader::GetResourceType()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_type;
}

void CResourceLoader::SetResourcePath(const std::string& path)
{
    std::string p = path;
    for (char& c : p) {
        if (c == '\\')
            c = '/';
    }
    if (!p.empty() && p.back() != '/')
        p += '/';
    std::lock_guard<std::mutex> lock(g_mutex);
    g_path = p;
}

std::string CResourceLoader::GetResourcePath()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_path;
}

CSkinArchive& CResourceLoader::GetArchive()
{
    static CSkinArchive archive;
    return archive;
}

bool CResourceLoader::SetResourceZip(const void* bytes, unsigned int size)
{
    return GetArchive().Open(bytes, size);
}

std::string CResourceLoader::FindFileNoCase(const std::string& dir, const std::string& name)
{
    std::string current = dir.empty() ? "./" : dir;
    if (current.back() != '/')
        current += '/';
    size_t start = 0;
    std::string rel = name;
    for (char& c : rel) {
        if (c == '\\')
            c = '/';
    }
    while (start <= rel.size()) {
        size_t end = rel.find('/', start);
        std::string part = rel.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? rel.size() + 1 : end + 1;
        if (part.empty())
            continue;
        std::string exact = current + part;
        struct stat st;
        std::string found;
        if (stat(exact.c_str(), &st) == 0) {
            found = exact;
        } else if (DIR* d = opendir(current.c_str())) {
            while (dirent* e = readdir(d)) {
                if (strcasecmp(e->d_name, part.c_str()) == 0) {
                    found = current + e->d_name;
                    break;
                }
            }
            closedir(d);
        }
        if (found.empty())
            return std::string();
        current = found;
        if (start <= rel.size())
            current += '/';
    }
    return current;
}

bool CResourceLoader::ReadFile(const std::string& name, std::vector<unsigned char>& out)
{
    if (name.empty())
        return false;
    if (GetArchive().IsOpen() && GetArchive().Read(name, out))
        return true;
    std::string path = GetResourcePath();
    if (!path.empty() && ReadWholeFile(FindFileNoCase(path, name), out))
        return true;
    return ReadWholeFile(name, out);
}

}  // namespace DuiLib
