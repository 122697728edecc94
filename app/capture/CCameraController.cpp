#include "app/capture/CCameraController.h"

#include "app/capture/CapturePaths.h"
#include "app/capture/FrameConversion.h"
#include "app/capture/ScaleBarPainter.h"
#include "app/view/CImageRenderUI.h"
#include "camera_module/CMFactory.h"
#include "platform/duilib/CResourceManager.h"

#include <libyuv/convert_from_argb.h>
#include <turbojpeg.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace kelvara {

namespace {

// Diagnostics that the original wrote to the debugger.
void DebugText(const char* text)
{
    std::fputs(text, stderr);
}

// Pictures waiting for the encoder: about a tenth of a second at 60 frames
// per second, to ride out a busy moment of the encoder or the machine.
constexpr int kRecordQueueDepth = 6;

int64_t NowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

CCameraController::CCameraController()
    : m_tjHandle(tjInitDecompress())
{
}

CCameraController::~CCameraController()
{
    CloseCamera();
    if (m_tjHandle)
        tjDestroy(static_cast<tjhandle>(m_tjHandle));
}

bool CCameraController::OpenCamera(unsigned group, unsigned device, std::wstring* name, int* vid, int* pid)
{
    CloseCamera();
    wchar_t deviceName[260] = {};
    int deviceVid = 0;
    int devicePid = 0;
    CMCameraBase* camera = CMFactory::GetCamera(group, device, deviceName, 260, &deviceVid, &devicePid);
    if (name)
        *name = deviceName;
    if (vid)
        *vid = deviceVid;
    if (pid)
        *pid = devicePid;
    return OpenCamera(camera);
}

bool CCameraController::IsCameraLost()
{
    return m_pCamera && m_pCamera->IsDeviceLost();
}

bool CCameraController::OpenCamera(CMCameraBase* camera)
{
    CloseCamera();
    if (!camera)
        return false;
    if (camera->Init(&CCameraController::OnFrame, this, 800, 600) != 0) {
        camera->Release();
        delete camera;
        return false;
    }
    m_pCamera = camera;
    SyncSoftOrientation();
    return true;
}

void CCameraController::CloseCamera()
{
    CloseRecorder(TakeRecorder(), nullptr);
    if (!m_pCamera)
        return;
    CMCameraBase* camera = m_pCamera;
    m_pCamera = nullptr;
    // Outside the lock: Release waits for the delivery thread.
    camera->Release();
    delete camera;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_softOrientation = Orientation();
}

void CCameraController::SetRenderControl(CImageRenderUI* render, DuiLib::CPaintManagerUI* manager)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_render && m_render != render && m_displayInPreview) {
        // The last picture went to the old preview: keep a copy of it.
        std::vector<uint8_t> pixels;
        int width = 0;
        int height = 0;
        if (m_render->CopyNewestFrame(&pixels, &width, &height) && EnsureFrameBuffers(pixels.size())
            && pixels.size() == m_displaySize) {
            std::memcpy(m_display.get(), pixels.data(), pixels.size());
            m_frameWidth = width;
            m_frameHeight = height;
        }
        m_displayInPreview = false;
    }
    m_render = render;
    m_manager = manager;
}

void CCameraController::SetPreviewSizeByIndex(unsigned index)
{
    if (!m_pCamera) {
        DebugText("m_pCamera == NULL\n");
        return;
    }
    std::vector<tagSIZE> sizes;
    m_pCamera->GetSupportedPreviewSizes(&sizes);
    if (index < sizes.size())
        m_pCamera->SetPreviewImageSize(sizes[index].cx, sizes[index].cy);
    else
        DebugText("index < sizes.size()\n");
}

void CCameraController::SetImageFormatByIndex(unsigned index)
{
    if (!m_pCamera)
        return;
    const std::vector<int> formats = m_pCamera->GetSupportedImageFormats();
    if (index < formats.size())
        m_pCamera->SetImageFormat(formats[index]);
}

void CCameraController::SetStillImageSize(int width, int height)
{
    if (!m_pCamera) {
        DebugText("m_pCamera == NULL\n");
        return;
    }
    m_pCamera->SetStillImageSize(width, height);
}

int CCameraController::SetCameraProperty(tagCMProperty property, double value, int isAuto)
{
    if (!m_pCamera)
        return CM_ERR_NO_DEVICE;
    const int result = m_pCamera->SetProperty(property, value, isAuto);
    if (property == CM_PROP_MIRROR || property == CM_PROP_FLIP)
        SyncSoftOrientation();
    return result;
}

void CCameraController::SyncSoftOrientation()
{
    Orientation orientation;
    if (m_pCamera) {
        // A camera that only stores the flags answers the range query of
        // mirror and flip with "not supported" (the base class's handling);
        // one that mirrors in its own hardware or SDK answers otherwise.
        auto storedOnly = [this](tagCMProperty property, bool* on) {
            double min = 0, max = 0, def = 0, value = 0;
            int digits = 0, isAuto = 0;
            if (m_pCamera->GetPropertyRange(property, &min, &max, &def, &digits) != CM_ERR_NOT_SUPPORTED)
                return;
            if (m_pCamera->GetProperty(property, &value, &isAuto) == CM_OK)
                *on = value > 0.0;
        };
        storedOnly(CM_PROP_MIRROR, &orientation.mirror);
        storedOnly(CM_PROP_FLIP, &orientation.flip);
    }
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_softOrientation = orientation;
}

int CCameraController::OnFrame(void* user, int event, long image, long /*reserved*/)
{
    if (user)
        static_cast<CCameraController*>(user)->HandleFrame(event, reinterpret_cast<const tagCMImage*>(image));
    return 0;
}

void CCameraController::HandleFrame(int event, const tagCMImage* image)
{
    const int64_t start = NowUs();
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_frameStartUs = start;
    if (event != 0 || !image || !image->data || image->width <= 0 || image->height <= 0)
        return;
    // The preview holds a picture of its own (frozen or from a file).
    if (m_previewHeld)
        return;
    const size_t bytes = capture::PixelBufferBytes(image->width, image->height);
    if (!capture::IsConvertible(*image) || !EnsureFrameBuffers(bytes)) {
        ++m_stats.dropped;
        return;
    }
    int64_t mark = NowUs();
    // With a preview the frame is made straight in a buffer that the preview
    // then takes over; without one in the controller's own display buffer.
    std::unique_ptr<FrameExchange::Frame> target;
    if (m_render) {
        target = m_render->AcquireFrame(image->width, image->height);
        if (!target) {
            ++m_stats.dropped;
            return;
        }
    }
    if (!ConvertFrame(*image, target ? target->pixels.get() : nullptr)) {
        if (target)
            m_render->DiscardFrame(std::move(target));
        ++m_stats.dropped;
        return;
    }
    m_frameWidth = image->width;
    m_frameHeight = image->height;
    m_displayInPreview = target != nullptr;
    const uint8_t* picture = target ? target->pixels.get() : m_display.get();
    int64_t now = NowUs();
    m_stats.convertUs += now - mark;
    // Recorded before the hand-over: the preview may reuse nothing it was given
    // until a later frame, but the buffer is no longer ours afterwards.
    RecordFrame(image->width, image->height, picture);
    mark = NowUs();
    if (target)
        m_render->PushFrame(std::move(target));
    m_stats.pushUs += NowUs() - mark;
    ++m_stats.frames;
    m_stats.callbackUs += NowUs() - start;
}

bool CCameraController::EnsureFrameBuffers(size_t bytes)
{
    if (bytes == 0)
        return false;
    if (m_display && bytes == m_displaySize)
        return true;
    m_display.reset();
    m_conversion.reset();
    m_displaySize = 0;
    m_frameWidth = 0;
    m_frameHeight = 0;
    m_display.reset(new (std::nothrow) uint8_t[bytes]);
    m_conversion.reset(new (std::nothrow) uint8_t[bytes]);
    if (!m_display || !m_conversion) {
        m_display.reset();
        m_conversion.reset();
        return false;
    }
    m_displaySize = bytes;
    // A new size starts from opaque white.
    std::memset(m_display.get(), 0xFF, bytes);
    std::memset(m_conversion.get(), 0xFF, bytes);
    return true;
}

bool CCameraController::ConvertFrame(const tagCMImage& image, uint8_t* target)
{
    capture::Orientation orientation;
    orientation.mirror = m_softOrientation.mirror;
    orientation.flip = m_softOrientation.flip;
    m_pictureFromPlanes = false;
    if (image.format != CM_FMT_MJPG)
        return capture::ConvertUncompressed(image, capture::PixelOrder::RGBA, orientation,
            target ? target : m_display.get(), m_conversion.get());
    // While recording, a camera's JPEG (4:2:2 or 4:2:0) is decoded into its
    // own planes, which a damaged stream leaves without a picture and the
    // shown one alone; the display picture and the recorder's are both made
    // from them. Without a recording the direct decode into R,G,B,A is as
    // quick or quicker (measured), so the planes are not used.
    const capture::JpegPlanes::Result planes = m_recorder
        ? m_jpegPlanes.Decode(image.data, image.dataSize, image.width, image.height)
        : capture::JpegPlanes::Result::kOtherLayout;
    if (planes == capture::JpegPlanes::Result::kFailed)
        return false;
    if (planes == capture::JpegPlanes::Result::kDecoded) {
        const int64_t decoded = NowUs();
        m_jpegPlanes.ToRgba(orientation, target ? target : m_display.get());
        m_stats.displayUs += NowUs() - decoded;
        m_pictureFromPlanes = true;
        return true;
    }
    // Any other JPEG: decoded beside the shown picture, which a damaged stream
    // leaves alone.
    if (!capture::DecodeJpeg(m_tjHandle, image.data, image.dataSize, image.width, image.height,
            capture::PixelOrder::RGBA, orientation, target ? target : m_conversion.get(), m_displaySize,
            nullptr, nullptr))
        return false;
    if (!target)
        std::swap(m_display, m_conversion);
    return true;
}

void CCameraController::RecordFrame(int width, int height, const uint8_t* picture)
{
    if (!m_recorder)
        return;
    // Frames of another size than the recording's are not fed (the preview
    // size is kept fixed while recording, but a camera may change it).
    if (width != m_recorder->Width() || height != m_recorder->Height()) {
        ++m_stats.notRecorded;
        m_recordingBroken = true;
        return;
    }
    const int64_t start = NowUs();
    if (m_recorder->HasFailed()) {
        m_recordingBroken = true;
        return;
    }
    uint8_t* y = m_recorder->Acquire();
    if (!y)
        return;  // counted by the queue
    const size_t lumaSize = static_cast<size_t>(width) * height;
    uint8_t* u = y + lumaSize;
    uint8_t* v = y + lumaSize * 5 / 4;
    // Full-range levels either way (the recorder was opened for them): a
    // JPEG's own, or the display picture's through the JPEG matrix.
    if (m_pictureFromPlanes) {
        capture::Orientation orientation;
        orientation.mirror = m_softOrientation.mirror;
        orientation.flip = m_softOrientation.flip;
        m_jpegPlanes.ToI420(orientation, y, u, v);
    } else {
        libyuv::ABGRToJ420(picture, width * 4, y, width, u, width / 2, v, width / 2, width, height);
    }
    const int64_t now = NowUs();
    m_stats.yuvUs += now - start;
    // The capture time is the callback's start, on the monotonic clock the
    // recorder's time stamps use.
    m_recorder->Submit(y, m_frameStartUs);
    ++m_stats.recorded;
}

bool CCameraController::StartRecording(const wchar_t* path)
{
    if (!m_pCamera)
        return false;
    int width = 0;
    int height = 0;
    if (m_pCamera->GetPreviewImageSize(&width, &height) != CM_OK || width <= 0 || height <= 0) {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        width = m_frameWidth;
        height = m_frameHeight;
    }
    CloseRecorder(TakeRecorder(), nullptr);
    std::string target;
    if (!capture::PathToUtf8(path, &target))
        return false;
    auto recorder = std::make_unique<CVideoRecorder>();
    if (!recorder->Open(width, height, target.c_str(), CVideoRecorder::Levels::kFull))
        return false;
    auto queue = std::make_unique<RecordingQueue>(std::move(recorder), width, height, kRecordQueueDepth);
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_recorder = std::move(queue);
    m_recorderCountsSeen = RecordingQueue::Counters();
    m_recordWidth = width;
    m_recordHeight = height;
    m_recordingBroken = false;
    return true;
}

CCameraController::RecordingEnd CCameraController::FinishRecording(std::string* path)
{
    return CloseRecorder(TakeRecorder(), path);
}

bool CCameraController::StopRecording(std::string* path)
{
    return FinishRecording(path) == RecordingEnd::kSaved;
}

bool CCameraController::IsRecordingBroken() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_recorder != nullptr && (m_recordingBroken || m_recorder->HasFailed());
}

std::unique_ptr<CVideoRecorder> CCameraController::TakeRecorder()
{
    std::unique_ptr<RecordingQueue> queue;
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_recordWidth = 0;
        m_recordHeight = 0;
        m_recordingBroken = false;
        queue = std::move(m_recorder);
    }
    if (!queue)
        return nullptr;
    std::unique_ptr<CVideoRecorder> recorder = queue->Finish();
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    // Its final counts stay in the statistics.
    const RecordingQueue::Counters counts = queue->GetCounters();
    m_stats.encoded += counts.encoded - m_recorderCountsSeen.encoded;
    m_stats.recordQueueFull += counts.queueFull - m_recorderCountsSeen.queueFull;
    m_stats.encodeUs += counts.encodeUs - m_recorderCountsSeen.encodeUs;
    m_recorderCountsSeen = RecordingQueue::Counters();
    return recorder;
}

void CCameraController::AddRecorderCounts(PipelineStats* stats) const
{
    if (!m_recorder)
        return;
    const RecordingQueue::Counters counts = m_recorder->GetCounters();
    stats->encoded += counts.encoded - m_recorderCountsSeen.encoded;
    stats->recordQueueFull += counts.queueFull - m_recorderCountsSeen.queueFull;
    stats->encodeUs += counts.encodeUs - m_recorderCountsSeen.encodeUs;
}

CCameraController::RecordingEnd CCameraController::CloseRecorder(
    std::unique_ptr<CVideoRecorder> recorder, std::string* path)
{
    if (!recorder)
        return RecordingEnd::kNone;
    // Outside the lock: finishing the file may take a while, and no frame
    // reaches a recorder that has been taken out.
    const bool completed = recorder->Close();
    if (path)
        *path = recorder->m_path;
    if (completed)
        return RecordingEnd::kSaved;
    return recorder->PacketsWritten() > 0 ? RecordingEnd::kSavedNotFinalised : RecordingEnd::kFailed;
}

bool CCameraController::IsRecording() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_recorder != nullptr;
}

bool CCameraController::SaveRenderedImage(const wchar_t* path)
{
    if (!m_render)
        return false;
    std::string target;
    if (!capture::PathToUtf8(path, &target))
        return false;
    return m_render->SaveSnapshot(target);
}

std::string CCameraController::LanguageText(const char* id) const
{
    if (!m_manager)
        return std::string();
    DuiLib::IQueryControlText* query = DuiLib::CResourceManager::GetInstance()->GetTextQueryInterface();
    if (!query)
        return std::string();
    return query->QueryControlText(id, nullptr).GetData();
}

std::string CCameraController::GetColorModeText(int value) const
{
    switch (value) {
    case 0:
        return LanguageText("STR_COLORMODE_COLOR");
    case 1:
        return LanguageText("STR_COLORMODE_MONOCHROME");
    case 2:
        return LanguageText("STR_COLORMODE_NEGATIVE");
    default:
        return std::string();
    }
}

std::string CCameraController::GetPowerFreqText(int value) const
{
    if (!m_manager)
        return std::string();
    switch (value) {
    case 0:
        return LanguageText("STR_AUTO");
    case 1:
        return "50Hz";
    case 2:
        return "60Hz";
    default:
        return std::string();
    }
}

void CCameraController::SetPreviewHeld(bool held)
{
    // Under m_lock: a frame being handled reaches the preview before the
    // hold starts, never after.
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_previewHeld = held;
}

void CCameraController::ApplyCalibration(int index)
{
    if (!m_render || index < 0 || index >= m_caliStore.GetCount())
        return;
    const CaliData entry = m_caliStore.GetAt(index);
    const std::string unit = CaliDataStore::GetUnitName(entry.unit);
    m_render->GetContainer().SetCalibration(sf::String::fromUtf8(unit.begin(), unit.end()), entry.value);
}

void CCameraController::SetMeasureTool(int tool)
{
    if (m_render)
        m_render->GetContainer().SetTool(tool);
}

int CCameraController::GetPrimitiveCount() const
{
    return m_render ? m_render->GetContainer().GetCount() : 0;
}

MeasureResult CCameraController::GetMeasureResult(int index) const
{
    return m_render ? m_render->GetContainer().GetResult(index) : MeasureResult();
}

bool CCameraController::CopyDisplayPicture(std::vector<uint8_t>* pixels, int* width, int* height) const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_frameWidth <= 0 || !pixels)
        return false;
    if (m_displayInPreview && m_render)
        return m_render->CopyNewestFrame(pixels, width, height);
    if (!m_display)
        return false;
    pixels->assign(m_display.get(), m_display.get() + m_displaySize);
    if (width)
        *width = m_frameWidth;
    if (height)
        *height = m_frameHeight;
    return true;
}

PipelineStats CCameraController::GetPipelineStats() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    PipelineStats stats = m_stats;
    AddRecorderCounts(&stats);
    return stats;
}

void CCameraController::ResetPipelineStats()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_stats = PipelineStats();
    m_recorderCountsSeen = m_recorder ? m_recorder->GetCounters() : RecordingQueue::Counters();
}

}  // namespace kelvara
