// Virtual device descriptions: JSON reading and the built-in demo camera.

#include "platform/directshow/VirtualDeviceDescription.h"

#include "platform/directshow/V4L2Mapping.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace kelvara::dshow {

namespace {

using nlohmann::json;

struct ControlName
{
    const char* name;
    ControlSet set;
    long property;
};

const ControlName kControlNames[] = {
    {"brightness", ControlSet::VideoProcAmp, VideoProcAmp_Brightness},
    {"contrast", ControlSet::VideoProcAmp, VideoProcAmp_Contrast},
    {"hue", ControlSet::VideoProcAmp, VideoProcAmp_Hue},
    {"saturation", ControlSet::VideoProcAmp, VideoProcAmp_Saturation},
    {"sharpness", ControlSet::VideoProcAmp, VideoProcAmp_Sharpness},
    {"gamma", ControlSet::VideoProcAmp, VideoProcAmp_Gamma},
    {"color_enable", ControlSet::VideoProcAmp, VideoProcAmp_ColorEnable},
    {"white_balance", ControlSet::VideoProcAmp, VideoProcAmp_WhiteBalance},
    {"backlight_compensation", ControlSet::VideoProcAmp, VideoProcAmp_BacklightCompensation},
    {"gain", ControlSet::VideoProcAmp, VideoProcAmp_Gain},
    {"pan", ControlSet::CameraControl, CameraControl_Pan},
    {"tilt", ControlSet::CameraControl, CameraControl_Tilt},
    {"roll", ControlSet::CameraControl, CameraControl_Roll},
    {"zoom", ControlSet::CameraControl, CameraControl_Zoom},
    {"exposure", ControlSet::CameraControl, CameraControl_Exposure},
    {"iris", ControlSet::CameraControl, CameraControl_Iris},
    {"focus", ControlSet::CameraControl, CameraControl_Focus},
};

// Malformed input is reported by throwing this; caught at the parser's edge.
struct DescriptionError
{
    std::string message;
};

[[noreturn]] void Fail(const std::string& message)
{
    throw DescriptionError{message};
}

GUID SubtypeByName(const std::string& name)
{
    if (name == "MJPG")
        return MEDIASUBTYPE_MJPG;
    if (name == "YUY2")
        return MEDIASUBTYPE_YUY2;
    if (name == "RGB24")
        return MEDIASUBTYPE_RGB24;
    if (name == "H264")
        return MEDIASUBTYPE_H264;
    const std::pair<const char*, const GUID*> others[]
        = {{"NV12", &MEDIASUBTYPE_NV12}, {"I420", &MEDIASUBTYPE_IYUV}, {"YV12", &MEDIASUBTYPE_YV12},
            {"GREY", &MEDIASUBTYPE_GREY}, {"UYVY", &MEDIASUBTYPE_UYVY}, {"YVYU", &MEDIASUBTYPE_YVYU}};
    for (const auto& [known, subtype] : others) {
        if (name == known)
            return *subtype;
    }
    Fail("unknown format \"" + name + "\" (MJPG, YUY2, RGB24, H264, NV12, I420, YV12, GREY, UYVY, YVYU)");
}

std::pair<int, int> SizeOf(const json& j, const char* what)
{
    if (!j.is_array() || j.size() != 2 || !j[0].is_number_integer() || !j[1].is_number_integer())
        Fail(std::string(what) + " must be [width, height]");
    int w = j[0].get<int>();
    int h = j[1].get<int>();
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384)
        Fail(std::string(what) + " out of range (1..16384)");
    return {w, h};
}

std::vector<FormatRange> ParsePin(const json& j, double frameRate)
{
    if (!j.is_array())
        Fail("a pin must be an array of formats");
    const REFERENCE_TIME interval = static_cast<REFERENCE_TIME>(1e7 / frameRate + 0.5);
    std::vector<FormatRange> pin;
    for (const json& f : j) {
        if (!f.is_object() || !f.contains("format") || !f["format"].is_string())
            Fail("a pin format needs a \"format\" name");
        const GUID subtype = SubtypeByName(f["format"].get<std::string>());
        if (f.contains("sizes")) {
            if (!f["sizes"].is_array() || f["sizes"].empty())
                Fail("\"sizes\" must be a non-empty array");
            for (const json& s : f["sizes"]) {
                auto [w, h] = SizeOf(s, "a size");
                pin.push_back(FormatRange::Discrete(subtype, w, h));
            }
        } else if (f.contains("min") && f.contains("max")) {
            auto [minW, minH] = SizeOf(f["min"], "\"min\"");
            auto [maxW, maxH] = SizeOf(f["max"], "\"max\"");
            std::pair<int, int> step{1, 1};
            if (f.contains("step"))
                step = SizeOf(f["step"], "\"step\"");
            if (minW > maxW || minH > maxH)
                Fail("\"min\" exceeds \"max\"");
            pin.push_back(FormatRange::Stepwise(subtype, minW, minH, maxW, maxH, step.first, step.second));
        } else {
            Fail("a pin format needs \"sizes\" or \"min\"/\"max\"");
        }
    }
    for (FormatRange& r : pin)
        r.minInterval = r.maxInterval = interval;
    return pin;
}

long LongField(const json& j, const char* key, long fallback)
{
    if (!j.contains(key))
        return fallback;
    if (!j[key].is_number_integer())
        Fail(std::string("\"") + key + "\" must be an integer");
    return j[key].get<long>();
}

VirtualDeviceDescription ParseDevice(const json& j)
{
    if (!j.is_object())
        Fail("a device must be an object");
    VirtualDeviceDescription d;
    if (j.contains("name"))
        d.name = WidenUtf8(j["name"].get<std::string>());
    if (j.contains("path"))
        d.devicePath = WidenUtf8(j["path"].get<std::string>());
    if (j.contains("frame_rate")) {
        d.frameRate = j["frame_rate"].get<double>();
        if (!(d.frameRate >= 0.5 && d.frameRate <= 240))
            Fail("\"frame_rate\" out of range (0.5..240)");
    }
    if (j.contains("pins")) {
        const json& pins = j["pins"];
        for (auto it = pins.begin(); it != pins.end(); ++it) {
            if (it.key() == "capture")
                d.capturePin = ParsePin(it.value(), d.frameRate);
            else if (it.key() == "preview")
                d.previewPin = ParsePin(it.value(), d.frameRate);
            else if (it.key() == "still")
                d.stillPin = ParsePin(it.value(), d.frameRate);
            else
                Fail("unknown pin \"" + it.key() + "\"");
        }
    }
    if (d.capturePin.empty() && d.previewPin.empty())
        Fail("a device needs a \"capture\" or \"preview\" pin");
    if (j.contains("controls")) {
        for (auto it = j["controls"].begin(); it != j["controls"].end(); ++it) {
            VirtualControl c;
            if (!VirtualControlByName(it.key(), &c.set, &c.property))
                Fail("unknown control \"" + it.key() + "\"");
            const json& v = it.value();
            c.minimum = LongField(v, "min", 0);
            c.maximum = LongField(v, "max", 255);
            c.step = LongField(v, "step", 1);
            c.defaultValue = LongField(v, "default", c.minimum);
            c.hasAuto = v.value("auto", false);
            c.autoByDefault = v.value("auto_default", c.hasAuto);
            if (c.minimum > c.maximum || c.step < 1 || c.defaultValue < c.minimum
                || c.defaultValue > c.maximum)
                Fail("control \"" + it.key() + "\" has an inconsistent range");
            d.controls.push_back(c);
        }
    }
    if (j.contains("register_port")) {
        d.hasRegisterPort = true;
        for (auto it = j["register_port"].begin(); it != j["register_port"].end(); ++it) {
            int reg = std::stoi(it.key());
            if (reg < 0 || reg > 255)
                Fail("register numbers are 0..255");
            d.registers[reg] = it.value().get<int>();
        }
    }
    if (j.contains("micrometer_pitch_px")) {
        d.micrometerPitchPx = j["micrometer_pitch_px"].get<double>();
        if (!(d.micrometerPitchPx >= 2.0 && d.micrometerPitchPx <= 1000.0))
            Fail("\"micrometer_pitch_px\" out of range (2..1000)");
    }
    if (j.contains("sensor")) {
        auto [w, h] = SizeOf(j["sensor"], "\"sensor\"");
        d.sensorWidth = w;
        d.sensorHeight = h;
    }
    if (j.contains("faults")) {
        const json& f = j["faults"];
        if (f.contains("refuse_formats"))
            for (const json& s : f["refuse_formats"])
                d.faults.refusedSubtypes.push_back(SubtypeByName(s.get<std::string>()));
        if (f.contains("refuse_sizes"))
            for (const json& s : f["refuse_sizes"])
                d.faults.refusedSizes.push_back(SizeOf(s, "a refused size"));
        d.faults.stillNeverFires = f.value("still_never_fires", false);
        d.faults.lateFirstStillMs = f.value("late_first_still_ms", 0);
        d.faults.unplugAfterFrames = f.value("unplug_after_frames", 0);
        d.faults.shortFrameEvery = f.value("short_frame_every", 0);
        if (d.faults.unplugAfterFrames < 0 || d.faults.shortFrameEvery < 0)
            Fail("fault counts must not be negative");
    }
    return d;
}

}  // namespace

const std::vector<FormatRange>& VirtualDeviceDescription::Pin(PinKind pin) const
{
    switch (pin) {
    case PinKind::Preview:
        return previewPin;
    case PinKind::Still:
        return stillPin;
    default:
        return capturePin;
    }
}

std::pair<int, int> VirtualSensorSize(const VirtualDeviceDescription& description)
{
    if (description.sensorWidth > 0 && description.sensorHeight > 0)
        return {description.sensorWidth, description.sensorHeight};
    std::pair<int, int> largest{0, 0};
    for (const auto* pin : {&description.capturePin, &description.previewPin}) {
        for (const FormatRange& range : *pin) {
            if (static_cast<long long>(range.maxWidth) * range.maxHeight
                > static_cast<long long>(largest.first) * largest.second)
                largest = {range.maxWidth, range.maxHeight};
        }
    }
    return largest;
}

bool VirtualControlByName(const std::string& name, ControlSet* set, long* property)
{
    for (const ControlName& c : kControlNames) {
        if (name == c.name) {
            *set = c.set;
            *property = c.property;
            return true;
        }
    }
    return false;
}

bool ParseVirtualDevices(
    const std::string& jsonText, std::vector<VirtualDeviceDescription>* out, std::string* error)
{
    try {
        const json root = json::parse(jsonText);
        const json* list = &root;
        json single;
        if (root.is_object() && root.contains("devices")) {
            list = &root["devices"];
        } else if (root.is_object()) {
            single = json::array({root});
            list = &single;
        }
        if (!list->is_array())
            Fail("expected a device, an array of devices or {\"devices\": [...]}");
        std::vector<VirtualDeviceDescription> parsed;
        for (const json& d : *list)
            parsed.push_back(ParseDevice(d));
        out->insert(out->end(), parsed.begin(), parsed.end());
        return true;
    } catch (const DescriptionError& e) {
        if (error)
            *error = e.message;
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
    }
    return false;
}

bool LoadVirtualDevicesFile(
    const std::string& path, std::vector<VirtualDeviceDescription>* out, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseVirtualDevices(text.str(), out, error);
}

VirtualDeviceDescription DemoVirtualCamera()
{
    VirtualDeviceDescription d;
    d.name = L"Kelvara Virtual Microscope";
    d.devicePath = L"virtual#vid_1d6b&pid_0102#demo";
    d.frameRate = 30.0;
    const REFERENCE_TIME interval = 333333;
    // One sensor of 1920 x 1080: the 16:9 sizes show its whole field, the
    // one 4:3 size a centred crop at its pitch (two crop sizes of one shape
    // would differ from each other in a way no calibration can scale).
    for (const GUID& subtype : {MEDIASUBTYPE_MJPG, MEDIASUBTYPE_YUY2})
        for (auto [w, h] : {std::pair<int, int>{1920, 1080}, {1280, 720}, {640, 480}, {640, 360}}) {
            d.capturePin.push_back(FormatRange::Discrete(subtype, w, h));
            d.capturePin.back().minInterval = d.capturePin.back().maxInterval = interval;
        }
    for (const GUID& subtype : {MEDIASUBTYPE_YUY2, MEDIASUBTYPE_MJPG})
        // Stills up to twice the sensor's width: the same field, finer.
        for (auto [w, h] : {std::pair<int, int>{1920, 1080}, {1280, 720}, {3840, 2160}}) {
            d.stillPin.push_back(FormatRange::Discrete(subtype, w, h));
            d.stillPin.back().minInterval = d.stillPin.back().maxInterval = interval;
        }
    auto add = [&d](ControlSet set, long property, long min, long max, long def, bool hasAuto) {
        VirtualControl c;
        c.set = set;
        c.property = property;
        c.minimum = min;
        c.maximum = max;
        c.defaultValue = def;
        c.hasAuto = hasAuto;
        c.autoByDefault = hasAuto;
        d.controls.push_back(c);
    };
    add(ControlSet::VideoProcAmp, VideoProcAmp_Brightness, -64, 64, 0, false);
    add(ControlSet::VideoProcAmp, VideoProcAmp_Contrast, 0, 100, 50, false);
    add(ControlSet::VideoProcAmp, VideoProcAmp_Hue, -180, 180, 0, false);
    add(ControlSet::VideoProcAmp, VideoProcAmp_Saturation, 0, 100, 64, false);
    add(ControlSet::VideoProcAmp, VideoProcAmp_Sharpness, 0, 100, 50, false);
    add(ControlSet::VideoProcAmp, VideoProcAmp_Gamma, 72, 500, 100, false);
    add(ControlSet::VideoProcAmp, VideoProcAmp_WhiteBalance, 2800, 6500, 4600, true);
    add(ControlSet::VideoProcAmp, VideoProcAmp_BacklightCompensation, 0, 2, 1, false);
    add(ControlSet::VideoProcAmp, VideoProcAmp_Gain, 0, 100, 0, true);
    add(ControlSet::CameraControl, CameraControl_Exposure, -13, -1, -6, true);
    add(ControlSet::CameraControl, CameraControl_Focus, 0, 1023, 512, true);
    return d;
}

}  // namespace kelvara::dshow
