#pragma once
// The DirectShow backend: drives any video capture device of the capture
// layer through a filter graph (capture source -> Sample Grabber -> Null
// Renderer, plus a still chain when the device has a still pin). Frames are
// passed on in the device's own pixel format.
//
// Threads:
// - UI thread: every public operation, construction and destruction.
// - Preview streaming thread: OnSample(kind 0) reads the paused flag, the
//   preview subtype index and the record size (atomics), the callback under
//   m_lock, and hands a frame to a waiting GetPreviewImage under m_lock.
// - Still streaming thread: OnSample(kind 1) stores the still under
//   m_stillMutex and signals m_stillEvent.
// Release, Init and destruction stop the graph before anything the streaming
// threads use is freed. Lock order: m_lock and m_stillMutex are never held
// together, and neither is held while the frame callback runs.

#include "camera_module/CMCameraSDK.h"
#include "camera_module/directshow/CMCaptureEngine.h"
#include "platform/system/Event.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class CMCameraDirectShow : public CMCameraSDK
{
public:
    explicit CMCameraDirectShow(int deviceIndex);
    ~CMCameraDirectShow() override;

    int Init(CMFrameCallback callback, void* user, long width, long height) override;
    int Release() override;
    int HasVideoVideoProperty() override;
    int GetSupportedPreviewSizes(std::vector<tagSIZE>* sizes) override;
    int GetPreviewImageSize(int* width, int* height) override;
    int SetPreviewImageSize(int width, int height) override;
    std::vector<int> GetSupportedImageFormats() override;
    int GetImageFormat(int* format) override;
    int SetImageFormat(int format) override;
    bool IsSupportStillCapture() override;
    int GetSupportedStillCaptureSizes(std::vector<tagSIZE>* sizes) override;
    int GetStillImageSize(int& width, int& height) override;
    int SetStillImageSize(int width, int height) override;
    int ShowCameraPropertyPages(HWND owner, const wchar_t* title) override;
    bool IsPropertySupport(tagCMProperty property) override;
    int GetPropertyRange(tagCMProperty property, double* min, double* max, double* def, int* digits) override;
    int GetProperty(tagCMProperty property, double* value, int* isAuto) override;
    int SetProperty(tagCMProperty property, double value, int isAuto) override;
    using CMCameraBase::GetFrameRate;
    // Asks the capture pin: after an unplug it answers "not connected".
    bool IsDeviceLost() override;

protected:
    int GetPreviewImage(tagCMImage* image) override;
    int GetStillImage(tagCMImage* image) override;

    // The record of this camera's device, null for an index outside 0..19.
    CMCaptureDevice* DeviceRecord();
    bool IsReady();
    CMCaptureEngine& Engine() { return *m_engine; }

    std::unique_ptr<CMCaptureEngine> m_engine;
    // Table index of the preview subtype: the next Init's request, then the
    // negotiated one.
    std::atomic<int> m_previewSubtypeIndex;
    // tagCMImageFormat of the still pin (what the next Init requests, then
    // what was negotiated).
    int m_stillFormat;

private:
    static void SampleHandOver(void* camera, int kind, BYTE* buffer, long length);
    void OnPreviewSample(BYTE* buffer, long length);
    void OnStillSample(BYTE* buffer, long length);

    // Still hand-over.
    kelvara::Event m_stillEvent;
    std::mutex m_stillMutex;  // Guards m_stillBuffer.
    std::vector<BYTE> m_stillBuffer;

    // Preview grab hand-over, guarded by m_lock.
    int m_grabPending = 0;
    kelvara::Event m_grabEvent;
    tagCMImage* m_grabTarget = nullptr;
};
