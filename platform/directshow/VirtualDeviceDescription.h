#pragma once
// What a virtual capture device is: names, pins with their formats, controls,
// an optional register port, frame rate, the scene and the faults it injects.
// Built in code by tests or read from JSON:
//
//   { "devices": [ {
//       "name": "Bench Microscope",
//       "path": "virtual#vid_eba1&pid_7585#1",
//       "frame_rate": 30,
//       "pins": {
//         "capture": [ { "format": "MJPG", "sizes": [[640, 480], [1280, 720]] },
//                      { "format": "YUY2", "min": [160, 120], "max": [1920, 1080], "step": [8, 4] } ],
//         "still":   [ { "format": "YUY2", "sizes": [[2592, 1944]] } ] },
//       "controls": { "brightness": { "min": -64, "max": 64, "step": 1, "default": 0 },
//                     "exposure": { "min": 1, "max": 5000, "default": 156, "auto": true } },
//       "register_port": { "74": 25, "12": 33 },
//       "micrometer_pitch_px": 12.5, "sensor": [2592, 1944],
//       "faults": { "refuse_formats": ["YUY2"], "refuse_sizes": [[1280, 720]],
//                   "still_never_fires": true, "late_first_still_ms": 7000, "unplug_after_frames": 300,
//                   "short_frame_every": 0 } } ] }
//
// A single device object or a bare array of devices is accepted too. Pins:
// "capture", "preview", "still" (a missing pin is absent). Formats: "MJPG",
// "YUY2", "RGB24", "H264", "NV12", "I420", "YV12", "GREY", "UYVY", "YVYU".
// Control names: brightness, contrast, hue,
// saturation, sharpness, gamma, color_enable, white_balance,
// backlight_compensation, gain (video proc amp); pan, tilt, roll, zoom,
// exposure, iris, focus (camera control). The first size of the first
// format of a pin is its default format. "micrometer_pitch_px" is the pitch
// on the sensor, by default the largest capture or preview size; frames of
// other sizes show the field as MicroscopeScene describes.
//
// Threads: plain data and pure functions; any thread.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/directshow/CaptureDevice.h"

namespace kelvara::dshow {

struct VirtualControl
{
    ControlSet set = ControlSet::VideoProcAmp;
    long property = 0;
    long minimum = 0;
    long maximum = 0;
    long step = 1;
    long defaultValue = 0;
    bool hasAuto = false;
    bool autoByDefault = false;
};

struct VirtualFaults
{
    std::vector<GUID> refusedSubtypes;  // SetFormat refuses these subtypes
    std::vector<std::pair<int, int>> refusedSizes;  // ... and these sizes, whatever the subtype
    bool stillNeverFires = false;  // TriggerStill succeeds, no still comes
    int lateFirstStillMs = 0;  // the first still comes that long after its trigger; 0 at once
    int unplugAfterFrames = 0;  // unplug after that many frames; 0 never
    int shortFrameEvery = 0;  // every n-th frame cut to half; 0 never
};

struct VirtualDeviceDescription
{
    std::wstring name = L"Virtual Camera";
    std::wstring devicePath = L"virtual#vid_0000&pid_0000#0";
    std::vector<FormatRange> capturePin;  // empty: no such pin
    std::vector<FormatRange> previewPin;
    std::vector<FormatRange> stillPin;
    double frameRate = 30.0;  // the rate of the device's default interval
    // The rate another program left set: the device streams at it until a
    // format is set (a new format starts at the default interval, as with
    // uvcvideo, unless an interval is asked for). 0: none.
    double leftBehindFrameRate = 0;
    // Listed, but the user may not open it (as a V4L2 node of a group the
    // user is not in): opening fails with E_ACCESSDENIED.
    bool accessDenied = false;
    std::vector<VirtualControl> controls;
    // Register port: CameraControl_Roll selects register (low 8 bits),
    // CameraControl_Focus reads/writes its 16-bit signed content.
    bool hasRegisterPort = false;
    std::map<int, int> registers;  // initial contents; others read 0
    double micrometerPitchPx = 10.0;  // pixels between two ticks of the scale on the sensor
    // The sensor's size; 0 x 0: the largest capture or preview size.
    int sensorWidth = 0;
    int sensorHeight = 0;
    VirtualFaults faults;

    const std::vector<FormatRange>& Pin(PinKind pin) const;
};

// Parses JSON text into descriptions (appended to out). False with a message
// in *error when the text or a field is malformed; out is then unchanged.
bool ParseVirtualDevices(
    const std::string& jsonText, std::vector<VirtualDeviceDescription>* out, std::string* error);
bool LoadVirtualDevicesFile(
    const std::string& path, std::vector<VirtualDeviceDescription>* out, std::string* error);

// The sensor the scene is laid out on: the explicit one, else the largest
// (by area, the first of equals) size of the capture and preview pins.
std::pair<int, int> VirtualSensorSize(const VirtualDeviceDescription& description);

// The built-in camera of KELVARA_VIRTUAL_CAMERAS=demo: 1920 x 1080 MJPG and
// YUY2 (also 1280 x 720, 800 x 600, 640 x 480, 640 x 360: the sensor's field
// scaled and cropped), a still pin, the usual controls, 30 fps.
VirtualDeviceDescription DemoVirtualCamera();

// A control table entry by name ("brightness", "exposure", ...); false when
// the name is unknown.
bool VirtualControlByName(const std::string& name, ControlSet* set, long* property);

}  // namespace kelvara::dshow
