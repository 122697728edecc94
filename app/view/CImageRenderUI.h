#pragma once
// The live preview: a toolkit control that shows the camera picture fitted
// into its rectangle, the measurement overlay and, while recording, the
// recording indicator with the elapsed time. It does not paint through the
// toolkit: it draws with SFML on its own native child window, laid exactly
// over the control, from a render thread of its own, whenever a redraw is
// due. Made by the program's control factory for the skin element
// "ImageRender".
//
// Threads and locks:
// - UI thread: construction, LoadResources, Attach, Detach, SetPos,
//   SetInternVisible, DoEvent, SaveSnapshot, SetRecording,
//   RestartRecordClock, the container's operations, destruction.
// - Camera thread: AcquireFrame, PushFrame and DiscardFrame, called while
//   the camera controller holds its own lock. Lock order: controller lock,
//   then m_lock. CopyNewestFrame: any thread.
// - Render thread (started by Attach, stopped by Detach): draws.
// - m_lock (re-entrant, shared with the measurement container) guards the
//   render window, the sprite and tiles, the view transform, the image
//   size, the container, the indicator and the record clock. Frames of an
//   unchanged size pass through m_frames without m_lock, so a camera thread
//   never waits for a drawing. m_dirty, m_recording and m_running are
//   atomic flags.
// - Mouse events reach the measurement container with m_lock held, so its
//   messages (WM_MEASURE_*) are sent, and handled by the main window on the
//   UI thread, with m_lock held: a handler may use the container but must
//   not take the camera controller's lock (the camera thread may be waiting
//   for m_lock while holding it) nor call SaveSnapshot.
// - SaveSnapshot waits for the render thread: never call it with m_lock held.
// - Redraws happen only when something changed, and frames are uploaded
//   only when a new one arrived and the window is on screen (a hidden or
//   minimised preview uploads and draws nothing; showing it exposes it and
//   brings the newest frame). New frames, mouse events, requests and
//   exposures wake the render thread, which otherwise sleeps.

#include "app/measure/SFPrimitiveContainer.h"
#include "app/view/BigSprite.h"
#include "app/view/FrameExchange.h"
#include "app/view/RenderWakeup.h"
#include "app/view/RoundedRectangleShape.h"
#include "app/view/SFAnimatedSprite.h"
#include "app/view/SFAnimation.h"
#include "app/view/TiledTexture.h"
#include "platform/duilib/CControlUI.h"
#include "platform/system/Event.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Clock.hpp>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelvara {

class CPreviewChildWindow;

class CImageRenderUI : public DuiLib::CControlUI
{
public:
    CImageRenderUI();
    ~CImageRenderUI() override;

    const char* GetClass() const override { return "ImageRenderUI"; }
    void* GetInterface(const char* name) override;
    // Places the control, then the child window over it; refits the picture
    // and the measurements and re-creates the render window.
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    // Shows or hides the child window with the control.
    void SetInternVisible(bool visible = true) override;
    // Mouse move, left down and up, right down go to the measurements;
    // a double click asks the host window to leave full screen.
    void DoEvent(DuiLib::TEventUI& event) override;

    // Loads "recording.png" (the indicator strip) and "fzht.ttf" (the timer
    // font) from the program directory. False when the directory is unknown
    // or the strip cannot be loaded (no indicator is drawn then); a missing
    // font only leaves the timer text out.
    bool LoadResources();
    // Starts drawing on window: places it, makes the render window, points
    // the measurements' messages at its parent and starts the render thread.
    // 1 on success, 0 when window is no window (nothing starts). window must
    // stay until Detach.
    int Attach(CPreviewChildWindow* window);
    // Stops the render thread (waiting up to 1 s; a thread still busy then is
    // joined at destruction at the latest) and closes the render window.
    // Returns the previous window, which is not destroyed here.
    CPreviewChildWindow* Detach();
    // Camera thread: copies width x height R,G,B,A pixels (rows top to
    // bottom) for the next drawing. Frames without area or pixels are ignored.
    void PushFrame(int width, int height, const uint8_t* pixels);
    // Camera thread: a buffer for a width x height R,G,B,A frame to be filled
    // by the caller and handed over with PushFrame (no copy) or given back
    // with DiscardFrame; null without memory or area.
    std::unique_ptr<FrameExchange::Frame> AcquireFrame(int width, int height);
    void PushFrame(std::unique_ptr<FrameExchange::Frame> frame);
    void DiscardFrame(std::unique_ptr<FrameExchange::Frame> frame);
    // UI thread: shows no picture until the next frame is pushed.
    void ClearPicture();
    // Any thread: a copy of the newest frame pushed; false before the first.
    bool CopyNewestFrame(std::vector<uint8_t>* pixels, int* width, int* height);
    // Saves what the preview shows (picture, measurements, indicator) to
    // path, in the format of its extension. False when nothing is attached
    // or the file cannot be written.
    bool SaveSnapshot(const std::string& path);

    // The recording indicator is drawn while set.
    void SetRecording(bool recording);
    bool IsRecording() const { return m_recording; }
    // The indicator's timer starts again from 0.
    void RestartRecordClock();
    // The scale bar, drawn over the picture while on and given a physical
    // unit (1 to 5) and a positive pixel size (units per picture pixel);
    // corner is a ScaleBarCorner. UI thread.
    void SetScaleBar(bool on, double unitsPerPixel, int unit, int corner);
    // The bar's picture and view lengths as last drawn (0 when none); for checks.
    double GetScaleBarViewLength() const;

    // The measurements; the main window reaches tool, calibration, results
    // and CSV through them.
    SFPrimitiveContainer& GetContainer() { return m_container; }
    // The preview's lock, for reading primitives from the UI thread.
    std::recursive_mutex& GetLock() { return m_lock; }

    // The view transform: view = image * zoom + origin (under m_lock).
    float GetViewZoom() const;
    float GetViewOriginX() const;
    float GetViewOriginY() const;
    // Frames drawn so far (for checks of the redraw-on-change rule).
    unsigned GetDrawCount() const { return m_drawCount; }
    // Frames uploaded to textures so far.
    unsigned GetUploadCount() const { return m_uploadCount; }

private:
    void FitImage(int width, int height);
    void RecreateWindow();
    void ApplyViewToSprite();
    // Marks a redraw due and wakes the render thread.
    void RequestRedraw();
    void RenderThread(CPreviewChildWindow* window);
    // Render thread, m_lock held.
    void DrawFrame();
    void UploadPendingFrame();
    void DrawRecordingIndicator();
    void DrawScaleBar();
    void GiveFocusBack();

    CPreviewChildWindow* m_hWnd = nullptr;
    unsigned m_imageWidth = 0;
    unsigned m_imageHeight = 0;
    BigSprite m_sprite;
    TiledTexture m_tiles;
    SFPrimitiveContainer m_container;
    sf::Texture m_recordTexture;
    SFAnimation m_recordAnimation;
    SFAnimatedSprite m_recordSprite;
    sf::Clock m_frameClock;
    sf::Clock m_recordClock;
    std::atomic<bool> m_recording{false};
    sf::Text m_timeText;
    sf::Font m_font;
    sf::RenderWindow m_window;
    std::atomic<int> m_running{0};
    std::thread m_thread;
    std::unique_ptr<kelvara::Event> m_runGate;
    std::unique_ptr<kelvara::Event> m_threadDone;
    std::atomic<int> m_dirty{0};
    float m_viewZoom = 1.0f;
    float m_viewOriginX = 0.0f;
    float m_viewOriginY = 0.0f;
    float m_viewWidth = 0.0f;  // the control's size as of the last SetPos
    float m_viewHeight = 0.0f;
    bool m_windowPlaced = false;  // the render window fits the control's rectangle (UI thread)
    mutable std::recursive_mutex m_lock;
    RoundedRectangleShape m_indicatorBox;

    // The scale bar (under m_lock).
    bool m_hasPicture = false;  // a frame was uploaded since the last ClearPicture
    bool m_scaleBarOn = false;
    double m_scaleUnitsPerPixel = 0;
    int m_scaleUnit = 0;
    int m_scaleCorner = 0;
    double m_scaleBarViewLength = 0;
    sf::Text m_scaleText;
    std::string m_scaleLabel;  // the text m_scaleText holds
    std::atomic<unsigned> m_drawCount{0};
    std::atomic<unsigned> m_uploadCount{0};

    // Frames on their way to the render thread, and the size of the last
    // one accepted (width << 32 | height; written by the camera thread).
    FrameExchange m_frames;
    std::atomic<uint64_t> m_frameSize{0};
    // Wakes the render thread.
    RenderWakeup m_wake;

    // A snapshot asked of the render thread.
    std::mutex m_snapshotMutex;
    std::condition_variable m_snapshotDone;
    std::atomic<bool> m_snapshotWanted{false};
    bool m_snapshotReady = false;
    sf::Image m_snapshot;
};

}  // namespace kelvara
