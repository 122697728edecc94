#pragma once
// A wireless (Wi-Fi) camera reached through the wireless camera SDK at a
// network address. Frames and stills come from the polling thread of
// CMCameraSDKThread; everything else is a request to the camera.
//
// Threads:
// - UI thread: construction, Init, Release, Play, Pause, the size, format,
//   still and property operations, destruction. They call the SDK while the
//   polling thread polls it; the SDK allows that.
// - Polling thread: Poll, which delivers frames and hands a still over.
// m_handle is written only while no polling thread runs (before StartPolling
// and after StopPolling). The still hand-over (m_stillTarget and its wanted
// size) is guarded by the object's lock; the still event wakes the waiting
// UI thread.
//
// Release is bounded even when the network stalls: the SDK does all network
// reading on its own thread, CHD_WMP_Poll waits at most 2 ms and fetching a
// frame never waits, so the polling thread stops within a frame callback's
// time; it is joined before the video is ended and the connection closed.
// Ending the video waits at most the SDK's request timeout (1000 ms) and
// disconnecting never waits on the network.

#include "camera_module/wireless/CMCameraSDKThread.h"
#include "platform/system/Event.h"

#include <atomic>
#include <vector>

class CMCameraWMPBox : public CMCameraSDKThread
{
public:
    // address: "host[:port]"; cut to 19 characters. Contacts nothing.
    explicit CMCameraWMPBox(const wchar_t* address);
    ~CMCameraWMPBox() override;

    int Init(CMFrameCallback callback, void* user, long width, long height) override;
    int Release() override;

    int GetSupportedPreviewSizes(std::vector<tagSIZE>* sizes) override;
    int GetPreviewImageSize(int* width, int* height) override;
    int SetPreviewImageSize(int width, int height) override;
    std::vector<int> GetSupportedImageFormats() override;
    int GetImageFormat(int* format) override;
    int SetImageFormat(int format) override;

    bool IsSupportStillCapture() override { return true; }
    int GetSupportedStillCaptureSizes(std::vector<tagSIZE>* sizes) override;
    int GetStillImageSize(int& width, int& height) override;

    bool IsPropertySupport(tagCMProperty property) override;
    int GetPropertyRange(tagCMProperty property, double* min, double* max, double* def, int* digits) override;
    int GetProperty(tagCMProperty property, double* value, int* isAuto) override;
    int SetProperty(tagCMProperty property, double value, int isAuto) override;

    int Poll() override;

    // Slot 38: no optional features.
    virtual bool IsOptionSupported(int option);
    // Slot 39: the still size to use from now on.
    virtual int RememberStillImageSize(int* width, int* height);

    // The SDK video control that carries a property, or -1.
    static int ControlForProperty(tagCMProperty property);
    // SDK format code <-> tagCMImageFormat.
    static int FormatFromCode(int code);
    static int CodeFromFormat(int format);

    // Longest wait for a still picture.
    static constexpr uint32_t kStillTimeoutMs = 5000;

protected:
    int GetPreviewImage(tagCMImage* image) override;
    int GetStillImage(tagCMImage* image) override;

private:
    void CloseConnection();
    // Reads the SDK control record of a property; false when it has none or
    // the read failed.
    bool ReadControl(tagCMProperty property, int* words);
    int PollVideo();
    int PollPicture();

    wchar_t m_address[20];
    int m_handle = 0;  // 0: not connected
    int m_stillWidth = 0;
    int m_stillHeight = 0;
    tagCMImage* m_stillTarget = nullptr;  // Guarded by m_lock.
    int m_stillWantedWidth = 0;  // Guarded by m_lock.
    int m_stillWantedHeight = 0;  // Guarded by m_lock.
    kelvara::Event m_stillEvent{false, false};
    std::atomic<bool> m_lostReported{false};  // Polling thread.
};
