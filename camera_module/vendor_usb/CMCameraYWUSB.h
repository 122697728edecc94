#pragma once
// Cameras of the vendor USB SDK, driven directly through its C functions.
// The SDK delivers sensor frames on its own thread; the frame function runs
// them through the SDK's image processor (DeviceISP) and passes the packed
// top-down B, G, R picture on as a format-1 frame.
//
// Threads:
// - UI thread: construction, destruction and every public operation.
// - SDK delivery thread: FrameFunction only. It reads the callback through
//   CurrentCallback (under m_lock) and counts frames; it touches no other
//   member. Pause, SetPreviewImageSize and Release stop the SDK stream,
//   which returns only once the frame function has finished.

#include "camera_module/CMCameraSDK.h"

#include <cstdint>
#include <vector>

struct YWFrameRecord;

// One frame speed of the SDK: its name and the value the SDK takes.
struct CMFrameSpeed
{
    wchar_t name[260];
    int value;
};

class CMCameraYWUSB : public CMCameraSDK
{
public:
    explicit CMCameraYWUSB(int deviceIndex);
    // Releases the device if the owner did not.
    ~CMCameraYWUSB() override;

    // 0, or 24 when the SDK or the device could not be opened.
    int Init(CMFrameCallback callback, void* user, long width, long height) override;
    int Release() override;
    // Play starts the SDK stream, Pause stops it.
    int Play() override;
    int Pause() override;
    int GetSupportedPreviewSizes(std::vector<tagSIZE>* sizes) override;
    int GetPreviewImageSize(int* width, int* height) override;
    // 30 when the size is not listed or the SDK refused it; the stream keeps
    // running (unless paused) either way.
    int SetPreviewImageSize(int width, int height) override;
    std::vector<int> GetSupportedImageFormats() override;
    int GetImageFormat(int* format) override;
    int SetImageFormat(int format) override;
    int GetSupportedStillCaptureSizes(std::vector<tagSIZE>* sizes) override;
    int GetStillImageSize(int& width, int& height) override;
    int SetStillImageSize(int width, int height) override;
    int ShowCameraPropertyPages(HWND owner, const wchar_t* title) override;
    bool IsPropertySupport(tagCMProperty property) override;
    int GetPropertyRange(tagCMProperty property, double* min, double* max, double* def, int* digits) override;
    int GetProperty(tagCMProperty property, double* value, int* isAuto) override;
    int SetProperty(tagCMProperty property, double value, int isAuto) override;
    using CMCameraBase::GetFrameRate;

    // Frame speeds of the SDK (appended); -2 without a device or list, 21
    // when the SDK has no capability record.
    virtual int GetFrameSpeeds(std::vector<CMFrameSpeed>* speeds);
    // The SDK's current frame speed value.
    virtual int GetFrameSpeed(int* value);
    // Sets the speed of list entry index; -1 for an index outside the list.
    virtual int SetFrameSpeed(int index);

protected:
    // The next picture through a temporary BMP file (Snap uses it). Result 0;
    // the image stays empty when nothing could be captured.
    int GetPreviewImage(tagCMImage* image) override;

private:
    static int FrameFunction(int device, int slot, const YWFrameRecord* frame, void* camera);
    void OnFrame(int device, int slot, const YWFrameRecord* frame);
    // Index of (width, height) in the SDK's resolution list, -1 if absent.
    int ResolutionIndex(int width, int height);

    int m_hFactory = 0;  // SDK factory handle, 0 = none
    int m_hDevice = 0;  // SDK device handle, 0 = none
    bool m_settingPageCreated = false;
};
