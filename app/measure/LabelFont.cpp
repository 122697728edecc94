#include "app/measure/LabelFont.h"

#include "platform/system/ProgramDirectory.h"

#include <SFML/Graphics/Font.hpp>

#include <string>

namespace kelvara {

namespace {

const sf::Font* LoadLabelFont()
{
    const std::string directory = GetProgramDirectory();
    if (directory.empty())
        return nullptr;
    // Never freed: its glyph textures must not be destroyed after SFML has
    // torn down its GL context at exit.
    auto* font = new sf::Font;
    if (!font->loadFromFile(directory + "fzht.ttf")) {
        delete font;
        return nullptr;
    }
    return font;
}

}  // namespace

const sf::Font* GetLabelFont()
{
    static const sf::Font* const font = LoadLabelFont();
    return font;
}

}  // namespace kelvara
