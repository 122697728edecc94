#include "app/capture/JpegPlanes.h"

#include "app/capture/JpegErrors.h"

#include <libyuv/convert_argb.h>
#include <libyuv/planar_functions.h>
#include <libyuv/scale.h>

#include <new>

namespace kelvara::capture {

namespace {

// 4:2:2 or 4:2:0 YCbCr: luminance sampled twice across (and once or twice
// down), each chroma component once.
bool IsCameraLayout(const jpeg_decompress_struct& info)
{
    if (info.num_components != 3 || info.jpeg_color_space != JCS_YCbCr)
        return false;
    const jpeg_component_info* c = info.comp_info;
    return c[0].h_samp_factor == 2 && (c[0].v_samp_factor == 1 || c[0].v_samp_factor == 2)
        && c[1].h_samp_factor == 1 && c[1].v_samp_factor == 1 && c[2].h_samp_factor == 1
        && c[2].v_samp_factor == 1;
}

// Samples per row a component needs in whole MCUs, rounded up for SIMD
// alignment.
int PaddedWidth(const jpeg_decompress_struct& info, int component)
{
    const int mcuWidth = info.max_h_samp_factor * DCTSIZE;
    const int mcus = (static_cast<int>(info.image_width) + mcuWidth - 1) / mcuWidth;
    const int samples = mcus * info.comp_info[component].h_samp_factor * DCTSIZE;
    return (samples + 31) & ~31;
}

}  // namespace

JpegPlanes::Result JpegPlanes::Decode(const uint8_t* data, int dataSize, int expectWidth, int expectHeight)
{
    m_valid = false;
    if (!data || dataSize <= 0 || expectWidth <= 0 || expectHeight <= 0)
        return Result::kFailed;
    // Kept in members, not in locals that a longjmp may clobber.
    m_width = expectWidth;
    m_height = expectHeight;
    jpeg_decompress_struct info;
    JpegErrors errors;
    errors.Attach(&info);
    if (setjmp(errors.exit)) {
        jpeg_destroy_decompress(&info);
        return Result::kFailed;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(dataSize));
    jpeg_read_header(&info, TRUE);
    if (static_cast<int>(info.image_width) != expectWidth
        || static_cast<int>(info.image_height) != expectHeight) {
        jpeg_destroy_decompress(&info);
        return Result::kFailed;
    }
    if (!IsCameraLayout(info)) {
        jpeg_destroy_decompress(&info);
        return Result::kOtherLayout;
    }
    info.raw_data_out = TRUE;
    info.dct_method = JDCT_IFAST;
    jpeg_start_decompress(&info);
    const int rowsPerPass = info.max_v_samp_factor * DCTSIZE;
    const int passes = (m_height + rowsPerPass - 1) / rowsPerPass;
    int widths[3];
    int rows[3];
    for (int c = 0; c < 3; ++c) {
        widths[c] = PaddedWidth(info, c);
        rows[c] = info.comp_info[c].v_samp_factor * DCTSIZE;
    }
    if (!Allocate(passes, widths, rows)) {
        jpeg_destroy_decompress(&info);
        return Result::kFailed;
    }
    // One iMCU row per call: 8 or 16 luminance rows, 8 chroma rows.
    JSAMPROW rowPointers[3][2 * DCTSIZE];
    JSAMPARRAY components[3] = {rowPointers[0], rowPointers[1], rowPointers[2]};
    while (info.output_scanline < info.output_height) {
        const size_t pass = info.output_scanline / static_cast<unsigned>(rowsPerPass);
        for (int c = 0; c < 3; ++c) {
            for (int r = 0; r < rows[c]; ++r)
                rowPointers[c][r]
                    = m_planes[c].data() + (pass * rows[c] + r) * static_cast<size_t>(m_strides[c]);
        }
        if (jpeg_read_raw_data(&info, components, static_cast<JDIMENSION>(rowsPerPass)) == 0)
            break;
    }
    const bool complete = info.output_scanline >= info.output_height;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (!complete || errors.truncated)
        return Result::kFailed;
    m_chromaHeight = rows[0] == 2 * DCTSIZE ? (m_height + 1) / 2 : m_height;
    m_valid = true;
    return Result::kDecoded;
}

bool JpegPlanes::Allocate(int passes, const int widthInSamples[3], const int rowsPerComponent[3])
{
    for (int c = 0; c < 3; ++c) {
        const size_t bytes = static_cast<size_t>(widthInSamples[c]) * rowsPerComponent[c] * passes;
        m_strides[c] = widthInSamples[c];
        if (m_planes[c].size() == bytes)
            continue;
        try {
            m_planes[c].assign(bytes, 0);
        } catch (const std::bad_alloc&) {
            m_planes[c].clear();
            return false;
        }
    }
    return true;
}

void JpegPlanes::ToRgba(Orientation orientation, uint8_t* dst) const
{
    if (!m_valid)
        return;
    const int signedHeight = orientation.flip ? -m_height : m_height;
    const int stride = m_width * 4;
    if (m_chromaHeight == m_height)
        libyuv::J422ToABGR(m_planes[0].data(), m_strides[0], m_planes[1].data(), m_strides[1],
            m_planes[2].data(), m_strides[2], dst, stride, m_width, signedHeight);
    else
        libyuv::J420ToABGR(m_planes[0].data(), m_strides[0], m_planes[1].data(), m_strides[1],
            m_planes[2].data(), m_strides[2], dst, stride, m_width, signedHeight);
    if (orientation.mirror)
        MirrorRows(dst, m_width, m_height);
}

void JpegPlanes::ToI420(Orientation orientation, uint8_t* y, uint8_t* u, uint8_t* v)
{
    if (!m_valid)
        return;
    const int width = m_width;
    const int chromaWidth = width / 2;
    const int chromaHeight = m_height / 2;
    // A negative height makes libyuv turn the picture upside down.
    const int signedHeight = orientation.flip ? -m_height : m_height;
    if (orientation.mirror)
        libyuv::MirrorPlane(m_planes[0].data(), m_strides[0], y, width, width, signedHeight);
    else
        libyuv::CopyPlane(m_planes[0].data(), m_strides[0], y, width, width, signedHeight);

    uint8_t* targets[2] = {u, v};
    if (orientation.mirror)
        m_chroma.resize(static_cast<size_t>(chromaWidth) * chromaHeight);
    for (int c = 1; c <= 2; ++c) {
        uint8_t* target = orientation.mirror ? m_chroma.data() : targets[c - 1];
        if (m_chromaHeight == m_height) {
            // 4:2:2: every two chroma rows become one.
            libyuv::ScalePlane(m_planes[c].data(), m_strides[c], chromaWidth, signedHeight, target,
                chromaWidth, chromaWidth, chromaHeight, libyuv::kFilterBilinear);
        } else {
            libyuv::CopyPlane(m_planes[c].data(), m_strides[c], target, chromaWidth, chromaWidth,
                orientation.flip ? -chromaHeight : chromaHeight);
        }
        if (orientation.mirror)
            libyuv::MirrorPlane(target, chromaWidth, targets[c - 1], chromaWidth, chromaWidth, chromaHeight);
    }
}

}  // namespace kelvara::capture
