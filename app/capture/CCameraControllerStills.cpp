// The camera controller's still pictures: snapping through the camera's
// still pin, the pixel size the file carries and the scale bar drawn into it.
#include "app/capture/CCameraController.h"

#include "app/capture/CapturePaths.h"
#include "app/capture/FrameConversion.h"
#include "app/capture/ScaleBarPainter.h"
#include "app/capture/StillPictureWriter.h"
#include "app/measure/CaliScaling.h"
#include "platform/system/ProgramDirectory.h"

#include <turbojpeg.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace kelvara {

namespace {

// Frees a still picture's data, which the caller owns after Snap.
struct SnapData
{
    unsigned char* data = nullptr;
    ~SnapData() { delete[] data; }
};

struct JpegHandle
{
    tjhandle handle = tjInitDecompress();
    ~JpegHandle()
    {
        if (handle)
            tjDestroy(handle);
    }
};

}  // namespace

bool CCameraController::SnapToFile(const wchar_t* path)
{
    if (!m_pCamera)
        return false;
    std::string target;
    if (!capture::PathToUtf8(path, &target))
        return false;
    tagCMImage image;
    std::memset(&image, 0, sizeof image);
    const int result = m_pCamera->Snap(&image);
    SnapData owned;
    owned.data = image.data;
    if (result != 0 || !capture::IsConvertible(image))
        return false;

    capture::Orientation orientation;
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        orientation.mirror = m_softOrientation.mirror;
        orientation.flip = m_softOrientation.flip;
    }
    int width = image.width;
    int height = image.height;
    std::unique_ptr<uint8_t[]> pixels;
    if (image.format == CM_FMT_MJPG) {
        // A decompressor of its own, so that a still never holds up the preview.
        JpegHandle jpeg;
        if (!capture::ReadJpegSize(jpeg.handle, image.data, image.dataSize, &width, &height))
            return false;
        const size_t bytes = capture::PixelBufferBytes(width, height);
        pixels.reset(bytes ? new (std::nothrow) uint8_t[bytes] : nullptr);
        if (!pixels
            || !capture::DecodeJpeg(jpeg.handle, image.data, image.dataSize, 0, 0, capture::PixelOrder::BGRA,
                orientation, pixels.get(), bytes, &width, &height))
            return false;
    } else {
        const size_t bytes = capture::PixelBufferBytes(width, height);
        pixels.reset(new (std::nothrow) uint8_t[bytes]);
        if (!pixels
            || !capture::ConvertUncompressed(
                image, capture::PixelOrder::BGRA, orientation, pixels.get(), nullptr))
            return false;
    }
    if (m_stillScale.unit == 0)
        return capture::WriteStillPicture(target, pixels.get(), width, height);
    // A still of the preview's shape shows the same field: its pixel size
    // scales with the width; another shape is a crop at the same pitch.
    capture::PictureScale scale;
    scale.unit = m_stillScale.unit;
    scale.unitsPerPixel
        = FitPixelSize(m_stillScale.unitsPerPixel, m_stillScale.width, m_stillScale.height, width, height)
              .value;
    if (m_stillScaleBar.on)
        BurnScaleBar(pixels.get(), width, height, scale.unitsPerPixel, scale.unit, m_stillScaleBar.corner);
    return capture::WriteStillPicture(target, pixels.get(), width, height, &scale);
}

void CCameraController::SetStillScale(double unitsPerPixel, int unit, int atWidth, int atHeight)
{
    m_stillScale = StillScale();
    if (unit == 0 || !std::isfinite(unitsPerPixel) || unitsPerPixel <= 0 || atWidth <= 0 || atHeight <= 0)
        return;
    m_stillScale = {unitsPerPixel, unit, atWidth, atHeight};
}

void CCameraController::SetStillScaleBar(bool on, int corner)
{
    m_stillScaleBar.on = on;
    m_stillScaleBar.corner = corner;
}

bool CCameraController::BurnScaleBar(
    uint8_t* bgra, int width, int height, double unitsPerPixel, int unit, int corner)
{
    if (!m_scaleBarPainter) {
        const std::string directory = GetProgramDirectory();
        m_scaleBarPainter
            = std::make_unique<capture::ScaleBarPainter>(directory.empty() ? "" : directory + "fzht.ttf");
    }
    return m_scaleBarPainter->Paint(bgra, width, height, unitsPerPixel, unit, corner) > 0;
}

}  // namespace kelvara
