#pragma once
// Fitting a picture into the preview: the whole image, aspect kept, centred.
// view coordinate = image coordinate * zoom + origin. Pure arithmetic, any thread.

namespace kelvara {

struct ViewFit
{
    float zoom = 1.0f;
    float originX = 0.0f;
    float originY = 0.0f;
};

// The fit of an imageWidth x imageHeight picture into a viewWidth x
// viewHeight control. A relatively wider image fills the width and is
// centred vertically; otherwise (equal aspect included) it fills the height
// and is centred horizontally. False (out untouched) when the image has no
// area.
bool ComputeImageFit(int imageWidth, int imageHeight, float viewWidth, float viewHeight, ViewFit& out);

}  // namespace kelvara
