#include "platform/duilib/CFontCache.h"

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <strings.h>

namespace DuiLib {
namespace {

struct Cache
{
    std::unordered_map<std::string, std::unique_ptr<TFontFace>> byFile;
    std::unordered_map<std::string, TFontFace*> byRequest;
    TFontFace* fallback = nullptr;
    bool fallbackTried = false;
};

// Never destroyed: fonts stay valid for windows closed during exit.
Cache& GetCache()
{
    static auto* cache = new Cache();
    return *cache;
}

}  // namespace

bool TFontFace::Covers(uint32_t codePoint) const
{
    return charset == nullptr || FcCharSetHasChar(charset, codePoint);
}

TFontFace* CFontCache::LoadMatch(
    const std::string& family, bool bold, bool italic, const char* lang, bool exactFamily)
{
    FcPattern* pattern = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (lang)
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return nullptr;
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    FcCharSet* charset = nullptr;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetString(match, FC_FILE, 0, &file);
    FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily);
    FcPatternGetCharSet(match, FC_CHARSET, 0, &charset);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    TFontFace* face = nullptr;
    // fontconfig silently substitutes missing families; SFML only loads face 0.
    bool familyOk = !exactFamily
        || (matchedFamily && strcasecmp(reinterpret_cast<const char*>(matchedFamily), family.c_str()) == 0);
    if (file && familyOk && index == 0) {
        std::string path = reinterpret_cast<const char*>(file);
        auto& byFile = GetCache().byFile;
        auto it = byFile.find(path);
        if (it != byFile.end()) {
            face = it->second.get();
        } else {
            auto loaded = std::make_unique<TFontFace>();
            if (loaded->font.loadFromFile(path)) {
                loaded->file = path;
                loaded->family = matchedFamily ? reinterpret_cast<const char*>(matchedFamily) : "";
                loaded->charset = charset ? FcCharSetCopy(charset) : nullptr;
                loaded->realBold = weight >= FC_WEIGHT_BOLD;
                face = loaded.get();
                byFile.emplace(path, std::move(loaded));
            }
        }
    }
    FcPatternDestroy(match);
    return face;
}

TFontFace* CFontCache::GetFace(const std::string& family, bool bold, bool italic)
{
    std::string key = family + (bold ? "|b" : "|") + (italic ? "i" : "");
    auto& byRequest = GetCache().byRequest;
    auto it = byRequest.find(key);
    if (it != byRequest.end())
        return it->second;
    TFontFace* face = family.empty() ? nullptr : LoadMatch(family, bold, italic, nullptr, true);
    if (face == nullptr)
        face = LoadMatch("DejaVu Sans", bold, italic, nullptr, true);
    if (face == nullptr)
        face = LoadMatch("sans-serif", bold, italic, nullptr, false);
    if (face == nullptr)
        face = GetFallbackFace();
    byRequest[key] = face;
    return face;
}

TFontFace* CFontCache::GetFallbackFace()
{
    Cache& cache = GetCache();
    if (!cache.fallbackTried) {
        cache.fallbackTried = true;
        cache.fallback = LoadMatch("WenQuanYi Micro Hei", false, false, nullptr, true);
        if (cache.fallback == nullptr)
            cache.fallback = LoadMatch("", false, false, "zh-cn", false);
        if (cache.fallback == nullptr)
            std::fprintf(stderr, "DuiLib: no CJK fallback font found\n");
    }
    return cache.fallback;
}

TFontFace* CFontCache::FaceFor(TFontFace* primary, uint32_t codePoint)
{
    if (primary && primary->Covers(codePoint))
        return primary;
    TFontFace* fallback = GetFallbackFace();
    if (fallback && fallback->Covers(codePoint))
        return fallback;
    return primary ? primary : fallback;
}

}  // namespace DuiLib
