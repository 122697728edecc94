#pragma once
// The simulated camera's video controls applied to a picture: exposure,
// gain, white balance, contrast, brightness and gamma per channel through a
// table, saturation by mixing with the grey level. Reentrant.

#include <cstdint>

namespace kelvara::wmp {

// Control values in the units of the camera's control table.
struct SceneAdjust
{
    int brightness = 0;  // -64..64, added
    int contrast = 50;  // 0..100, 50 = neutral
    int saturation = 50;  // 0..100, 50 = neutral, 0 = grey
    int gammaX100 = 100;  // 100..300
    int gain = 0;  // 0..100, percent added to the signal
    int temperature = 5000;  // 2800..6500 K, 5000 = neutral
    int exposure = 100;  // 1..1000, 100 = nominal
};

// Writes the adjusted B, G, R, A picture to target (may equal source).
void ApplySceneAdjust(const uint8_t* source, int sourceStride, int width, int height,
    const SceneAdjust& adjust, uint8_t* target, int targetStride);

}  // namespace kelvara::wmp
