// The simulated camera's settings page, shown through the property-sheet
// presenter as a list of controls.

#include "platform/directshow/ComPtr.h"
#include "platform/directshow/PropertySheetHook.h"
#include "platform/ywdevsdk/YWSimulatedDevice.h"

#include <atomic>
#include <cmath>

namespace kelvara::ywdevsdk {

namespace {

using dshow::PropertySheetChoice;
using dshow::PropertySheetControl;

PropertySheetControl Slider(const wchar_t* name, long minimum, long maximum, long defaultValue, long value)
{
    PropertySheetControl c;
    c.name = name;
    c.minimum = minimum;
    c.maximum = maximum;
    c.defaultValue = defaultValue;
    c.value = value;
    return c;
}

long Clamp(long value, long minimum, long maximum)
{
    return value < minimum ? minimum : (value > maximum ? maximum : value);
}

// The controls of one device; apply functions write straight into it.
class SettingControls final : public IPropertySheetControls
{
    KELVARA_COM_REFCOUNT

public:
    explicit SettingControls(YWSimulatedDevice* device)
        : m_device(device)
    {
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IPropertySheetControls) {
            *ppv = static_cast<IPropertySheetControls*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT GetControls(std::vector<PropertySheetControl>* controls) override
    {
        if (!controls)
            return E_POINTER;
        YWSimulatedDevice* d = m_device;
        const YWImageSettings s = d->Settings();
        using R = YWRanges;

        auto exposure = Slider(
            L"Exposure Time (ms)", R::kExposureMs[0], R::kExposureMs[1], R::kExposureMs[2], s.exposureMs);
        exposure.hasAuto = true;
        exposure.isAuto = s.autoExposure;
        exposure.apply = [d](long v, bool isAuto) {
            d->Modify([&](YWImageSettings& m) {
                m.autoExposure = isAuto;
                if (!isAuto)
                    m.exposureMs = static_cast<uint16_t>(Clamp(v, R::kExposureMs[0], R::kExposureMs[1]));
            });
            return true;
        };
        controls->push_back(exposure);

        auto byteSetting = [&](const wchar_t* name, const uint8_t* range, uint8_t value,
                               uint8_t YWImageSettings::*field, bool YWImageSettings::*state, int neutral) {
            auto c = Slider(name, range[0], range[1], range[2], value);
            c.apply = [d, range, field, state, neutral](long v, bool) {
                d->Modify([&](YWImageSettings& m) {
                    m.*field = static_cast<uint8_t>(Clamp(v, range[0], range[1]));
                    if (state)
                        m.*state = m.*field != neutral;
                });
                return true;
            };
            controls->push_back(c);
        };
        byteSetting(L"Exposure Target", R::kAeTarget, s.aeTarget, &YWImageSettings::aeTarget, nullptr, 0);
        byteSetting(L"Analog Gain", R::kAnalogGain, s.analogGain, &YWImageSettings::analogGain, nullptr, 0);
        byteSetting(L"Red Gain", R::kChannelGain, s.redGain, &YWImageSettings::redGain, nullptr, 0);
        byteSetting(L"Green Gain", R::kChannelGain, s.greenGain, &YWImageSettings::greenGain, nullptr, 0);
        byteSetting(L"Blue Gain", R::kChannelGain, s.blueGain, &YWImageSettings::blueGain, nullptr, 0);
        byteSetting(L"Saturation", R::kSaturation, s.saturation, &YWImageSettings::saturation,
            &YWImageSettings::saturationOn, 128);

        auto contrast = Slider(L"Contrast", R::kContrast[0], R::kContrast[1], R::kContrast[2], s.contrast);
        contrast.apply = [d](long v, bool) {
            d->Modify([&](YWImageSettings& m) {
                m.contrast = static_cast<int16_t>(Clamp(v, R::kContrast[0], R::kContrast[1]));
                m.contrastOn = m.contrast != 0;
            });
            return true;
        };
        controls->push_back(contrast);

        auto gamma = Slider(L"Gamma (x100)", std::lround(R::kGamma[0] * 100), std::lround(R::kGamma[1] * 100),
            std::lround(R::kGamma[2] * 100), std::lround(s.gamma * 100));
        gamma.apply = [d](long v, bool) {
            d->Modify([&](YWImageSettings& m) {
                m.gamma = static_cast<float>(Clamp(v, 30, 300)) / 100.0f;
                m.gammaOn = v != 100;
            });
            return true;
        };
        controls->push_back(gamma);

        auto onOff = [&](const wchar_t* name, bool value, bool YWImageSettings::*field) {
            auto c = Slider(name, 0, 1, 0, value ? 1 : 0);
            c.choices = {{0, L"Off"}, {1, L"On"}};
            c.apply = [d, field](long v, bool) {
                d->Modify([&](YWImageSettings& m) { m.*field = v != 0; });
                return true;
            };
            controls->push_back(c);
        };
        onOff(L"Mirror", s.mirror, &YWImageSettings::mirror);
        onOff(L"Flip", s.flip, &YWImageSettings::flip);

        auto speed = Slider(L"Frame Speed", 0, kFrameSpeedCount - 1, 0, s.frameSpeed);
        for (int i = 0; i < kFrameSpeedCount; ++i)
            speed.choices.push_back({i, kFrameSpeeds[i].name});
        speed.apply = [d](long v, bool) {
            if (v < 0 || v >= kFrameSpeedCount)
                return false;
            d->Modify([&](YWImageSettings& m) { m.frameSpeed = static_cast<int>(v); });
            return true;
        };
        controls->push_back(speed);
        return S_OK;
    }

private:
    YWSimulatedDevice* m_device;
};

}  // namespace

int YWSimulatedDevice::CreateSettingPage(HWND owner, const wchar_t* title)
{
    m_pageCreated = true;
    m_pageOwner = owner;
    m_pageTitle = title ? title : L"";
    return YW_OK;
}

int YWSimulatedDevice::ShowSettingPage()
{
    if (!m_pageCreated)
        return YW_ERR_UI;
    auto controls = dshow::ComPtr<SettingControls>::Attach(new SettingControls(this));
    IUnknown* objects[] = {controls.Get()};
    const HRESULT hr = OleCreatePropertyFrame(
        m_pageOwner, 0, 0, m_pageTitle.c_str(), 1, objects, 0, nullptr, 0, 0, nullptr);
    return SUCCEEDED(hr) ? YW_OK : YW_ERR_UI;
}

}  // namespace kelvara::ywdevsdk
