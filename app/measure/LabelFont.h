#pragma once
// The one font every measurement label shares: "fzht.ttf" from the program
// directory, loaded on first use and kept until the process ends. One font
// for all labels keeps a view with hundreds of marks at one open file and one
// glyph cache.
//
// Threads: the first call may come from any thread (loading happens once).
// sf::Font is not thread-safe: every use of the returned font (drawing a
// label, reading label bounds) happens under the preview's lock, which the
// measurement container holds for every primitive operation.

namespace sf {
class Font;
}

namespace kelvara {

// The shared label font, or nullptr when "fzht.ttf" is missing or unreadable
// (labels then draw nothing; measurements work as before).
const sf::Font* GetLabelFont();

}  // namespace kelvara
