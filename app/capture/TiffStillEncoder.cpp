#include "app/capture/TiffStillEncoder.h"

#include "app/capture/PictureResolution.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace kelvara::capture {

namespace {

// A growing in-memory file for TIFFClientOpen.
struct MemoryFile
{
    std::vector<uint8_t>* data = nullptr;
    uint64_t position = 0;
};

tmsize_t ReadMemory(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (size <= 0 || file->position >= file->data->size())
        return 0;
    const uint64_t count = std::min<uint64_t>(uint64_t(size), file->data->size() - file->position);
    std::memcpy(buffer, file->data->data() + file->position, count);
    file->position += count;
    return tmsize_t(count);
}

tmsize_t WriteMemory(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (size < 0)
        return -1;
    const uint64_t end = file->position + uint64_t(size);
    if (end > file->data->size())
        file->data->resize(end);
    std::memcpy(file->data->data() + file->position, buffer, size_t(size));
    file->position = end;
    return size;
}

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = file->data->size();
    file->position = base + offset;
    return file->position;
}

int CloseMemory(thandle_t)
{
    return 0;
}

toff_t SizeMemory(thandle_t handle)
{
    return static_cast<MemoryFile*>(handle)->data->size();
}

int MapMemory(thandle_t, void**, toff_t*)
{
    return 0;
}

void UnmapMemory(thandle_t, void*, toff_t) { }

struct TiffCloser
{
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

}  // namespace

bool EncodeTiffWithScale(const uint8_t* bgra, int width, int height, const PictureScale& scale,
    std::vector<uint8_t>* tiff, std::string* error)
{
    tiff->clear();
    MemoryFile file{tiff, 0};
    std::unique_ptr<TIFF, TiffCloser> out(TIFFClientOpen("still", "w", &file, ReadMemory, WriteMemory,
        SeekMemory, CloseMemory, SizeMemory, MapMemory, UnmapMemory));
    if (!out) {
        *error = "libtiff cannot start a TIFF";
        return false;
    }
    const TiffResolution resolution = TiffResolutionFor(scale);
    const std::string description = std::string("ImageJ=1.54f\nunit=") + resolution.imageJUnit + "\n";
    const uint32_t rowBytes = uint32_t(width) * 3;
    const uint32_t rowsPerStrip = std::max<uint32_t>(1, 8192 / rowBytes);
    const bool fieldsSet = TIFFSetField(out.get(), TIFFTAG_IMAGEWIDTH, uint32_t(width))
        && TIFFSetField(out.get(), TIFFTAG_IMAGELENGTH, uint32_t(height))
        && TIFFSetField(out.get(), TIFFTAG_BITSPERSAMPLE, 8)
        && TIFFSetField(out.get(), TIFFTAG_SAMPLESPERPIXEL, 3)
        && TIFFSetField(out.get(), TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT)
        && TIFFSetField(out.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB)
        && TIFFSetField(out.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG)
        && TIFFSetField(out.get(), TIFFTAG_COMPRESSION, COMPRESSION_LZW)
        && TIFFSetField(out.get(), TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL)
        && TIFFSetField(out.get(), TIFFTAG_ROWSPERSTRIP, rowsPerStrip)
        && TIFFSetField(out.get(), TIFFTAG_RESOLUTIONUNIT, resolution.resolutionUnit)
        && TIFFSetField(out.get(), TIFFTAG_XRESOLUTION, resolution.pixelsPerUnit)
        && TIFFSetField(out.get(), TIFFTAG_YRESOLUTION, resolution.pixelsPerUnit)
        && TIFFSetField(out.get(), TIFFTAG_IMAGEDESCRIPTION, description.c_str());
    if (!fieldsSet) {
        *error = "libtiff refused a field";
        return false;
    }
    std::vector<uint8_t> row(rowBytes);
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = bgra + size_t(y) * size_t(width) * 4;
        for (size_t x = 0; x < size_t(width); ++x) {
            row[x * 3] = source[x * 4 + 2];
            row[x * 3 + 1] = source[x * 4 + 1];
            row[x * 3 + 2] = source[x * 4];
        }
        if (TIFFWriteScanline(out.get(), row.data(), uint32_t(y), 0) < 0) {
            *error = "libtiff cannot write a row";
            return false;
        }
    }
    if (!TIFFFlush(out.get())) {
        *error = "libtiff cannot finish the TIFF";
        return false;
    }
    out.reset();
    return true;
}

}  // namespace kelvara::capture
