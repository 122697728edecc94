#pragma once
// Records the live camera picture as H.264 video into an MP4 file.
//
// One object per recording: Open, EncodeFrame for every camera frame, Close,
// delete. Frames are planar YUV 4:2:0 (I420) of the size given to Open and are
// encoded synchronously as they arrive; their time stamps are 90 kHz ticks of
// the time since the first frame, so a variable frame rate is kept.
//
// While recording, the file is written as fragmented MP4 with a fragment at
// least every second, so a recording cut off by a crash or power loss stays
// playable up to about a second before the interruption. Close rewrites it
// into an ordinary MP4 (index in one "moov" box) that every player opens.
//
// Threads: the recorder has no thread and no lock of its own. Open, Close and
// destruction run on the UI thread outside the camera controller's lock: the
// controller opens a recorder before it puts it under its lock and closes it
// after taking it out, so the preview never waits for the file. EncodeFrame
// runs on the encoder thread of the RecordingQueue that holds the recorder
// while it records. No two calls ever overlap.

#include <cstdint>

struct AVFormatContext;
struct AVStream;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;

namespace kelvara {

class CVideoRecorder
{
public:
    static constexpr int kMaxPathLength = 260;  // bytes, terminator included

    CVideoRecorder();
    // Finishes the file when Close was not called.
    ~CVideoRecorder();
    CVideoRecorder(const CVideoRecorder&) = delete;
    CVideoRecorder& operator=(const CVideoRecorder&) = delete;

    // The levels of the I420 samples: limited (16-235, as from a BT.601
    // conversion) or full (0-255, as in a JPEG). Both use the BT.601 matrix.
    enum class Levels
    {
        kLimited,
        kFull,
    };

    // Creates the file at path (UTF-8, shorter than kMaxPathLength bytes) for
    // frames of width x height and levels, and writes its header. False on bad arguments
    // (sizes not positive or odd, null or too long path), a file that cannot
    // be created, or an encoder that refuses the settings; nothing stays
    // allocated then. An object is opened once.
    bool Open(int width, int height, const char* path, Levels levels = Levels::kLimited);

    // Encodes one I420 picture of width x height: the Y plane (stride width),
    // then U and V (stride width / 2), width * height * 3 / 2 bytes in all.
    // The buffer is read in place and only until the call returns. Returns 0
    // when a packet was written, -1 otherwise: the encoder kept the picture
    // for now, the size differs from the opened one (the frame is refused),
    // not open, or encoding or writing failed. Time stamps come from the
    // monotonic clock.
    int EncodeFrame(const uint8_t* buffer, int width, int height);

    // As EncodeFrame, with the frame's capture time given in microseconds of
    // a monotonic clock (av_gettime_relative, CLOCK_MONOTONIC). A time not
    // after the previous frame's is moved one tick past it.
    int EncodeFrameAt(const uint8_t* buffer, int width, int height, int64_t timeUs);

    // Writes out the pictures the encoder still holds, finishes the file and
    // releases everything. Whatever happens, the file keeps what was written
    // so far. True when the file was completed as an ordinary MP4; false when
    // anything failed (the fragmented file is then left as written) or when
    // the recorder is not open (a second Close does nothing).
    bool Close();

    // Drains the encoder's delayed pictures into the file: 0, or a negative
    // FFmpeg error from encoding or writing. Called by Close.
    int FlushEncoder();

    // True once writing to the file failed (a full disk, a lost device): the
    // file takes no more frames. Any thread that holds the recorder.
    bool HasFailed() const { return m_outputFailed; }
    // Packets written into the file so far (0: nothing playable).
    uint64_t PacketsWritten() const { return m_packetsWritten; }

    // The output file name as given to Open; read by the owner after Close
    // to report where the video went.
    char m_path[kMaxPathLength];

private:
    int WritePacket();
    void Release();

    AVFormatContext* m_formatContext = nullptr;
    AVStream* m_stream = nullptr;
    AVCodecContext* m_codecContext = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_lumaSize = 0;
    int64_t m_startTime = 0;  // capture time of the first frame, microseconds
    bool m_started = false;
    int64_t m_lastPts = 0;  // 90 kHz ticks
    int64_t m_lastIntervalTicks = 0;  // spacing of the two newest frames
    bool m_headerWritten = false;
    bool m_borrowInput = false;  // the encoder reads the caller's buffer in place
    bool m_outputFailed = false;  // a write failed; the file takes no more
    uint64_t m_packetsWritten = 0;
};

}  // namespace kelvara
