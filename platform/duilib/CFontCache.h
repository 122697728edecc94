#pragma once
// Fonts by family name, resolved with fontconfig and loaded by SFML, plus a
// CJK fallback face so Chinese and Korean text always renders. Text is drawn
// in runs: each run uses the first face that covers its characters.
// UI thread only (sf::Font is not thread-safe).

#include <SFML/Graphics/Font.hpp>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

typedef struct _FcCharSet FcCharSet;

namespace DuiLib {

struct TFontFace
{
    std::string file;
    std::string family;
    sf::Font font;
    FcCharSet* charset = nullptr;
    bool realBold = false;  // the file itself is a bold face
    bool Covers(uint32_t codePoint) const;
};

class CFontCache
{
public:
    // The face for a family (the default sans face when the family is
    // missing); never null unless the system has no fonts at all.
    static TFontFace* GetFace(const std::string& family, bool bold, bool italic);
    // The CJK fallback face (WenQuanYi Micro Hei preferred), or null.
    static TFontFace* GetFallbackFace();
    // The face to draw codePoint with: primary when it covers it, else the fallback.
    static TFontFace* FaceFor(TFontFace* primary, uint32_t codePoint);

private:
    static TFontFace* LoadMatch(
        const std::string& family, bool bold, bool italic, const char* lang, bool exactFamily);
};

}  // namespace DuiLib
