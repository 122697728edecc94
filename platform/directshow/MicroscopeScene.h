#pragma once
// The picture a virtual camera looks at: a bright-field microscope view with
// a textured background, a few cells and a stage micrometer whose ticks lie a
// known number of pixels apart. The scene is rendered once per frame size
// onto a stage a little larger than the frame; frames are crops of it at
// positions that drift round a small circle, so consecutive frames differ.
//
// Threads: an object is used by one thread at a time.

#include <cstdint>
#include <vector>

namespace kelvara::dshow {

class MicroscopeScene
{
public:
    // Drift: the crop moves round a circle of this radius (pixels) ...
    static constexpr int kDriftRadius = 6;
    // ... in this many frames.
    static constexpr int kDriftPeriod = 24;

    explicit MicroscopeScene(double tickPitchPx);

    // Renders the stage for frames of width x height (no-op when unchanged).
    void Prepare(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Pixel (B, G, R, A bytes) of frame n at its top-left corner; rows are
    // StageStride() bytes apart.
    const uint8_t* FrameOrigin(uint64_t n) const;
    int StageStride() const { return m_stageWidth * 4; }

    // Where frame n's crop sits relative to the resting position.
    static void DriftOffset(uint64_t n, int* dx, int* dy);

    // Scale geometry in resting-frame coordinates (frame n is shifted by
    // -DriftOffset(n)): the baseline row, the x of tick 0, the tick count
    // and the shortest tick's length (ticks rise above the baseline).
    int BaselineY() const { return m_baselineY; }
    double FirstTickX() const { return m_firstTickX; }
    int TickCount() const { return m_tickCount; }
    int ShortTickLength() const { return m_shortTick; }
    double TickPitch() const { return m_pitch; }

private:
    void Render();

    double m_pitch;
    int m_width = 0;
    int m_height = 0;
    int m_stageWidth = 0;
    int m_stageHeight = 0;
    std::vector<uint8_t> m_stage;  // B, G, R, A
    int m_baselineY = 0;
    double m_firstTickX = 0;
    int m_tickCount = 0;
    int m_shortTick = 0;
};

}  // namespace kelvara::dshow
