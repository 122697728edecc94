#pragma once
// The drop-shadow picture of a window: a blurred, darkened copy of the
// window's shape, larger than the window by `size` pixels on every side,
// with the part the window itself covers cut out. Plain functions of the
// window's shape; any thread.

#include <cstdint>
#include <vector>

// One row of a window's shape: pixels first .. end-1 are inside; an empty
// row has end <= first.
struct ShadowSpan
{
    int first = 0;
    int end = 0;
};

struct ShadowParams
{
    uint8_t darkness = 150;  // alpha of the full shadow
    uint8_t sharpness = 5;  // width of the soft edge, in pixels
    int8_t size = 4;  // how far the shadow reaches beyond the window
    int8_t xOffset = 1;  // shadow moved right of the window by this much
    int8_t yOffset = 1;  // and down by this much
    uint32_t colour = 0;  // 0x00BBGGRR, as a COLORREF
};

// The rows of a w x h rounded rectangle whose corners are quarter ellipses
// of cornerWidth x cornerHeight (a rectangle when either is below 2).
std::vector<ShadowSpan> RoundRectSpans(int width, int height, int cornerWidth, int cornerHeight);

// Alpha of a kernel cell at distance r from its centre.
int ShadowKernelAlpha(double r, const ShadowParams& params);

// The shadow of a window of the given width whose shape has one span per
// row (spans.size() rows), as (width + 2*size) x (rows + 2*size) pixels,
// rows top-down, each pixel 0xAARRGGBB with premultiplied colour:
//  - the spans are placed `size` pixels in from the top-left and eroded
//    (sharpness - size) times: each row becomes the overlap of itself and
//    its two neighbours, less one pixel at each end;
//  - a (2R+1)^2 kernel, R = max(size, sharpness), D = size - sharpness when
//    positive else 0, gives darkness for r < D, (1 - (r - D) / (sharpness
//    + 1)) * darkness for D <= r <= R, and 0 beyond; it is stamped on every
//    edge pixel of the eroded rows, keeping the larger alpha per pixel;
//  - eroded rows are filled with the full darkness;
//  - pixels under the window itself (its spans moved by size - offset)
//    become 0.
std::vector<uint32_t> MakeShadowImage(
    const std::vector<ShadowSpan>& spans, int width, const ShadowParams& params);
