#pragma once
// The wireless camera SDK: a client for cameras that speak the WMP protocol
// (see WmpProtocol.h) over TCP, plus UDP discovery of such cameras.
//
// Every function returns 0 on success and a negative CHD_WMP_ERR_* code on
// failure, unless said otherwise. All functions are thread-safe: any thread
// may call any function on any handle at any time; calls on a handle that
// was disconnected (or never existed) fail with CHD_WMP_ERR_HANDLE.
//
// No call blocks on the network without a time limit: all receiving happens
// on a reader thread inside the SDK, CHD_WMP_Poll waits at most its timeout,
// the Request*Data calls never wait, every request waits at most
// CHD_WMP_REQUEST_TIMEOUT_MS for its reply, and CHD_WMP_Disconnect shuts the
// socket down before joining the reader, so a stalled camera cannot hang it.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Result codes.
#define CHD_WMP_OK 0
#define CHD_WMP_ERR_FAIL (-1)  // the camera refused the request
#define CHD_WMP_ERR_PARAM (-2)  // invalid argument
#define CHD_WMP_ERR_HANDLE (-3)  // unknown or closed handle
#define CHD_WMP_ERR_TIMEOUT (-4)  // no answer in time / connect timed out
#define CHD_WMP_ERR_NODATA (-5)  // nothing to poll or request yet
#define CHD_WMP_ERR_DISCONNECTED (-6)  // the connection is lost

// Default TCP port of a camera; an address without ":port" uses it.
#define CHD_WMP_DEFAULT_PORT 39610
// Default UDP port on which cameras answer discovery probes.
#define CHD_WMP_DEFAULT_DISCOVERY_PORT 39611
// Longest wait for the reply to one request.
#define CHD_WMP_REQUEST_TIMEOUT_MS 1000

// SDK format codes.
#define CHD_WMP_FORMAT_YUYV 1
#define CHD_WMP_FORMAT_MJPG 2
#define CHD_WMP_FORMAT_H264 3

// Kinds reported by CHD_WMP_Poll.
#define CHD_WMP_KIND_VIDEO 0
#define CHD_WMP_KIND_PICTURE 1

// Number of video controls a camera may offer (0 .. CHD_WMP_CONTROL_COUNT-1).
#define CHD_WMP_CONTROL_COUNT 16
// Words of a video control record: supported, minimum, current, maximum,
// step, default, auto available, auto on.
#define CHD_WMP_CTRL_WORDS 8

// One video frame or still picture, allocated by the SDK and handed to the
// caller by the Request*Data calls; give it back with the matching
// Release*Data call. The data bytes follow the header at
// CHD_WMP_RECORD_DATA_OFFSET.
typedef struct CHD_WMP_DataRecord
{
    int32_t sequence;  // 0: frame number of the stream
    int32_t format;  // 4: CHD_WMP_FORMAT_*
    int32_t resolution;  // 8: resolution code
    int32_t width;  // 12
    int32_t height;  // 16
    int32_t timestampMs;  // 20: camera time of capture
    int32_t length;  // 24: number of data bytes
} CHD_WMP_DataRecord;
#define CHD_WMP_RECORD_DATA_OFFSET 28

// The formats and resolutions a camera offers: up to 4 format entries of
// 100 bytes; a format code of 0 ends the list, and within an entry a
// resolution code of 0 ends the resolution list. The second member of each
// pair is the highest frame rate at that resolution.
#define CHD_WMP_MAX_FORMATS 4
#define CHD_WMP_MAX_RESOLUTIONS 12
typedef struct CHD_WMP_FormatAbility
{
    int32_t format;
    int32_t resolutions[CHD_WMP_MAX_RESOLUTIONS][2];
} CHD_WMP_FormatAbility;
typedef struct CHD_WMP_Ability
{
    CHD_WMP_FormatAbility formats[CHD_WMP_MAX_FORMATS];
} CHD_WMP_Ability;

// One camera found by discovery: 44 bytes.
typedef struct CHD_WMP_DeviceInfo
{
    int32_t number;  // the camera's serial number
    char name[20];  // NUL-terminated
    char address[20];  // NUL-terminated "host" or "host:port", for ConnectDevice
} CHD_WMP_DeviceInfo;
// Capacity the caller's array must have when it passes *count <= 0 to
// CHD_WMP_Scan_GetDeviceInfo.
#define CHD_WMP_MAX_SCAN_DEVICES 32

// Connects to the camera at "host[:port]" (numeric IPv4 or "localhost") and
// checks that it speaks the protocol. Waits at most about 3 s.
int CHD_WMP_ConnectDevice(int* handle, const char* address);
// Closes the connection; records already handed out stay valid until
// released. Never blocks on the network.
int CHD_WMP_Disconnect(int handle);

// Starts / stops the camera's video stream.
int CHD_WMP_Video_Begin(int handle);
int CHD_WMP_Video_End(int handle);

// Waits up to timeoutMs for a video frame or a still picture to be ready.
// 0 with *kind set (CHD_WMP_KIND_PICTURE before CHD_WMP_KIND_VIDEO),
// CHD_WMP_ERR_NODATA when nothing arrived in time, CHD_WMP_ERR_DISCONNECTED
// once the connection is lost and everything received has been taken.
// flags must be 0.
int CHD_WMP_Poll(int handle, int* kind, int timeoutMs, int flags);

// Take the oldest received frame / picture without waiting;
// CHD_WMP_ERR_NODATA when there is none.
int CHD_WMP_Video_RequestVideoData(int handle, CHD_WMP_DataRecord** record);
int CHD_WMP_Video_ReleaseVideoData(int handle, CHD_WMP_DataRecord* record);
int CHD_WMP_Video_RequestPicData(int handle, CHD_WMP_DataRecord** record);
int CHD_WMP_Video_ReleasePicData(int handle, CHD_WMP_DataRecord* record);

// Asks for one still picture of the given resolution (code, width and height
// must agree); it arrives later through CHD_WMP_Poll as a picture.
int CHD_WMP_Video_SnapShotResolu(int handle, int code, int width, int height);

int CHD_WMP_Video_GetAbility(int handle, CHD_WMP_Ability* ability);
int CHD_WMP_Video_GetResolu(int handle, int* code);
int CHD_WMP_Video_SetResolu(int handle, int code, int width, int height);
int CHD_WMP_Video_GetFormat(int handle, int* format);
int CHD_WMP_Video_SetFormat(int handle, int format);

// Reads / writes video control `control` (0 .. CHD_WMP_CONTROL_COUNT-1) as a
// record of CHD_WMP_CTRL_WORDS ints. A write uses words [2] (value) and [7]
// (auto on); the camera clamps the value into its range.
int CHD_WMP_Video_GetVideoCtrl(int handle, int control, int* ctrl);
int CHD_WMP_Video_SetVideoCtrl(int handle, int control, const int* ctrl);

// Resolution codes: width in the high 16 bits, height in the low 16 bits,
// both 1 .. 8192. AnalysisResolu returns 0 and the size, or
// CHD_WMP_ERR_PARAM for an invalid code; GroupResolu returns the code, or 0
// for an invalid size.
int CHD_Video_AnalysisResolu(int code, int* width, int* height);
int CHD_Video_GroupResolu(int width, int height);

// Starts discovery: a scanning thread probes every address of the list in
// the environment variable KELVARA_WMP_SCAN_ADDRESSES ("host[:port]"
// separated by commas or spaces; default "127.0.0.1", default port
// CHD_WMP_DEFAULT_DISCOVERY_PORT) about once a second and collects the
// answers. mode is reserved (the program passes 1). Starting a running scan
// does nothing and succeeds.
int CHD_WMP_ScanDevice_Init(int mode);
// Stops discovery and forgets what was found.
int CHD_WMP_ScanDevice_UnInit(void);
// Copies the cameras found so far. On input *count is the capacity of
// records (when it is <= 0 the array must hold CHD_WMP_MAX_SCAN_DEVICES);
// on output it is the number of records written. Fails when no scan runs.
int CHD_WMP_Scan_GetDeviceInfo(CHD_WMP_DeviceInfo* records, int* count);

#ifdef __cplusplus
}  // extern "C"
#endif
