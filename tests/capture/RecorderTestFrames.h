#pragma once
// Test pictures for the recorder: I420 buffers that change from frame to
// frame, so the encoder does real work and every frame yields a packet.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvara {

// A moving diagonal gradient with a bright square that walks across it.
std::vector<uint8_t> MakeMovingFrame(int width, int height, int index);

}  // namespace kelvara
