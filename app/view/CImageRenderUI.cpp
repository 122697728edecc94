#include "app/view/CImageRenderUI.h"

#include "app/measure/ScaleBar.h"
#include "app/view/CPreviewChildWindow.h"
#include "app/view/ImageFit.h"
#include "app/view/RecordingIndicator.h"
#include "platform/duilib/CWindowWnd.h"
#include "platform/system/Event.h"
#include "platform/system/ProgramDirectory.h"
#include "platform/system/Tick.h"

#include <SFML/System/Err.hpp>
#include <SFML/Window/Event.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <pthread.h>
#include <sstream>
#include <unistd.h>

namespace kelvara {

namespace {

// Waiting while the render window is not open.
constexpr int kIdlePollMs = 3;
// An idle render thread sleeps until woken; this only bounds a sleep that an
// exposure read by someone else off the X connection would otherwise make
// endless.
constexpr int kIdleWaitMs = 2000;
constexpr uint32_t kStopWaitMs = 1000;
constexpr auto kSnapshotWait = std::chrono::seconds(5);

// "dir/name.png" -> "dir/name.tmp-<pid>.png": the same extension, so the
// image is written in the same format before it takes the final name.
std::string TemporaryPathFor(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::string tag = ".tmp-" + std::to_string(getpid());
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + tag;
    return path.substr(0, dot) + tag + path.substr(dot);
}

}  // namespace

CImageRenderUI::CImageRenderUI()
    : m_recordSprite(sf::seconds(0.2f), false, true)
    , m_indicatorBox(sf::Vector2f(145.0f, 44.0f), 6.0f, 10)
{
    m_container.SetLock(&m_lock);
    m_tiles.setSmooth(false);
    m_indicatorBox.setPosition(5.0f, 5.0f);
    m_indicatorBox.setFillColor(sf::Color(0, 0, 0, 128));
    m_indicatorBox.setOutlineThickness(0.0f);
}

CImageRenderUI::~CImageRenderUI()
{
    m_running = 0;
    if (m_runGate)
        m_runGate->Set();
    m_wake.Set();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_window.close();
}

void* CImageRenderUI::GetInterface(const char* name)
{
    if (name != nullptr && std::strcmp(name, "ImageRender") == 0)
        return this;
    return CControlUI::GetInterface(name);
}

bool CImageRenderUI::LoadResources()
{
    const std::string directory = GetProgramDirectory();
    if (directory.empty())
        return false;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!m_recordTexture.loadFromFile(directory + "recording.png"))
        return false;
    m_recordAnimation.frames.clear();
    AppendRecordingFrames(m_recordAnimation, &m_recordTexture);
    m_recordSprite.setFrameTime(sf::seconds(0.1f));
    m_recordSprite.setPosition(15.0f, 17.0f);
    if (m_font.loadFromFile(directory + "fzht.ttf")) {
        m_timeText.setFont(m_font);
        m_timeText.setCharacterSize(24);
        m_timeText.setFillColor(sf::Color(255, 255, 255, 255));
        m_timeText.setStyle(sf::Text::Bold);
        m_timeText.setPosition(44.0f, 11.0f);
        m_scaleText.setFont(m_font);
        m_scaleText.setCharacterSize(18);
        m_scaleText.setFillColor(sf::Color::White);
        m_scaleText.setOutlineColor(sf::Color::Black);
        m_scaleText.setOutlineThickness(2.0f);
    }
    return true;
}

int CImageRenderUI::Attach(CPreviewChildWindow* window)
{
    if (window == nullptr || !window->IsWindow())
        return 0;
    if (m_thread.joinable())
        Detach();
    if (m_thread.joinable())
        m_thread.join();  // a thread that outlived its second: it must end before another starts

    m_hWnd = window;
    m_windowPlaced = false;
    SetPos(GetPos(), false);
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_container.SetNotifyWindow(window->GetParent());
    }
    m_running = 1;
    m_runGate = std::make_unique<kelvara::Event>(true, true);
    m_threadDone = std::make_unique<kelvara::Event>(true, false);
    m_thread = std::thread(&CImageRenderUI::RenderThread, this, window);
    return 1;
}

CPreviewChildWindow* CImageRenderUI::Detach()
{
    CPreviewChildWindow* previous = m_hWnd;
    m_windowPlaced = false;
    m_running = 0;
    if (m_runGate)
        m_runGate->Set();
    m_wake.Set();
    if (m_thread.joinable() && m_threadDone->Wait(kStopWaitMs))
        m_thread.join();
    {
        // The child window may go away after this: SFML must let go of it.
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_window.close();
    }
    m_hWnd = nullptr;
    return previous;
}

void CImageRenderUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    // A layout pass that leaves the rectangle as it was changes nothing: the
    // render window is not made again and the focus stays where it is.
    const RECT old = GetPos();
    const bool unchanged = old.left == rc.left && old.top == rc.top && old.right == rc.right
        && old.bottom == rc.bottom && m_windowPlaced;
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (unchanged)
        return;
    {
        // The camera thread fits frames to this copy, never to the toolkit's rectangle.
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_viewWidth = static_cast<float>(GetWidth());
        m_viewHeight = static_cast<float>(GetHeight());
    }
    if (m_hWnd == nullptr || rc.top >= rc.bottom || rc.left >= rc.right)
        return;
    m_hWnd->Move(static_cast<int>(rc.left), static_cast<int>(rc.top), static_cast<int>(rc.right - rc.left),
        static_cast<int>(rc.bottom - rc.top));
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_container.SetRect(rc);
    FitImage(static_cast<int>(m_imageWidth), static_cast<int>(m_imageHeight));
    ApplyViewToSprite();
    RecreateWindow();
    m_windowPlaced = true;
}

void CImageRenderUI::SetInternVisible(bool visible)
{
    CControlUI::SetInternVisible(visible);
    if (m_hWnd)
        m_hWnd->Show(visible);
    if (visible)
        RequestRedraw();
}

void CImageRenderUI::DoEvent(DuiLib::TEventUI& event)
{
    const float x = static_cast<float>(event.ptMouse.x);
    const float y = static_cast<float>(event.ptMouse.y);
    switch (event.Type) {
    case DuiLib::UIEVENT_MOUSEMOVE: {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_container.OnMouseMove(x, y);
        RequestRedraw();
        break;
    }
    case DuiLib::UIEVENT_BUTTONDOWN: {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_container.OnMouseDown(x, y);
        RequestRedraw();
        break;
    }
    case DuiLib::UIEVENT_BUTTONUP: {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_container.OnMouseUp(x, y);
        RequestRedraw();
        break;
    }
    case DuiLib::UIEVENT_RBUTTONDOWN: {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_container.OnRightButtonDown(x, y);
        RequestRedraw();
        break;
    }
    case DuiLib::UIEVENT_DBLCLICK:
        if (m_hWnd)
            ::SendMessage(m_hWnd->GetParent(), WM_LEAVE_FULLSCREEN, 0, 0);
        break;
    default:
        break;
    }
}

void CImageRenderUI::FitImage(int width, int height)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    ViewFit fit;
    if (!ComputeImageFit(width, height, m_viewWidth, m_viewHeight, fit))
        return;
    m_viewZoom = fit.zoom;
    m_viewOriginX = fit.originX;
    m_viewOriginY = fit.originY;
    m_container.SetViewTransform(fit.originX, fit.originY, fit.zoom);
}

void CImageRenderUI::ApplyViewToSprite()
{
    m_sprite.setPosition(m_viewOriginX, m_viewOriginY);
    m_sprite.setScale(m_viewZoom, m_viewZoom);
}

void CImageRenderUI::RecreateWindow()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_window.close();
    if (m_hWnd == nullptr)
        return;
    const sf::ContextSettings settings(0, 0, 8, 1, 1);
    {
        // Drivers rarely offer the asked-for antialiasing on an existing
        // window; SFML's note about that is kept unless creation fails.
        std::ostringstream notes;
        std::streambuf* previous = sf::err().rdbuf(notes.rdbuf());
        m_window.create(static_cast<sf::WindowHandle>(m_hWnd->GetNativeHandle()), settings);
        sf::err().rdbuf(previous);
        if (!m_window.isOpen())
            std::fprintf(stderr, "%s", notes.str().c_str());
    }
    // The render thread makes the context current when it draws.
    m_window.setActive(false);
    // SFML maps the window it opens on and takes the keyboard focus.
    if (!IsVisible())
        m_hWnd->Show(false);
    GiveFocusBack();
    RequestRedraw();
}

void CImageRenderUI::GiveFocusBack()
{
    if (DuiLib::CWindowWnd* host = DuiLib::CWindowWnd::FromHandle(m_hWnd->GetParent()))
        host->SetFocus();
}

void CImageRenderUI::PushFrame(int width, int height, const uint8_t* pixels)
{
    if (pixels == nullptr)
        return;
    std::unique_ptr<FrameExchange::Frame> frame = AcquireFrame(width, height);
    if (!frame)
        return;
    std::memcpy(frame->pixels.get(), pixels, static_cast<std::size_t>(frame->width) * frame->height * 4);
    PushFrame(std::move(frame));
}

std::unique_ptr<FrameExchange::Frame> CImageRenderUI::AcquireFrame(int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    return m_frames.Acquire(static_cast<unsigned>(width), static_cast<unsigned>(height));
}

void CImageRenderUI::DiscardFrame(std::unique_ptr<FrameExchange::Frame> frame)
{
    m_frames.Discard(std::move(frame));
}

void CImageRenderUI::PushFrame(std::unique_ptr<FrameExchange::Frame> frame)
{
    if (!frame)
        return;
    const unsigned w = frame->width;
    const unsigned h = frame->height;
    if (w == 0 || h == 0) {
        m_frames.Discard(std::move(frame));
        return;
    }
    const uint64_t size = (static_cast<uint64_t>(w) << 32) | h;
    if (m_frameSize == size) {
        // The common case: the buffer changes hands, no waiting for a drawing.
        m_frames.Publish(std::move(frame));
        RequestRedraw();
        return;
    }
    // A new size: picture and refit change together under m_lock, so no
    // drawing shows the new picture with the old transform.
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_frames.Publish(std::move(frame));
    m_frameSize = size;
    if (w != m_imageWidth || h != m_imageHeight) {
        FitImage(static_cast<int>(w), static_cast<int>(h));
        ApplyViewToSprite();
        m_imageWidth = w;
        m_imageHeight = h;
    }
    RequestRedraw();
}

void CImageRenderUI::ClearPicture()
{
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_hasPicture = false;
        m_imageWidth = 0;
        m_imageHeight = 0;
        m_frameSize = 0;
    }
    RequestRedraw();
}

bool CImageRenderUI::CopyNewestFrame(std::vector<uint8_t>* pixels, int* width, int* height)
{
    unsigned w = 0;
    unsigned h = 0;
    if (!m_frames.CopyNewest(pixels, &w, &h))
        return false;
    if (width)
        *width = static_cast<int>(w);
    if (height)
        *height = static_cast<int>(h);
    return true;
}

void CImageRenderUI::RequestRedraw()
{
    m_dirty = 1;
    m_wake.Set();
}

void CImageRenderUI::RenderThread(CPreviewChildWindow* window)
{
    // Named for profilers and per-thread CPU figures.
    pthread_setname_np(pthread_self(), "preview-render");
    while (m_running) {
        m_runGate->Wait();
        if (!m_running)
            break;
        if (window->TakeExposed())
            m_dirty = 1;
        const bool snapshot = m_snapshotWanted;
        if (!snapshot && m_dirty == 0) {
            m_wake.Wait(kIdleWaitMs, window->ConnectionFd());
            continue;
        }
        if (!snapshot && !window->IsShownOnScreen()) {
            // Hidden or minimised: frames wait in the exchange (the newest
            // replacing older ones) until an exposure shows the window again.
            m_dirty = 0;
            // The query may have read an exposure off the connection: look
            // at the queue again before sleeping on the connection.
            if (window->TakeExposed())
                m_dirty = 1;
            else
                m_wake.Wait(kIdleWaitMs, window->ConnectionFd());
            continue;
        }
        // Taking the flag before drawing: a frame pushed meanwhile sets it again.
        m_dirty = 0;
        bool drawn = false;
        {
            std::lock_guard<std::recursive_mutex> lock(m_lock);
            if (m_window.isOpen()) {
                DrawFrame();
                drawn = true;
            }
        }
        if (!drawn) {
            // Nothing to draw on: keep the redraw due and answer a snapshot with nothing.
            m_dirty = 1;
            {
                std::lock_guard<std::mutex> lock(m_snapshotMutex);
                if (m_snapshotWanted) {
                    m_snapshot = sf::Image();
                    m_snapshotWanted = false;
                    m_snapshotReady = true;
                }
            }
            m_snapshotDone.notify_all();
            m_wake.Wait(kIdlePollMs);
        }
    }
    m_threadDone->Set();
}

void CImageRenderUI::DrawFrame()
{
    sf::Event event;
    while (m_window.pollEvent(event)) { }
    m_window.setActive(true);
    UploadPendingFrame();
    m_window.clear(sf::Color(0, 0, 0, 255));
    if (m_hasPicture && m_tiles.getWidth() != 0 && m_tiles.getHeight() != 0)
        m_window.draw(m_sprite);
    m_window.draw(m_container);
    DrawScaleBar();
    if (m_recording && !m_recordAnimation.frames.empty())
        DrawRecordingIndicator();
    if (m_snapshotWanted) {
        // Read back before display: the back buffer holds what is shown next.
        sf::Image image;
        sf::Texture texture;
        if (texture.create(m_window.getSize().x, m_window.getSize().y)) {
            texture.update(m_window);
            image = texture.copyToImage();
        }
        {
            std::lock_guard<std::mutex> lock(m_snapshotMutex);
            m_snapshot = image;
            m_snapshotWanted = false;
            m_snapshotReady = true;
        }
        m_snapshotDone.notify_all();
    }
    m_window.display();
    m_window.setActive(false);
    ++m_drawCount;
}

void CImageRenderUI::UploadPendingFrame()
{
    const FrameExchange::Frame* frame = m_frames.Take();
    if (frame && m_tiles.loadFromPixels(frame->width, frame->height, frame->pixels.get())) {
        m_sprite.setTiles(m_tiles);
        m_hasPicture = true;
        ++m_uploadCount;
    }
}

void CImageRenderUI::DrawRecordingIndicator()
{
    m_window.draw(m_indicatorBox);
    const sf::Time dt = m_frameClock.restart();
    if (m_recordSprite.getAnimation() != &m_recordAnimation)
        m_recordSprite.setAnimation(m_recordAnimation);
    m_recordSprite.play();
    m_recordSprite.update(dt);
    m_window.draw(m_recordSprite);
    const long long seconds = m_recordClock.getElapsedTime().asMicroseconds() / 1000000;
    m_timeText.setString(FormatElapsedTime(seconds));
    m_window.draw(m_timeText);
}

void CImageRenderUI::SetScaleBar(bool on, double unitsPerPixel, int unit, int corner)
{
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_scaleBarOn = on;
        m_scaleUnitsPerPixel = unitsPerPixel;
        m_scaleUnit = unit;
        m_scaleCorner = corner;
    }
    RequestRedraw();
}

double CImageRenderUI::GetScaleBarViewLength() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_scaleBarViewLength;
}

void CImageRenderUI::DrawScaleBar()
{
    m_scaleBarViewLength = 0;
    if (!m_scaleBarOn || !m_hasPicture || m_imageWidth == 0 || m_imageHeight == 0 || !(m_viewZoom > 0))
        return;
    // The part of the picture on view: the bar sits in its corner.
    const float left = std::max(0.0f, m_viewOriginX);
    const float top = std::max(0.0f, m_viewOriginY);
    const float right = std::min(m_viewWidth, m_viewOriginX + m_imageWidth * m_viewZoom);
    const float bottom = std::min(m_viewHeight, m_viewOriginY + m_imageHeight * m_viewZoom);
    if (right - left < 40.0f || bottom - top < 40.0f)
        return;
    ScaleBarLength bar;
    if (!ChooseScaleBar(m_scaleUnitsPerPixel, m_scaleUnit, (right - left) / 5.0f / m_viewZoom, &bar))
        return;
    // Whole view pixels, so the drawn bar is exact to the pixel.
    const float length = std::round(static_cast<float>(bar.picturePixels) * m_viewZoom);
    if (length < 1.0f || length > right - left - 32.0f)
        return;
    constexpr float kMargin = 16.0f;
    constexpr float kThickness = 6.0f;
    constexpr float kGap = 4.0f;
    const auto corner = static_cast<ScaleBarCorner>(m_scaleCorner);
    const bool atRight = corner == ScaleBarCorner::kBottomRight || corner == ScaleBarCorner::kTopRight;
    const bool atBottom = corner == ScaleBarCorner::kBottomRight || corner == ScaleBarCorner::kBottomLeft;

    // The label's glyphs are laid out again only when its text changes.
    if (bar.label != m_scaleLabel) {
        m_scaleLabel = bar.label;
        m_scaleText.setString(sf::String::fromUtf8(bar.label.begin(), bar.label.end()));
    }
    const sf::FloatRect textBounds = m_scaleText.getLocalBounds();
    const float textHeight = static_cast<float>(m_scaleText.getCharacterSize()) + 4.0f;
    const float x = std::round(atRight ? right - kMargin - length : left + kMargin);
    // Top corners leave room for the recording indicator.
    const float topStart = top + kMargin + (m_recording ? 50.0f : 0.0f);
    const float y = std::round(atBottom ? bottom - kMargin - kThickness : topStart + textHeight + kGap);

    sf::RectangleShape shape(sf::Vector2f(length, kThickness));
    shape.setPosition(x, y);
    shape.setFillColor(sf::Color::White);
    // Outlined, so the bar reads on bright and on dark pictures.
    shape.setOutlineColor(sf::Color::Black);
    shape.setOutlineThickness(1.0f);
    m_window.draw(shape);
    if (m_scaleText.getFont() != nullptr) {
        const float textX = std::round(x + (length - textBounds.width) / 2.0f - textBounds.left);
        const float textY = std::round(y - kGap - textHeight);
        m_scaleText.setPosition(textX, textY);
        m_window.draw(m_scaleText);
    }
    m_scaleBarViewLength = length;
}

bool CImageRenderUI::SaveSnapshot(const std::string& path)
{
    if (!m_thread.joinable() || !m_running)
        return false;
    sf::Image image;
    {
        std::unique_lock<std::mutex> lock(m_snapshotMutex);
        m_snapshotReady = false;
        m_snapshotWanted = true;
        m_wake.Set();
        const bool answered
            = m_snapshotDone.wait_for(lock, kSnapshotWait, [this] { return m_snapshotReady; });
        m_snapshotWanted = false;
        if (!answered)
            return false;
        image = m_snapshot;
        m_snapshot = sf::Image();
    }
    if (image.getSize().x == 0 || image.getSize().y == 0)
        return false;
    // Written under another name first, so a failed write leaves no broken file.
    const std::string temporary = TemporaryPathFor(path);
    if (!image.saveToFile(temporary)) {
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void CImageRenderUI::SetRecording(bool recording)
{
    m_recording = recording;
    RequestRedraw();
}

void CImageRenderUI::RestartRecordClock()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_recordClock.restart();
}

float CImageRenderUI::GetViewZoom() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_viewZoom;
}

float CImageRenderUI::GetViewOriginX() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_viewOriginX;
}

float CImageRenderUI::GetViewOriginY() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_viewOriginY;
}

}  // namespace kelvara
