#include "camera_module/wireless/CMCameraWMPBox.h"

#include "platform/chd_wmp/chd_wmp.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr uint32_t kThreadStopWaitMs = 1000;
constexpr int kPollTimeoutMs = 2;

// The address as the SDK takes it: printable ASCII in at most 19 bytes; any
// other address becomes empty (and then cannot connect).
std::string NarrowAddress(const wchar_t* address)
{
    std::string narrow;
    for (const wchar_t* c = address; *c; ++c) {
        if (*c < 0x20 || *c > 0x7E || narrow.size() >= 19)
            return std::string();
        narrow.push_back(static_cast<char>(*c));
    }
    return narrow;
}

const uint8_t* RecordData(const CHD_WMP_DataRecord* record)
{
    return reinterpret_cast<const uint8_t*>(record) + CHD_WMP_RECORD_DATA_OFFSET;
}

// Fills the size fields of an image from a data record; false when its
// resolution code is invalid.
bool DescribeRecord(const CHD_WMP_DataRecord* record, tagCMImage* image)
{
    int width = 0, height = 0;
    if (CHD_Video_AnalysisResolu(record->resolution, &width, &height) != 0 || record->length < 0)
        return false;
    image->format = CMCameraWMPBox::FormatFromCode(record->format);
    image->width = width;
    image->height = height;
    image->bottomUp = 0;
    image->dataSize = record->length;
    return true;
}

}  // namespace

CMCameraWMPBox::CMCameraWMPBox(const wchar_t* address)
{
    std::memset(m_address, 0, sizeof m_address);
    if (address)
        std::wcsncpy(m_address, address, 19);
    _tag_VideoDeviceInfo info;
    std::memset(&info, 0, sizeof info);
    std::wcscpy(info.name, L"Wireless");
    info.vid = 0xFFFF;
    info.pid = 0xFFFF;
    std::wcscpy(info.address, m_address);
    SetDeviceInfo(info);
}

CMCameraWMPBox::~CMCameraWMPBox()
{
    CloseConnection();
}

int CMCameraWMPBox::Init(CMFrameCallback callback, void* user, long, long)
{
    if (m_address[0] == 0 || m_handle != 0)
        return CM_ERR_OPEN;
    std::string address = NarrowAddress(m_address);
    int handle = 0;
    if (address.empty() || CHD_WMP_ConnectDevice(&handle, address.c_str()) != 0)
        return CM_ERR_OPEN;
    m_handle = handle;
    m_lostReported = false;
    ClearDeviceLost();
    CHD_WMP_Video_Begin(m_handle);
    StartPolling(callback, user);
    return CM_OK;
}

int CMCameraWMPBox::Release()
{
    CloseConnection();
    // A released camera cannot be opened again.
    m_address[0] = 0;
    return CM_OK;
}

void CMCameraWMPBox::CloseConnection()
{
    // The thread goes first: it must never poll a closed connection.
    StopPolling(kThreadStopWaitMs);
    if (m_handle != 0) {
        CHD_WMP_Video_End(m_handle);
        CHD_WMP_Disconnect(m_handle);
        m_handle = 0;
    }
}

int CMCameraWMPBox::GetSupportedPreviewSizes(std::vector<tagSIZE>* sizes)
{
    if (!sizes)
        return CM_OK;
    CHD_WMP_Ability ability;
    if (CHD_WMP_Video_GetAbility(m_handle, &ability) != 0)
        return CM_OK;
    for (int i = 0; i < CHD_WMP_MAX_RESOLUTIONS; ++i) {
        int code = ability.formats[0].resolutions[i][0];
        if (code == 0)
            break;
        tagSIZE size{0, 0};
        int width = 0, height = 0;
        if (CHD_Video_AnalysisResolu(code, &width, &height) == 0) {
            size.cx = width;
            size.cy = height;
        }
        sizes->push_back(size);
    }
    return CM_OK;
}

int CMCameraWMPBox::GetPreviewImageSize(int* width, int* height)
{
    int code = 0, w = 0, h = 0;
    if (!width || !height || CHD_WMP_Video_GetResolu(m_handle, &code) != 0)
        return CM_ERR_FAILED;
    CHD_Video_AnalysisResolu(code, &w, &h);
    if (w == 0 || h == 0)
        return CM_ERR_FAILED;
    *width = w;
    *height = h;
    return CM_OK;
}

int CMCameraWMPBox::SetPreviewImageSize(int width, int height)
{
    int code = CHD_Video_GroupResolu(width, height);
    return CHD_WMP_Video_SetResolu(m_handle, code, width, height) == 0 ? CM_OK : CM_ERR_FAILED;
}

int CMCameraWMPBox::FormatFromCode(int code)
{
    switch (code) {
    case CHD_WMP_FORMAT_YUYV:
        return CM_FMT_YUYV;
    case CHD_WMP_FORMAT_MJPG:
        return CM_FMT_MJPG;
    case CHD_WMP_FORMAT_H264:
        return CM_FMT_H264;
    default:
        return CM_FMT_UNKNOWN;
    }
}

int CMCameraWMPBox::CodeFromFormat(int format)
{
    if (format == CM_FMT_YUYV)
        return CHD_WMP_FORMAT_YUYV;
    if (format == CM_FMT_H264)
        return CHD_WMP_FORMAT_H264;
    return CHD_WMP_FORMAT_MJPG;
}

std::vector<int> CMCameraWMPBox::GetSupportedImageFormats()
{
    std::vector<int> formats;
    CHD_WMP_Ability ability;
    if (CHD_WMP_Video_GetAbility(m_handle, &ability) != 0)
        return formats;
    for (const CHD_WMP_FormatAbility& entry : ability.formats) {
        if (entry.format == 0)
            break;
        if (entry.format == CHD_WMP_FORMAT_YUYV)
            formats.push_back(CM_FMT_YUYV);
        else if (entry.format == CHD_WMP_FORMAT_MJPG)
            formats.push_back(CM_FMT_MJPG);
    }
    return formats;
}

int CMCameraWMPBox::GetImageFormat(int* format)
{
    int code = 0;
    if (!format || CHD_WMP_Video_GetFormat(m_handle, &code) != 0)
        return CM_ERR_FAILED;
    *format = FormatFromCode(code);
    return CM_OK;
}

int CMCameraWMPBox::SetImageFormat(int format)
{
    int current = -1;
    GetImageFormat(&current);
    if (format != current && CHD_WMP_Video_SetFormat(m_handle, CodeFromFormat(format)) == 0)
        return CM_OK;
    return CM_ERR_FAILED;
}

int CMCameraWMPBox::GetSupportedStillCaptureSizes(std::vector<tagSIZE>* sizes)
{
    return GetSupportedPreviewSizes(sizes);
}

int CMCameraWMPBox::GetStillImageSize(int& width, int& height)
{
    if (m_stillWidth == 0 || m_stillHeight == 0) {
        int w = 0, h = 0;
        if (GetPreviewImageSize(&w, &h) == 0) {
            m_stillWidth = w;
            m_stillHeight = h;
        }
    }
    if (m_stillWidth != 0 && m_stillHeight != 0) {
        width = m_stillWidth;
        height = m_stillHeight;
    }
    return CM_OK;
}

bool CMCameraWMPBox::IsOptionSupported(int)
{
    return false;
}

int CMCameraWMPBox::RememberStillImageSize(int* width, int* height)
{
    m_stillWidth = width ? *width : 0;
    m_stillHeight = height ? *height : 0;
    return CM_OK;
}

int CMCameraWMPBox::GetPreviewImage(tagCMImage*)
{
    return CM_OK;
}

int CMCameraWMPBox::GetStillImage(tagCMImage* image)
{
    if (!image)
        return CM_ERR_FAILED;
    int width = 0, height = 0;
    GetStillImageSize(width, height);
    m_stillEvent.Reset();
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_stillTarget = image;
        m_stillWantedWidth = width;
        m_stillWantedHeight = height;
    }
    bool delivered
        = CHD_WMP_Video_SnapShotResolu(m_handle, CHD_Video_GroupResolu(width, height), width, height) == 0;
    if (delivered)
        delivered = m_stillEvent.Wait(kStillTimeoutMs);
    // The polling thread fills the target only under the lock, so once it is
    // cleared here the caller's record is ours again. A picture that came
    // just after the timeout still counts.
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_stillTarget == nullptr)
        return CM_OK;
    m_stillTarget = nullptr;
    return CM_ERR_FAILED;
}

int CMCameraWMPBox::Poll()
{
    int kind = -1;
    int rc = CHD_WMP_Poll(m_handle, &kind, kPollTimeoutMs, 0);
    if (rc == CHD_WMP_ERR_DISCONNECTED) {
        // Said once per connection; the thread goes on polling every 1 ms.
        ReportDeviceLost();
        if (!m_lostReported.exchange(true)) {
            std::printf("disconnected\n");
            std::fflush(stdout);
        }
        return CM_ERR_DISCONNECTED;
    }
    if (rc != 0)
        return CM_ERR_DISCONNECTED;
    if (kind == CHD_WMP_KIND_VIDEO)
        return PollVideo();
    if (kind == CHD_WMP_KIND_PICTURE)
        return PollPicture();
    return CM_ERR_DISCONNECTED;
}

int CMCameraWMPBox::PollVideo()
{
    CHD_WMP_DataRecord* record = nullptr;
    if (CHD_WMP_Video_RequestVideoData(m_handle, &record) != 0)
        return CM_OK;
    tagCMImage image;
    std::memset(&image, 0, sizeof image);
    if (DescribeRecord(record, &image)) {
        image.data = const_cast<unsigned char*>(RecordData(record));
        CMFrameCallback callback = nullptr;
        void* user = nullptr;
        CurrentCallback(&callback, &user);
        if (callback && !IsPaused())
            callback(user, 0, reinterpret_cast<long>(&image), 0);
    }
    CHD_WMP_Video_ReleaseVideoData(m_handle, record);
    return CM_OK;
}

int CMCameraWMPBox::PollPicture()
{
    CHD_WMP_DataRecord* record = nullptr;
    if (CHD_WMP_Video_RequestPicData(m_handle, &record) != 0)
        return CM_OK;
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        tagCMImage described;
        std::memset(&described, 0, sizeof described);
        // A late picture of an earlier request (another size) is not this one.
        if (m_stillTarget && DescribeRecord(record, &described) && described.width == m_stillWantedWidth
            && described.height == m_stillWantedHeight) {
            unsigned char* copy
                = new (std::nothrow) unsigned char[described.dataSize > 0 ? described.dataSize : 1];
            if (copy) {
                std::memcpy(copy, RecordData(record), described.dataSize);
                int bufferSize = m_stillTarget->bufferSize;
                *m_stillTarget = described;
                m_stillTarget->data = copy;
                m_stillTarget->bufferSize = bufferSize;
                m_stillTarget = nullptr;
                m_stillEvent.Set();
            }
        }
    }
    std::fprintf(stderr, "get picture data\n");
    CHD_WMP_Video_ReleasePicData(m_handle, record);
    return CM_OK;
}
