#pragma once
// The picture a virtual camera looks at: a bright-field microscope view with
// a textured background, a few cells and a stage micrometer whose ticks lie a
// known number of pixels apart. The optics image one field onto a sensor of
// a fixed size; a frame size of the sensor's shape shows that whole field
// scaled (binning), a size of another shape a centred crop at the sensor's
// own pitch. The scene is rendered once per frame size onto a stage a little
// larger than the frame; frames are crops of it at positions that drift
// round a small circle, so consecutive frames differ.
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
    // Relative difference of aspect ratios still taken as the sensor's shape.
    static constexpr double kSameShapeTolerance = 0.005;

    // Where the sensor lies in a frame: frame = sensor x scale + offset (pixels).
    struct View
    {
        double scale = 1;
        double offsetX = 0;
        double offsetY = 0;
    };
    // A frame of the sensor's shape shows the whole sensor at width /
    // sensorWidth; any other shape a centred crop at scale 1, or at the
    // smallest scale above 1 that fills the frame when the frame is larger
    // than the sensor in either direction.
    static View ViewOf(int sensorWidth, int sensorHeight, int width, int height);

    // tickPitchPx: pixels between two ticks on a sensor of sensorWidth x
    // sensorHeight. Without a sensor (0 x 0) each frame size is a sensor of
    // its own: the pitch is the same at every size.
    explicit MicroscopeScene(double tickPitchPx, int sensorWidth = 0, int sensorHeight = 0);

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
    // -DriftOffset(n)) for the prepared size: the baseline row, the x of the
    // first tick wholly inside the frame, the count of such ticks, the
    // shortest tick's length (ticks rise above the baseline) and the pitch.
    int BaselineY() const { return m_baselineY; }
    double FirstTickX() const { return m_firstTickX; }
    int TickCount() const { return m_tickCount; }
    int ShortTickLength() const { return m_shortTick; }
    double TickPitch() const { return m_pitch; }

private:
    void Render();
    void DrawMicrometer();

    const double m_sensorPitch;  // tick pitch on the sensor
    const int m_sensorWidth;  // 0: the frame size
    const int m_sensorHeight;
    double m_pitch = 0;  // tick pitch in the prepared frame
    View m_view;
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
