#pragma once
// The abstract camera every backend derives from, and the only camera type
// the program sees. A camera is created by the factory, opened with Init,
// delivers frames through the callback on a thread of its backend, is closed
// with Release and then deleted by its owner.
//
// Threads:
// - UI thread: construction, Init, Release, Play, Pause, every size, format,
//   still and property operation, Snap, setCallback, destruction.
// - Delivery thread (owned by the backend): reads the callback and user
//   pointer through CurrentCallback(), calls frameCount(), checks IsPaused().
// - Any thread: GetFrameRate() (float), IsPaused(), ReportDeviceLost().
// m_lock guards m_callback and m_user, and in backends the hand-over of a
// frame to a waiting grab. It is never held while the callback runs, so the
// caller's own lock may be taken inside the callback.
//
// Unsupported operations return their code and write nothing into
// out-parameters; callers pass initialised variables.

#include "camera_module/CMTypes.h"
#include "camera_module/FrameRateCounter.h"
#include "camera_module/SoftAdjust.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class CMCameraBase
{
public:
    CMCameraBase();
    explicit CMCameraBase(int deviceIndex);
    CMCameraBase(const CMCameraBase&) = delete;
    CMCameraBase& operator=(const CMCameraBase&) = delete;

    // Slot 0. The owner deletes the object after Release.
    virtual ~CMCameraBase();

    // Slot 1. Opens the device, asks for a preview of about width x height
    // and registers the callback. 0, or 24 when the camera cannot be opened.
    virtual int Init(CMFrameCallback callback, void* user, long width, long height);
    // Slot 2. Closes the device; a later Init may open it again.
    virtual int Release();
    // Slots 3, 4. Start/resume and suppress frame delivery.
    virtual int Play();
    virtual int Pause();
    // Slot 5. Non-zero when the device has its own property dialog.
    virtual int HasVideoVideoProperty();

    // Slots 6 to 11: every backend supplies these.
    virtual int GetSupportedPreviewSizes(std::vector<tagSIZE>* sizes) = 0;
    virtual int GetPreviewImageSize(int* width, int* height) = 0;
    virtual int SetPreviewImageSize(int width, int height) = 0;
    virtual std::vector<int> GetSupportedImageFormats() = 0;
    virtual int GetImageFormat(int* format) = 0;
    virtual int SetImageFormat(int format) = 0;

    // Slots 12 to 15: the separate still-capture path.
    virtual bool IsSupportStillCapture();
    virtual int GetSupportedStillCaptureSizes(std::vector<tagSIZE>* sizes);
    virtual int GetStillImageSize(int& width, int& height);
    virtual int SetStillImageSize(int width, int height);

    // Slot 16. Shows the device's own property dialog modally over owner.
    virtual int ShowCameraPropertyPages(HWND owner, const wchar_t* title);

    // Slot 17: the configured rate; slot 18: the measured frames per second,
    // 0 once the device is lost.
    virtual int GetFrameRate(int* rate);
    virtual float GetFrameRate();

    // Slots 19 to 23: long exposure.
    virtual int IsSupportLongExposure();
    virtual int GetLongExposureRange(double* min, double* max);
    virtual int GetLongExposureDefault(double* value);
    virtual int GetLongExposure(int* enabled, double* value);
    virtual int SetLongExposure(int enabled, double value);

    // Slots 24 to 27: frame rate control.
    virtual int IsSupportFrameRate();
    virtual int GetFrameRateRange(int* min, int* max);
    virtual int GetFrameRateDefault(int* rate);
    virtual int SetFrameRate(int rate);

    // Slots 28 to 34: the generic property interface. The base answers the
    // software values 10, 11, 12 (offsets), 23 (mirror) and 24 (flip).
    virtual bool IsPropertySupport(tagCMProperty property);
    virtual int GetPropertyRange(tagCMProperty property, double* min, double* max, double* def, int* digits);
    virtual int GetPropertyRangeEnumInt(tagCMProperty property, std::vector<int>& values);
    virtual int GetProperty(tagCMProperty property, double* value, int* isAuto);
    virtual int GetPropertyUnit(tagCMProperty property, wchar_t* buffer, int bufferChars);
    virtual int GetPropertyAlias(tagCMProperty property, double value, wchar_t* buffer, int bufferChars);
    virtual int SetProperty(tagCMProperty property, double value, int isAuto);

    // The still picture if the device has a still path, else the next preview
    // frame. The caller owns image->data (delete[]).
    int Snap(tagCMImage* image);
    // width * height * 3 of the picture Snap would deliver.
    long GetSnapImageSize();
    // Replaces callback and user pointer under the lock.
    void setCallback(CMFrameCallback callback, void* user);
    // Applies the software adjustments to an image of format 2 or 3.
    void processPixels(tagCMImage* image);

    void SetDeviceInfo(_tag_VideoDeviceInfo info);
    _tag_VideoDeviceInfo GetDeviceInfo();
    // vid and pid are both 0xFFFF.
    bool IsNetworkCamera();
    int IsPaused() const { return m_paused.load(std::memory_order_acquire); }

protected:
    // Slot 35: a copy of the next preview frame. Slot 36: a still picture.
    virtual int GetPreviewImage(tagCMImage* image);
    virtual int GetStillImage(tagCMImage* image);

    // Counts one delivered frame; delivery thread only.
    void frameCount();

    // Marks the device as gone (unplugged, connection lost); any thread,
    // usually the delivery thread when it sees the loss. IsDeviceLost then
    // answers true and the measured frame rate reads 0 until the next Init.
    void ReportDeviceLost() { m_deviceLost.store(true, std::memory_order_release); }
    void ClearDeviceLost() { m_deviceLost.store(false, std::memory_order_release); }

    // Callback and user pointer read together under the lock, for delivery.
    void CurrentCallback(CMFrameCallback* callback, void** user);

    // The object's lock lives as long as the object; InitLock and ReleaseLock
    // mark where it is created and destroyed.
    void InitLock() { }
    void ReleaseLock() { }
    void Lock() { m_lock.lock(); }
    void Unlock() { m_lock.unlock(); }

    _tag_VideoDeviceInfo m_deviceInfo;
    int m_nDeviceIndex;
    std::atomic<int> m_paused;
    CMFrameCallback m_callback;  // Guarded by m_lock.
    void* m_user;  // Guarded by m_lock.
    std::recursive_mutex m_lock;
    std::unique_ptr<FrameRateCounter> m_pFrameRate;
    std::unique_ptr<SoftAdjust> m_pSoftAdjust;
    std::atomic<bool> m_deviceLost{false};

public:
    // Slot 37. True once the open device is gone (unplugged, connection
    // lost): no frame will come again and the owner closes the camera
    // (Release, delete). UI thread: a backend may ask its device here. A
    // later successful Init starts again with false.
    virtual bool IsDeviceLost();
};
