#include "app/capture/CVideoRecorder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/time.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace kelvara {

namespace {

constexpr int kTicksPerSecond = 90000;
// Frame rate assumed where the time stamps cannot tell: the encoder's level
// and the duration of a packet before two frames have shown the real rate.
constexpr int kNominalFrameRate = 30;

// Microseconds to 90 kHz ticks, truncated, without overflow.
int64_t MicrosecondsToTicks(int64_t us)
{
    return us / 100 * 9 + us % 100 * 9 / 100;
}

// The caller's frame buffer is lent to the encoder, never freed by it.
void KeepBuffer(void*, uint8_t*) { }

struct InputCloser
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct OutputCloser
{
    void operator()(AVFormatContext* context) const
    {
        if (context->pb)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct PacketFreer
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

// Copies every packet of the fragmented recording at source into an ordinary
// MP4 at target (one index in "moov", written by the trailer).
bool CopyAsPlainMp4(const char* source, const char* target)
{
    AVFormatContext* rawInput = nullptr;
    if (avformat_open_input(&rawInput, source, nullptr, nullptr) < 0)
        return false;
    std::unique_ptr<AVFormatContext, InputCloser> input(rawInput);
    if (input->nb_streams != 1)
        return false;
    AVStream* inStream = input->streams[0];

    AVFormatContext* rawOutput = nullptr;
    if (avformat_alloc_output_context2(&rawOutput, nullptr, "mp4", target) < 0)
        return false;
    std::unique_ptr<AVFormatContext, OutputCloser> output(rawOutput);
    AVStream* outStream = avformat_new_stream(output.get(), nullptr);
    if (!outStream || avcodec_parameters_copy(outStream->codecpar, inStream->codecpar) < 0)
        return false;
    outStream->codecpar->codec_tag = 0;
    outStream->time_base = inStream->time_base;
    if (avio_open(&output->pb, target, AVIO_FLAG_WRITE) < 0)
        return false;
    if (avformat_write_header(output.get(), nullptr) < 0)
        return false;

    // The demuxer gives fragment samples no durations; each packet is held
    // back until the next one shows its duration, so the last picture keeps
    // its display time too.
    std::unique_ptr<AVPacket, PacketFreer> held(av_packet_alloc());
    std::unique_ptr<AVPacket, PacketFreer> next(av_packet_alloc());
    if (!held || !next)
        return false;
    bool holding = false;
    int64_t lastDuration = 0;
    auto writeHeld = [&](int64_t duration) {
        held->duration = duration > 0 ? duration : 1;
        lastDuration = held->duration;
        held->stream_index = 0;
        held->pos = -1;
        av_packet_rescale_ts(held.get(), inStream->time_base, outStream->time_base);
        int ret = av_write_frame(output.get(), held.get());
        av_packet_unref(held.get());
        return ret;
    };
    for (;;) {
        int ret = av_read_frame(input.get(), next.get());
        if (ret == AVERROR_EOF)
            break;
        if (ret < 0)
            return false;
        if (holding && writeHeld(next->dts - held->dts) < 0)
            return false;
        std::swap(held, next);
        holding = true;
    }
    if (holding) {
        int64_t end = AV_NOPTS_VALUE;
        if (inStream->duration > 0)
            end = inStream->duration + (inStream->start_time != AV_NOPTS_VALUE ? inStream->start_time : 0);
        if (writeHeld(end != AV_NOPTS_VALUE && end > held->dts ? end - held->dts : lastDuration) < 0)
            return false;
    }
    if (av_write_trailer(output.get()) < 0)
        return false;
    avio_flush(output->pb);
    if (output->pb->error < 0)
        return false;
    return avio_closep(&output->pb) >= 0;
}

bool SyncFile(const char* path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

// Replaces the fragmented recording at path by an ordinary MP4. The new file
// is built beside it and renamed over it only when complete, so a failure or
// a crash meanwhile leaves the playable fragmented file in place.
bool RewriteAsPlainMp4(const char* path)
{
    std::string temp = std::string(path) + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return false;
    struct stat original;
    if (stat(path, &original) == 0)
        fchmod(fd, original.st_mode & 07777);
    close(fd);

    if (!CopyAsPlainMp4(path, temp.c_str()) || !SyncFile(temp.c_str()) || rename(temp.c_str(), path) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

CVideoRecorder::CVideoRecorder()
{
    std::memset(m_path, 0, sizeof(m_path));
}

CVideoRecorder::~CVideoRecorder()
{
    Close();
}

bool CVideoRecorder::Open(int width, int height, const char* path, Levels levels)
{
    if (width <= 0 || height <= 0 || path == nullptr)
        return false;
    if (m_path[0] != '\0')
        return false;  // opened before
    // 4:2:0 halves both axes: odd sizes have no exact chroma planes.
    if (width % 2 != 0 || height % 2 != 0 || av_image_check_size(width, height, 0, nullptr) < 0)
        return false;
    size_t length = std::strlen(path);
    if (length == 0 || length >= sizeof(m_path))
        return false;
    std::memcpy(m_path, path, length + 1);

    m_formatContext = avformat_alloc_context();
    if (!m_formatContext)
        return false;
    const AVOutputFormat* format = av_guess_format("mp4", nullptr, nullptr);
    if (!format) {
        Release();
        return false;
    }
    m_formatContext->oformat = format;
    m_formatContext->url = av_strdup(path);
    if (!m_formatContext->url || avio_open(&m_formatContext->pb, path, AVIO_FLAG_WRITE) < 0) {
        printf("Failed to open output file! \n");
        Release();
        return false;
    }

    // From here on a failure also removes the file just created.
    auto fail = [this]() {
        Release();
        unlink(m_path);
        return false;
    };

    m_stream = avformat_new_stream(m_formatContext, nullptr);
    if (!m_stream)
        return fail();

    const AVCodec* codec = avcodec_find_encoder(format->video_codec);
    if (!codec) {
        printf("Can not find encoder! \n");
        return fail();
    }
    m_codecContext = avcodec_alloc_context3(codec);
    if (!m_codecContext)
        return fail();
    AVCodecContext* c = m_codecContext;
    c->codec_id = format->video_codec;
    c->codec_type = AVMEDIA_TYPE_VIDEO;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->width = width;
    c->height = height;
    c->bit_rate = 400000;
    c->gop_size = 250;
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    c->me_range = 16;
    c->max_qdiff = 4;
    c->qcompress = 0.6f;
    c->qmin = 10;
    c->qmax = 50;
    // Two encoding threads, one per core of the two-core machines this runs
    // on, which also decode and draw every frame: measured with this preset,
    // four cost more processor time at 3840 x 2160 (about a quarter) and one
    // even more there, while at 1920 x 1080 they all cost about the same.
    c->thread_count = 2;
    // What the samples mean, so that players do not guess (they take BT.709
    // for high-definition sizes).
    c->colorspace = AVCOL_SPC_SMPTE170M;
    c->color_range = levels == Levels::kFull ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    c->time_base = AVRational{1, kTicksPerSecond};
    // Time stamps carry the real rate; the nominal one only keeps the
    // encoder from deriving its level from 90000 frames a second.
    c->framerate = AVRational{kNominalFrameRate, 1};
    m_stream->time_base = c->time_base;

    AVDictionary* options = nullptr;
    if (c->codec_id == AV_CODEC_ID_H264) {
        av_dict_set(&options, "preset", "ultrafast", 0);
        av_dict_set(&options, "profile", "baseline", 0);
    } else if (c->codec_id == AV_CODEC_ID_HEVC) {
        av_dict_set(&options, "preset", "ultrafast", 0);
        av_dict_set(&options, "tune", "zerolatency", 0);
    }
    int ret = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    if (ret < 0) {
        printf("Failed to open encoder! \n");
        return fail();
    }
    if (avcodec_parameters_from_context(m_stream->codecpar, c) < 0)
        return fail();
    av_dump_format(m_formatContext, 0, path, 1);

    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (!m_frame || !m_packet)
        return fail();
    av_image_fill_linesizes(m_frame->linesize, AV_PIX_FMT_YUV420P, width);
    m_frame->format = AV_PIX_FMT_YUV420P;
    m_frame->width = width;
    m_frame->height = height;

    // Fragmented while recording: each fragment carries its own index, so a
    // file cut off at any point plays up to its last whole fragment. Packets
    // are flushed to the file as soon as the muxer emits them.
    AVDictionary* muxOptions = nullptr;
    av_dict_set(&muxOptions, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    av_dict_set(&muxOptions, "frag_duration", "1000000", 0);
    m_formatContext->flush_packets = 1;
    ret = avformat_write_header(m_formatContext, &muxOptions);
    av_dict_free(&muxOptions);
    if (ret < 0) {
        printf("Failed to write header! \n");
        return fail();
    }
    avio_flush(m_formatContext->pb);
    if (m_formatContext->pb->error < 0)
        return fail();
    m_headerWritten = true;

    m_borrowInput = !(c->active_thread_type & FF_THREAD_FRAME);
    m_width = width;
    m_height = height;
    m_lumaSize = width * height;
    return true;
}

int CVideoRecorder::EncodeFrame(const uint8_t* buffer, int width, int height)
{
    return EncodeFrameAt(buffer, width, height, av_gettime_relative());
}

int CVideoRecorder::EncodeFrameAt(const uint8_t* buffer, int width, int height, int64_t timeUs)
{
    if (!m_headerWritten || m_outputFailed || !buffer)
        return -1;
    // A camera that changed its size on its own: the buffer does not hold
    // the opened picture, so it is not read at all.
    if (width != m_width || height != m_height)
        return -1;

    int64_t pts = 0;
    if (!m_started) {
        m_startTime = timeUs;
        m_started = true;
    } else {
        int64_t elapsedUs = timeUs > m_startTime ? timeUs - m_startTime : 0;
        pts = MicrosecondsToTicks(elapsedUs);
        // The muxer refuses time stamps that do not increase.
        if (pts <= m_lastPts)
            pts = m_lastPts + 1;
        m_lastIntervalTicks = pts - m_lastPts;
    }
    m_lastPts = pts;

    // The planes point into the caller's buffer. Wrapped as a reference the
    // encoder borrows it instead of copying it: libx264 copies the picture
    // into its own frames before avcodec_send_frame returns. Encoders that
    // keep input frames across calls (libavcodec's frame threads) get an
    // unwrapped frame, which libavcodec copies.
    uint8_t* planes = const_cast<uint8_t*>(buffer);
    if (m_borrowInput) {
        int bufferSize = m_lumaSize + m_lumaSize / 2;
        m_frame->buf[0] = av_buffer_create(planes, bufferSize, KeepBuffer, nullptr, AV_BUFFER_FLAG_READONLY);
        if (!m_frame->buf[0])
            return -1;
    }
    m_frame->data[0] = planes;
    m_frame->data[1] = planes + m_lumaSize;
    m_frame->data[2] = planes + m_lumaSize * 5 / 4;
    m_frame->pts = pts;

    int ret = avcodec_send_frame(m_codecContext, m_frame);
    av_buffer_unref(&m_frame->buf[0]);
    m_frame->data[0] = m_frame->data[1] = m_frame->data[2] = nullptr;
    if (ret < 0) {
        printf("Failed to encode! \n");
        return -1;
    }

    int written = 0;
    for (;;) {
        ret = avcodec_receive_packet(m_codecContext, m_packet);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            break;
        if (ret < 0) {
            printf("Failed to encode! \n");
            return -1;
        }
        if (WritePacket() < 0)
            return -1;
        ++written;
    }
    return written > 0 ? 0 : -1;
}

int CVideoRecorder::WritePacket()
{
    if (m_outputFailed) {
        av_packet_unref(m_packet);
        return AVERROR(EIO);
    }
    m_packet->stream_index = m_stream->index;
    if (m_packet->duration <= 0)
        m_packet->duration
            = m_lastIntervalTicks > 0 ? m_lastIntervalTicks : kTicksPerSecond / kNominalFrameRate;
    av_packet_rescale_ts(m_packet, m_codecContext->time_base, m_stream->time_base);
    int ret = av_write_frame(m_formatContext, m_packet);
    av_packet_unref(m_packet);
    if (ret < 0) {
        // Write errors stick to the file (full disk, lost device): stop
        // encoding into it and keep what it holds.
        printf("Failed to write frame! \n");
        m_outputFailed = true;
    } else {
        ++m_packetsWritten;
    }
    return ret;
}

int CVideoRecorder::FlushEncoder()
{
    if (!m_codecContext || !m_packet)
        return AVERROR(EINVAL);
    int ret = avcodec_send_frame(m_codecContext, nullptr);
    if (ret < 0 && ret != AVERROR_EOF)
        return ret;
    for (;;) {
        ret = avcodec_receive_packet(m_codecContext, m_packet);
        if (ret == AVERROR_EOF)
            return 0;
        if (ret < 0)
            return ret;
        printf("Flush Encoder: Succeed to encode 1 frame!\tsize:%5d\n", m_packet->size);
        ret = WritePacket();
        if (ret < 0)
            return ret;
    }
}

bool CVideoRecorder::Close()
{
    if (!m_headerWritten)
        return false;
    bool complete = !m_outputFailed;
    if (m_codecContext->codec->capabilities & AV_CODEC_CAP_DELAY) {
        if (FlushEncoder() < 0) {
            printf("Flushing encoder failed\n");
            complete = false;
        }
    }
    // The trailer is written even after a failed flush: the pictures already
    // in the file stay readable.
    if (av_write_trailer(m_formatContext) < 0)
        complete = false;
    avio_flush(m_formatContext->pb);
    if (m_formatContext->pb->error < 0)
        complete = false;
    Release();

    if (!complete)
        return false;
    if (!RewriteAsPlainMp4(m_path)) {
        printf("Failed to finish output file! \n");
        return false;
    }
    return true;
}

void CVideoRecorder::Release()
{
    avcodec_free_context(&m_codecContext);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    if (m_formatContext) {
        if (m_formatContext->pb)
            avio_closep(&m_formatContext->pb);
        avformat_free_context(m_formatContext);
        m_formatContext = nullptr;
    }
    m_stream = nullptr;
    m_headerWritten = false;
}

}  // namespace kelvara
