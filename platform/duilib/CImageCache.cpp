#include "platform/duilib/CImageCache.h"

#include "platform/duilib/CResourceLoader.h"
#include "platform/duilib/CSkinArchive.h"

#include <SFML/Graphics/Image.hpp>

#include <cstdio>
#include <vector>

namespace DuiLib {
namespace {

// A missing file is remembered as null so it is not read again on every paint.
// Never destroyed: textures must not outlive SFML's GL context at exit.
std::unordered_map<std::string, std::unique_ptr<TImageInfo>>& Images()
{
    static auto* images = new std::unordered_map<std::string, std::unique_ptr<TImageInfo>>();
    return *images;
}

}  // namespace

const TImageInfo* CImageCache::Get(const std::string& file)
{
    if (file.empty())
        return nullptr;
    std::string key = CSkinArchive::NormalizeName(file);
    auto it = Images().find(key);
    if (it != Images().end())
        return it->second.get();
    std::unique_ptr<TImageInfo> info;
    std::vector<unsigned char> bytes;
    sf::Image image;
    if (CResourceLoader::ReadFile(file, bytes) && image.loadFromMemory(bytes.data(), bytes.size())) {
        info = std::make_unique<TImageInfo>();
        if (info->texture.loadFromImage(image)) {
            info->nX = static_cast<int>(image.getSize().x);
            info->nY = static_cast<int>(image.getSize().y);
        } else {
            info.reset();
        }
    }
    if (!info)
        std::fprintf(stderr, "DuiLib: cannot load image '%s'\n", file.c_str());
    TImageInfo* result = info.get();
    Images()[key] = std::move(info);
    return result;
}

void CImageCache::Remove(const std::string& file)
{
    Images().erase(CSkinArchive::NormalizeName(file));
}

void CImageCache::RemoveAll()
{
    Images().clear();
}

int CImageCache::GetCount()
{
    return static_cast<int>(Images().size());
}

}  // namespace DuiLib
