#pragma once
// The program's single owner of the open camera. Every preview frame passes
// through OnFrame: it is checked, turned into one R,G,B,A display buffer
// (upright, with the software mirror and flip the camera does not do
// itself), handed to the preview and, while recording, converted to I420 for
// the recorder: a camera's JPEG then from its own decoded planes (no pass
// over the display picture), any other frame from the display picture. The
// controller also writes still pictures, fills the lists and menus of the
// main window from what the camera reports and forwards measurement
// requests to the preview's container.
//
// Threads and locks:
// - UI thread: construction, destruction and every public operation except
//   OnFrame, CopyDisplayPicture and GetPipelineStats.
// - Camera delivery thread: OnFrame.
// - Any thread: CopyDisplayPicture, GetPipelineStats, GetLock.
// - With a preview, frames are converted straight into a buffer of the
//   preview's (AcquireFrame) and handed over without a copy; without one,
//   into the display buffer.
// - While recording, frames are converted to I420 on the camera thread and
//   encoded on the RecordingQueue's thread; finishing waits for it outside
//   m_lock.
// - m_lock (re-entrant) guards the frame buffers, the JPEG planes, the
//   recorder, the render control pointer, the software orientation, the
//   TurboJPEG handle and the statistics. m_pCamera and m_stillScale are touched
//   by the UI thread only. A recorder is opened before it is put under the lock and
//   finished after it is taken out, so the preview never waits for a file. Lock order: m_lock, then the
//   render control's lock (inside PushFrame). The camera is never released with m_lock held, because its
//   Release waits for a delivery thread that may be waiting for m_lock.

#include "app/capture/CVideoRecorder.h"
#include "app/capture/JpegPlanes.h"
#include "app/capture/RecordingQueue.h"
#include "app/measure/CaliDataStore.h"
#include "app/measure/MeasureRecords.h"
#include "camera_module/CMCameraBase.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace DuiLib {
class CComboUI;
class CMenuElementUI;
class CPaintManagerUI;
}  // namespace DuiLib

namespace kelvara {

namespace capture {
class ScaleBarPainter;
}

class CImageRenderUI;

// Where the frame callback spends its time, summed since the last reset.
struct PipelineStats
{
    uint64_t frames = 0;  // frames shown (converted and handed on)
    uint64_t dropped = 0;  // frames refused: unknown format, short data, corrupt JPEG
    uint64_t recorded = 0;  // frames queued for the recorder
    uint64_t encoded = 0;  // frames the recorder has encoded (on its own thread)
    uint64_t recordQueueFull = 0;  // frames not recorded: the encoder was behind
    uint64_t notRecorded = 0;  // frames of another size than the recording's
    int64_t convertUs = 0;  // decoding or converting into the display buffer (displayUs included)
    int64_t displayUs = 0;  // a JPEG's decoded planes into the display buffer
    int64_t pushUs = 0;  // the preview's PushFrame
    int64_t yuvUs = 0;  // the recorder's I420 picture, from the JPEG's planes or the display buffer
    int64_t encodeUs = 0;  // the recorder's EncodeFrame, on the encoder thread
    int64_t callbackUs = 0;  // the whole callback, lock wait included
};

class CCameraController
{
public:
    CCameraController();
    // Stops a recording and closes the camera.
    ~CCameraController();
    CCameraController(const CCameraController&) = delete;
    CCameraController& operator=(const CCameraController&) = delete;

    // Opens device `device` of group `group` of the factory's enumeration
    // (made anew by this call) as OpenCamera(camera) does. The device's name
    // and USB ids go to *name, *vid and *pid when given.
    bool OpenCamera(unsigned group, unsigned device, std::wstring* name = nullptr, int* vid = nullptr,
        int* pid = nullptr);
    // Takes over camera (from the factory, e.g. a network camera by address), closing the one open before,
    // and opens it with this controller's frame callback at 800 x 600. True when Init succeeded; otherwise
    // the camera is deleted. The caller starts delivery with Play.
    bool OpenCamera(CMCameraBase* camera);
    // Stops a recording, releases and deletes the camera.
    void CloseCamera();
    // True when a camera is open and its device is gone (unplugged, network
    // connection lost): no frame will come again. The main window asks once
    // a second (with the frame rate) and then calls CloseCamera, which also
    // finishes a running recording.
    bool IsCameraLost();
    CMCameraBase* GetCamera() const { return m_pCamera; }

    // The preview and the paint manager of the main window; null detaches
    // (the main window does so before the preview is destroyed).
    void SetRenderControl(CImageRenderUI* render, DuiLib::CPaintManagerUI* manager);

    void SetPreviewSizeByIndex(unsigned index);
    // The main window refills the preview sizes afterwards.
    void SetImageFormatByIndex(unsigned index);
    void SetStillImageSize(int width, int height);

    // Forwards a property change to the camera; mirror and flip are then
    // applied to the pictures if the camera only stores them.
    int SetCameraProperty(tagCMProperty property, double value, int isAuto);
    // Reads the camera's mirror and flip again (after a change made on the
    // camera directly).
    void SyncSoftOrientation();

    // Captures a still (the camera's Snap) and writes it to path (format by
    // extension). False without a camera, when Snap fails, for a format
    // without a conversion, damaged data, a path that does not fit, or a
    // file that cannot be written.
    bool SnapToFile(const wchar_t* path);
    // The selected calibration's pixel size, unitsPerPixel in unit (CaliData's
    // codes), for a picture of atWidth x atHeight (the preview's). Stills then
    // record their own pixel size: scaled by the width ratio when the still
    // has the same aspect ratio (within 0.5 %), unchanged for another one (a
    // cropped still mode). Unit 0, a value that is not finite and above 0 or
    // an empty size clears it: stills carry no pixel size.
    void SetStillScale(double unitsPerPixel, int unit, int atWidth, int atHeight);
    // Stills with a pixel size get the scale bar drawn into them while on
    // (corner: a ScaleBarCorner). UI thread.
    void SetStillScaleBar(bool on, int corner);
    // Draws the scale bar into a B,G,R,A picture with the program's font;
    // false when nothing was drawn. UI thread.
    bool BurnScaleBar(uint8_t* bgra, int width, int height, double unitsPerPixel, int unit, int corner);
    // Starts recording the preview at its current size into path (MP4),
    // finishing a recording that runs. False without a camera or when the
    // recorder cannot be opened.
    bool StartRecording(const wchar_t* path);
    // How a recording ended.
    enum class RecordingEnd
    {
        kNone,  // none ran
        kSaved,  // a complete MP4
        kSavedNotFinalised,  // not finished as a plain MP4; the playable fragments are kept
        kFailed,  // nothing playable was written
    };
    // Finishes the recording and says how that went. Its path goes to *path
    // when given.
    RecordingEnd FinishRecording(std::string* path = nullptr);
    // As FinishRecording: true only for a complete file.
    bool StopRecording(std::string* path = nullptr);
    bool IsRecording() const;
    // True when the running recording can take no more frames: writing
    // failed (a full disk) or the frames stopped having the recording's
    // size. The UI thread then finishes it. Any thread.
    bool IsRecordingBroken() const;
    // Saves what the preview shows. False without a preview.
    bool SaveRenderedImage(const wchar_t* path);

    // Fillers of the main window's lists. Each removes every item first; the
    // camera-based ones add nothing more without a camera. A non-empty list
    // then selects the current entry (0 when none matches), without taking
    // the focus, which makes the combo send "itemselect".
    void FillPreviewSizeList(DuiLib::CComboUI* combo);
    void FillImageFormatList(DuiLib::CComboUI* combo);
    // Enabled with one item per allowed value when the camera has colour
    // modes (power frequencies); disabled and empty otherwise.
    void FillColorModeList(DuiLib::CComboUI* combo);
    void FillPowerFreqList(DuiLib::CComboUI* combo);
    // One item per stored calibration (unit names, "px" to "uin"); selects
    // rememberedIndex, which becomes 0 when it is not below the item count.
    void FillCalibrationList(DuiLib::CComboUI* combo, int& rememberedIndex);
    void FillUnitList(DuiLib::CComboUI* combo, int& rememberedIndex);
    // Adds the still sizes to menu as check items (user data "w|h", names
    // "Menu_SubItem_StillSize_<i>", the current still size checked) of
    // itemHeight; without a still path one disabled item with the preview size.
    void BuildStillSizeMenu(DuiLib::CMenuElementUI* menu, int itemHeight);

    // Texts of the colour-mode and power-frequency values; "" for values
    // without a label, without a paint manager or without the string.
    std::string GetColorModeText(int value) const;
    std::string GetPowerFreqText(int value) const;

    // While held, frames from the camera are dropped on arrival (nothing is
    // shown or recorded): the preview shows a frozen frame or a picture file
    // instead. The camera stays open and keeps delivering. UI thread; waits
    // for a frame being handled.
    void SetPreviewHeld(bool held);
    bool IsPreviewHeld() const { return m_previewHeld; }

    // Measurement forwards; nothing (or 0) without a preview.
    void ApplyCalibration(int index);
    void SetMeasureTool(int tool);
    int GetPrimitiveCount() const;
    MeasureResult GetMeasureResult(int index) const;
    CaliDataStore& GetCaliStore() { return m_caliStore; }

    // The frame callback given to Init: user is the controller.
    static int OnFrame(void* user, int event, long image, long reserved);

    // Copy of the display buffer (R,G,B,A, top row first) of the last frame
    // shown; false before the first one.
    bool CopyDisplayPicture(std::vector<uint8_t>* pixels, int* width, int* height) const;
    PipelineStats GetPipelineStats() const;
    void ResetPipelineStats();
    std::recursive_mutex& GetLock() { return m_lock; }

private:
    struct Orientation
    {
        bool mirror = false;
        bool flip = false;
    };

    void HandleFrame(int event, const tagCMImage* image);
    // m_lock held. Converts into target (a buffer the preview takes over
    // next) or, when null, into the display buffer. False when the frame was
    // refused; the display buffer then holds the previous picture.
    bool ConvertFrame(const tagCMImage& image, uint8_t* target);
    // picture: the frame just converted (R,G,B,A); the JPEG planes instead
    // when the picture was made from them.
    void RecordFrame(int width, int height, const uint8_t* picture);
    bool EnsureFrameBuffers(size_t bytes);
    // Takes the recording out under m_lock, then (outside it) waits until its
    // queued frames are encoded. Never call it with m_lock held.
    std::unique_ptr<CVideoRecorder> TakeRecorder();
    // m_lock held: the recorder's counters since the last reset, into stats.
    void AddRecorderCounts(PipelineStats* stats) const;
    RecordingEnd CloseRecorder(std::unique_ptr<CVideoRecorder> recorder, std::string* path);
    std::string LanguageText(const char* id) const;
    void FillEnumList(
        DuiLib::CComboUI* combo, tagCMProperty property, std::string (CCameraController::*text)(int) const);

    // A calibrated pixel size and the picture size it belongs to.
    struct StillScale
    {
        double unitsPerPixel = 0;
        int unit = 0;  // 0: none
        int width = 0;
        int height = 0;
    };

    CMCameraBase* m_pCamera = nullptr;  // owned; released and deleted on close
    StillScale m_stillScale;  // UI thread only
    struct StillScaleBar
    {
        bool on = false;
        int corner = 0;
    } m_stillScaleBar;  // UI thread only
    std::unique_ptr<capture::ScaleBarPainter> m_scaleBarPainter;  // made on first use, UI thread
    std::unique_ptr<RecordingQueue> m_recorder;  // non-null while recording
    RecordingQueue::Counters m_recorderCountsSeen;  // its counters as of the last stats reset
    CImageRenderUI* m_render = nullptr;  // borrowed
    DuiLib::CPaintManagerUI* m_manager = nullptr;  // borrowed
    std::unique_ptr<uint8_t[]> m_display;  // R,G,B,A, top row first
    std::unique_ptr<uint8_t[]> m_conversion;  // scratch of the same size
    size_t m_displaySize = 0;
    CaliDataStore m_caliStore;
    mutable std::recursive_mutex m_lock;
    void* m_tjHandle = nullptr;  // TurboJPEG decompressor, may be null
    capture::JpegPlanes m_jpegPlanes;  // the last camera JPEG decoded
    bool m_pictureFromPlanes = false;  // the last picture was made from m_jpegPlanes

    int64_t m_frameStartUs = 0;  // when the frame being handled arrived (monotonic)
    int m_frameWidth = 0;  // size of the picture in m_display; 0 before the first
    int m_frameHeight = 0;
    int m_recordWidth = 0;  // size the recorder was opened with
    int m_recordHeight = 0;
    bool m_recordingBroken = false;  // see IsRecordingBroken
    std::atomic<bool> m_previewHeld{false};  // written under m_lock (see SetPreviewHeld)
    // The last picture was made in a buffer the preview took over (and
    // m_display does not hold it).
    bool m_displayInPreview = false;
    Orientation m_softOrientation;  // applied by the controller
    PipelineStats m_stats;
};

}  // namespace kelvara
