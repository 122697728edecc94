#include "camera_module/directshow/CMDirectShowDevices.h"

#include "camera_module/CMTextCopy.h"
#include "platform/directshow/DShow.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

namespace {

int g_comUsers = 0;
bool g_comInitialised = false;

wchar_t g_names[kMaxDirectShowDevices][kDeviceTextChars];
wchar_t g_paths[kMaxDirectShowDevices][kDeviceTextChars];
bool g_denied[kMaxDirectShowDevices];  // the user may not open the device

// Reads a text property into dest; false when the bag has no such value.
bool ReadBagText(IPropertyBag* bag, const wchar_t* key, wchar_t* dest, size_t destChars)
{
    VARIANT value;
    VariantInit(&value);
    bool found = SUCCEEDED(bag->Read(key, &value, nullptr)) && value.vt == VT_BSTR;
    if (found && dest)
        CopyCut(dest, destChars, value.bstrVal);
    VariantClear(&value);
    return found;
}

int ParseHex4(const std::wstring& text, size_t at)
{
    int value = 0;
    for (size_t i = at; i < at + 4 && i < text.size(); ++i) {
        wchar_t c = text[i];
        int digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else
            break;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

void DirectShowComAddRef()
{
    if (g_comUsers++ == 0) {
        HRESULT hr = CoInitialize(nullptr);
        g_comInitialised = SUCCEEDED(hr);
        if (hr == RPC_E_CHANGED_MODE)
            printf("SETUP: COM is already initialised in another threading mode\n");
    }
}

void DirectShowComRelease()
{
    if (g_comUsers <= 0)
        return;
    if (--g_comUsers == 0 && g_comInitialised) {
        CoUninitialize();
        g_comInitialised = false;
    }
}

int EnumerateDirectShowDevices()
{
    DirectShowComAddRef();
    std::memset(g_names, 0, sizeof(g_names));
    std::memset(g_paths, 0, sizeof(g_paths));
    std::memset(g_denied, 0, sizeof(g_denied));

    int count = 0;
    ICreateDevEnum* devEnum = nullptr;
    IEnumMoniker* monikers = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
        reinterpret_cast<void**>(&devEnum));
    if (SUCCEEDED(hr))
        hr = devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
    if (hr == S_OK && monikers) {
        IMoniker* moniker = nullptr;
        while (count < kMaxDirectShowDevices && monikers->Next(1, &moniker, nullptr) == S_OK) {
            IPropertyBag* bag = nullptr;
            if (SUCCEEDED(moniker->BindToStorage(
                    nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)))) {
                if (ReadBagText(bag, L"Description", nullptr, 0)
                    || ReadBagText(bag, L"FriendlyName", nullptr, 0))
                    ReadBagText(bag, L"FriendlyName", g_names[count], kDeviceTextChars);
                ReadBagText(bag, L"DevicePath", g_paths[count], kDeviceTextChars);
                VARIANT denied;
                VariantInit(&denied);
                g_denied[count] = SUCCEEDED(bag->Read(L"AccessDenied", &denied, nullptr))
                    && denied.vt == VT_I4 && denied.lVal != 0;
                VariantClear(&denied);
                bag->Release();
            }
            moniker->Release();
            ++count;
        }
    }
    if (monikers)
        monikers->Release();
    if (devEnum)
        devEnum->Release();
    DirectShowComRelease();
    return count;
}

const wchar_t* DirectShowDeviceName(int index)
{
    if (index < 0 || index >= kMaxDirectShowDevices)
        return L"";
    return g_names[index];
}

const wchar_t* DirectShowDevicePath(int index)
{
    if (index < 0 || index >= kMaxDirectShowDevices)
        return L"";
    return g_paths[index];
}

bool DirectShowDeviceAccessDenied(int index)
{
    return index >= 0 && index < kMaxDirectShowDevices && g_denied[index];
}

_tag_VideoDeviceInfo MakeDirectShowDeviceInfo(const wchar_t* name, const wchar_t* path, bool accessDenied)
{
    _tag_VideoDeviceInfo info;
    std::memset(&info, 0, sizeof(info));
    CopyCut(info.name, sizeof(info.name) / sizeof(info.name[0]), name);
    std::wstring lower = path ? path : L"";
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    size_t vidAt = lower.find(L"vid_");
    size_t pidAt = lower.find(L"pid_");
    if (vidAt != std::wstring::npos && pidAt != std::wstring::npos) {
        info.vid = ParseHex4(lower, vidAt + 4);
        info.pid = ParseHex4(lower, pidAt + 4);
    }
    info.status = accessDenied ? CM_DEVICE_NO_PERMISSION : CM_DEVICE_READY;
    return info;
}

void AppendDirectShowDeviceInfos(std::vector<_tag_VideoDeviceInfo>* devices)
{
    if (!devices)
        return;
    int count = EnumerateDirectShowDevices();
    for (int i = 0; i < count; ++i)
        devices->push_back(MakeDirectShowDeviceInfo(
            DirectShowDeviceName(i), DirectShowDevicePath(i), DirectShowDeviceAccessDenied(i)));
}
