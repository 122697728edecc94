// Writes the recording indicator strip: 30 pictures of 20 x 20 pixels side by
// side (600 x 20), a red dot that swells and fades once per cycle.
//
// usage: make_recording_strip <output.png>

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }
    const unsigned kFrameSize = 20;
    const unsigned kFrameCount = 30;
    const double kPi = 3.14159265358979323846;

    sf::Image strip;
    strip.create(kFrameSize * kFrameCount, kFrameSize, sf::Color::Transparent);
    for (unsigned frame = 0; frame < kFrameCount; ++frame) {
        // Phase runs once around the circle over the strip, so it loops smoothly.
        double phase = 0.5 - 0.5 * std::cos(2.0 * kPi * frame / kFrameCount);
        double radius = 5.0 + 3.0 * phase;
        double brightness = 0.55 + 0.45 * phase;
        for (unsigned y = 0; y < kFrameSize; ++y) {
            for (unsigned x = 0; x < kFrameSize; ++x) {
                double dx = x + 0.5 - kFrameSize / 2.0;
                double dy = y + 0.5 - kFrameSize / 2.0;
                double distance = std::sqrt(dx * dx + dy * dy);
                // One pixel of soft edge keeps the dot round at this size.
                double coverage = std::clamp(radius + 0.5 - distance, 0.0, 1.0);
                if (coverage <= 0.0)
                    continue;
                auto red = static_cast<sf::Uint8>(std::lround(255 * brightness));
                auto alpha = static_cast<sf::Uint8>(std::lround(255 * coverage));
                strip.setPixel(frame * kFrameSize + x, y, sf::Color(red, 16, 16, alpha));
            }
        }
    }
    if (!strip.saveToFile(argv[1])) {
        std::fprintf(stderr, "make_recording_strip: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
