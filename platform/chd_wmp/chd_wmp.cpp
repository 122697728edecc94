// The C functions of the wireless camera SDK: a table of open connections
// by handle and the process-wide scanner.

#include "platform/chd_wmp/chd_wmp.h"

#include "platform/chd_wmp/WmpConnection.h"
#include "platform/chd_wmp/WmpProtocol.h"
#include "platform/chd_wmp/WmpScanner.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

using kelvara::wmp::WmpConnection;
using kelvara::wmp::WmpScanner;
namespace wmp = kelvara::wmp;

static_assert(sizeof(CHD_WMP_DataRecord) == CHD_WMP_RECORD_DATA_OFFSET, "data record header");
static_assert(offsetof(CHD_WMP_DataRecord, format) == 4, "data record format");
static_assert(offsetof(CHD_WMP_DataRecord, resolution) == 8, "data record resolution");
static_assert(offsetof(CHD_WMP_DataRecord, length) == 24, "data record length");
static_assert(sizeof(CHD_WMP_FormatAbility) == 100, "ability entry");
static_assert(sizeof(CHD_WMP_Ability) == wmp::kAbilitySize, "ability record");
static_assert(sizeof(CHD_WMP_DeviceInfo) == 44, "scan record");
static_assert(offsetof(CHD_WMP_DeviceInfo, name) == 4 && offsetof(CHD_WMP_DeviceInfo, address) == 24,
    "scan record fields");

namespace {

struct Registry
{
    std::mutex mutex;  // Guards both members.
    std::map<int, std::shared_ptr<WmpConnection>> connections;
    int nextHandle = 1;
};

Registry& Connections()
{
    static Registry registry;
    return registry;
}

struct ScanState
{
    std::mutex mutex;  // Guards scanner; taken for the whole of Init / UnInit.
    std::unique_ptr<WmpScanner> scanner;
};

ScanState& Scan()
{
    static ScanState state;
    return state;
}

std::shared_ptr<WmpConnection> Find(int handle)
{
    Registry& registry = Connections();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = registry.connections.find(handle);
    return it == registry.connections.end() ? nullptr : it->second;
}

// Runs one request on a handle.
int Call(int handle, uint8_t type, const std::vector<uint8_t>& payload, std::vector<uint8_t>* reply = nullptr)
{
    std::shared_ptr<WmpConnection> connection = Find(handle);
    if (!connection)
        return CHD_WMP_ERR_HANDLE;
    return connection->Request(type, payload, reply);
}

std::vector<uint8_t> U32s(std::initializer_list<uint32_t> values)
{
    std::vector<uint8_t> out;
    for (uint32_t v : values)
        wmp::AppendU32(out, v);
    return out;
}

// Reads a reply holding one u32.
int GetU32Reply(int handle, uint8_t type, int* value)
{
    if (!value)
        return CHD_WMP_ERR_PARAM;
    std::vector<uint8_t> reply;
    int rc = Call(handle, type, {}, &reply);
    if (rc != 0)
        return rc;
    *value = static_cast<int>(wmp::GetU32(reply.data()));
    return CHD_WMP_OK;
}

bool SizeMatchesCode(int code, int width, int height)
{
    return code != 0 && wmp::GroupResolution(width, height) == static_cast<uint32_t>(code);
}

int Take(int handle, int kind, CHD_WMP_DataRecord** record)
{
    if (!record)
        return CHD_WMP_ERR_PARAM;
    *record = nullptr;
    std::shared_ptr<WmpConnection> connection = Find(handle);
    if (!connection)
        return CHD_WMP_ERR_HANDLE;
    return connection->Take(kind, record);
}

}  // namespace

extern "C" {

int CHD_WMP_ConnectDevice(int* handle, const char* address)
{
    if (!handle || !address)
        return CHD_WMP_ERR_PARAM;
    std::shared_ptr<WmpConnection> connection;
    int rc = WmpConnection::Open(address, &connection);
    if (rc != 0)
        return rc;
    Registry& registry = Connections();
    std::lock_guard<std::mutex> lock(registry.mutex);
    *handle = registry.nextHandle++;
    registry.connections[*handle] = std::move(connection);
    return CHD_WMP_OK;
}

int CHD_WMP_Disconnect(int handle)
{
    std::shared_ptr<WmpConnection> connection;
    {
        Registry& registry = Connections();
        std::lock_guard<std::mutex> lock(registry.mutex);
        auto it = registry.connections.find(handle);
        if (it == registry.connections.end())
            return CHD_WMP_ERR_HANDLE;
        connection = std::move(it->second);
        registry.connections.erase(it);
    }
    connection->Close();
    return CHD_WMP_OK;
}

int CHD_WMP_Video_Begin(int handle)
{
    std::shared_ptr<WmpConnection> connection = Find(handle);
    if (!connection)
        return CHD_WMP_ERR_HANDLE;
    // Frames may follow the reply at once: accept them from now on.
    connection->SetStreaming(true);
    int rc = connection->Request(wmp::kVideoBegin, {}, nullptr);
    if (rc != 0)
        connection->SetStreaming(false);
    return rc;
}

int CHD_WMP_Video_End(int handle)
{
    std::shared_ptr<WmpConnection> connection = Find(handle);
    if (!connection)
        return CHD_WMP_ERR_HANDLE;
    connection->SetStreaming(false);
    return connection->Request(wmp::kVideoEnd, {}, nullptr);
}

int CHD_WMP_Poll(int handle, int* kind, int timeoutMs, int flags)
{
    if (!kind || flags != 0)
        return CHD_WMP_ERR_PARAM;
    std::shared_ptr<WmpConnection> connection = Find(handle);
    if (!connection)
        return CHD_WMP_ERR_HANDLE;
    return connection->Poll(kind, timeoutMs);
}

int CHD_WMP_Video_RequestVideoData(int handle, CHD_WMP_DataRecord** record)
{
    return Take(handle, CHD_WMP_KIND_VIDEO, record);
}

int CHD_WMP_Video_RequestPicData(int handle, CHD_WMP_DataRecord** record)
{
    return Take(handle, CHD_WMP_KIND_PICTURE, record);
}

// Records belong to the caller once handed out, so they are freed even
// after the connection has gone.
int CHD_WMP_Video_ReleaseVideoData(int /*handle*/, CHD_WMP_DataRecord* record)
{
    if (!record)
        return CHD_WMP_ERR_PARAM;
    wmp::FreeRecord()(record);
    return CHD_WMP_OK;
}

int CHD_WMP_Video_ReleasePicData(int handle, CHD_WMP_DataRecord* record)
{
    return CHD_WMP_Video_ReleaseVideoData(handle, record);
}

int CHD_WMP_Video_SnapShotResolu(int handle, int code, int width, int height)
{
    if (!SizeMatchesCode(code, width, height))
        return CHD_WMP_ERR_PARAM;
    return Call(handle, wmp::kSnapshot,
        U32s({static_cast<uint32_t>(code), static_cast<uint32_t>(width), static_cast<uint32_t>(height)}));
}

int CHD_WMP_Video_GetAbility(int handle, CHD_WMP_Ability* ability)
{
    if (!ability)
        return CHD_WMP_ERR_PARAM;
    std::vector<uint8_t> reply;
    int rc = Call(handle, wmp::kGetAbility, {}, &reply);
    if (rc != 0)
        return rc;
    std::vector<wmp::FormatAbility> formats;
    std::string error;
    if (!wmp::DecodeAbility(reply.data(), reply.size(), &formats, &error))
        return CHD_WMP_ERR_FAIL;
    std::memset(ability, 0, sizeof *ability);
    for (size_t f = 0; f < formats.size(); ++f) {
        ability->formats[f].format = static_cast<int32_t>(formats[f].format);
        for (size_t r = 0; r < formats[f].resolutions.size(); ++r) {
            ability->formats[f].resolutions[r][0] = static_cast<int32_t>(formats[f].resolutions[r].first);
            ability->formats[f].resolutions[r][1] = static_cast<int32_t>(formats[f].resolutions[r].second);
        }
    }
    return CHD_WMP_OK;
}

int CHD_WMP_Video_GetResolu(int handle, int* code)
{
    return GetU32Reply(handle, wmp::kGetResolution, code);
}

int CHD_WMP_Video_SetResolu(int handle, int code, int width, int height)
{
    if (!SizeMatchesCode(code, width, height))
        return CHD_WMP_ERR_PARAM;
    return Call(handle, wmp::kSetResolution,
        U32s({static_cast<uint32_t>(code), static_cast<uint32_t>(width), static_cast<uint32_t>(height)}));
}

int CHD_WMP_Video_GetFormat(int handle, int* format)
{
    return GetU32Reply(handle, wmp::kGetFormat, format);
}

int CHD_WMP_Video_SetFormat(int handle, int format)
{
    if (format < CHD_WMP_FORMAT_YUYV || format > CHD_WMP_FORMAT_H264)
        return CHD_WMP_ERR_PARAM;
    return Call(handle, wmp::kSetFormat, U32s({static_cast<uint32_t>(format)}));
}

int CHD_WMP_Video_GetVideoCtrl(int handle, int control, int* ctrl)
{
    if (!ctrl || control < 0 || control >= CHD_WMP_CONTROL_COUNT)
        return CHD_WMP_ERR_PARAM;
    std::vector<uint8_t> reply;
    int rc = Call(handle, wmp::kGetControl, U32s({static_cast<uint32_t>(control)}), &reply);
    if (rc != 0)
        return rc;
    int32_t words[wmp::kControlWords];
    for (size_t i = 0; i < wmp::kControlWords; ++i)
        words[i] = static_cast<int32_t>(wmp::GetU32(reply.data() + 4 * i));
    std::string error;
    if (!wmp::CheckControl(words, &error))
        return CHD_WMP_ERR_FAIL;
    for (size_t i = 0; i < wmp::kControlWords; ++i)
        ctrl[i] = words[i];
    return CHD_WMP_OK;
}

int CHD_WMP_Video_SetVideoCtrl(int handle, int control, const int* ctrl)
{
    if (!ctrl || control < 0 || control >= CHD_WMP_CONTROL_COUNT)
        return CHD_WMP_ERR_PARAM;
    std::vector<uint8_t> payload = U32s({static_cast<uint32_t>(control)});
    for (size_t i = 0; i < wmp::kControlWords; ++i)
        wmp::AppendU32(payload, static_cast<uint32_t>(ctrl[i]));
    return Call(handle, wmp::kSetControl, payload);
}

int CHD_Video_AnalysisResolu(int code, int* width, int* height)
{
    int w, h;
    if (!width || !height || !wmp::AnalyseResolution(static_cast<uint32_t>(code), &w, &h))
        return CHD_WMP_ERR_PARAM;
    *width = w;
    *height = h;
    return CHD_WMP_OK;
}

int CHD_Video_GroupResolu(int width, int height)
{
    return static_cast<int>(wmp::GroupResolution(width, height));
}

int CHD_WMP_ScanDevice_Init(int /*mode*/)
{
    ScanState& scan = Scan();
    std::lock_guard<std::mutex> lock(scan.mutex);
    if (scan.scanner)
        return CHD_WMP_OK;
    auto scanner = std::make_unique<WmpScanner>(WmpScanner::TargetsFromEnvironment());
    if (!scanner->Start())
        return CHD_WMP_ERR_FAIL;
    scan.scanner = std::move(scanner);
    return CHD_WMP_OK;
}

int CHD_WMP_ScanDevice_UnInit(void)
{
    ScanState& scan = Scan();
    std::lock_guard<std::mutex> lock(scan.mutex);
    scan.scanner.reset();
    return CHD_WMP_OK;
}

int CHD_WMP_Scan_GetDeviceInfo(CHD_WMP_DeviceInfo* records, int* count)
{
    if (!records || !count)
        return CHD_WMP_ERR_PARAM;
    ScanState& scan = Scan();
    std::lock_guard<std::mutex> lock(scan.mutex);
    if (!scan.scanner)
        return CHD_WMP_ERR_FAIL;
    size_t capacity = *count > 0 ? static_cast<size_t>(*count) : CHD_WMP_MAX_SCAN_DEVICES;
    std::vector<CHD_WMP_DeviceInfo> devices = scan.scanner->Devices();
    size_t n = devices.size() < capacity ? devices.size() : capacity;
    for (size_t i = 0; i < n; ++i)
        records[i] = devices[i];
    *count = static_cast<int>(n);
    return CHD_WMP_OK;
}

}  // extern "C"
