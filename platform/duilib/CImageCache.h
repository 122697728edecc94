#pragma once
// Skin images loaded once into textures and shared by every window.
// Keys are the skin names, compared without regard to case or separator.
// UI thread only (textures need a current GL context).

#include <SFML/Graphics/Texture.hpp>

#include <memory>
#include <string>
#include <unordered_map>

namespace DuiLib {

struct TImageInfo
{
    sf::Texture texture;
    int nX = 0;
    int nY = 0;
};

class CImageCache
{
public:
    // The image of a skin file, loaded on first use; null when it cannot be read.
    static const TImageInfo* Get(const std::string& file);
    static void Remove(const std::string& file);
    static void RemoveAll();
    static int GetCount();
};

}  // namespace DuiLib
