// skin_pack: packs a skin folder into a ZIP archive, keeping the folder names
// ("xmls/...", "xmls/menus/...", "ui/...") as member names.
//
//   skin_pack <folder> <archive.zip> [list-file]
//
// Without a list file every regular file below the folder is packed; with one,
// only the files it names (one path relative to the folder per line), so that
// files left over from earlier builds stay out. Members are stored in name
// order with a fixed time stamp, so the same input gives the same archive.
// The archive is written next to its final name and renamed into place.

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// 1 January 2020, 00:00 UTC: any fixed time keeps archives reproducible.
constexpr time_t kFixedTime = 1577836800;

bool ListFolder(const fs::path& root, std::vector<std::string>& names)
{
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec))
            names.push_back(fs::relative(it->path(), root, ec).generic_string());
    }
    if (ec) {
        std::fprintf(stderr, "skin_pack: cannot read %s: %s\n", root.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

bool ReadList(const fs::path& listFile, std::vector<std::string>& names)
{
    std::ifstream in(listFile);
    if (!in) {
        std::fprintf(stderr, "skin_pack: cannot read %s\n", listFile.c_str());
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty())
            names.push_back(line);
    }
    return true;
}

bool AddMember(zip_t* archive, const fs::path& root, const std::string& name)
{
    const fs::path file = root / name;
    zip_source_t* source = zip_source_file(archive, file.c_str(), 0, -1);
    if (!source) {
        std::fprintf(stderr, "skin_pack: cannot open %s: %s\n", file.c_str(), zip_strerror(archive));
        return false;
    }
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        std::fprintf(stderr, "skin_pack: cannot add %s: %s\n", name.c_str(), zip_strerror(archive));
        return false;
    }
    // PNGs are compressed already; deflating them again only costs time.
    const bool stored = name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
    zip_set_file_compression(
        archive, static_cast<zip_uint64_t>(index), stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), kFixedTime, 0);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: skin_pack <folder> <archive.zip> [list-file]\n");
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path target = argv[2];
    std::vector<std::string> names;
    if (!(argc == 4 ? ReadList(argv[3], names) : ListFolder(root, names)))
        return 1;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());

    const fs::path temp = target.string() + ".part";
    std::error_code ec;
    fs::remove(temp, ec);
    int error = 0;
    zip_t* archive = zip_open(temp.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) {
        std::fprintf(stderr, "skin_pack: cannot create %s (libzip error %d)\n", temp.c_str(), error);
        return 1;
    }
    for (const std::string& name : names) {
        if (!AddMember(archive, root, name)) {
            zip_discard(archive);
            fs::remove(temp, ec);
            return 1;
        }
    }
    if (zip_close(archive) != 0) {
        std::fprintf(stderr, "skin_pack: cannot write %s: %s\n", temp.c_str(), zip_strerror(archive));
        zip_discard(archive);
        fs::remove(temp, ec);
        return 1;
    }
    fs::rename(temp, target, ec);
    if (ec) {
        std::fprintf(stderr, "skin_pack: cannot rename to %s: %s\n", target.c_str(), ec.message().c_str());
        return 1;
    }
    return 0;
}
