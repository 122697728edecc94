#pragma once
// How a calibration made at one picture size applies to a picture of another
// size. A size of the same shape (aspect ratio within kSameShapeTolerance)
// shows the same field scaled: a pixel spans width ratio times as much. A
// size of another shape is a cropped mode that keeps the sensor's pitch: the
// value stays as it is and the caller warns.
//
// Pure functions; any thread.

#include "app/measure/CaliData.h"

// Relative difference of two aspect ratios still taken as the same shape.
constexpr double kSameShapeTolerance = 0.005;

struct CaliFit
{
    enum Kind
    {
        kAsMade,  // no size known, the same size or a degenerate one: the value as it is
        kScaled,  // same shape, other size: the value scaled by the width ratio
        kOtherShape  // another aspect ratio: the value as it is, may not fit
    } kind
        = kAsMade;
    double value = 0;  // units per pixel of the width x height picture
};

// How a calibration made at entry.width x entry.height applies to a picture
// of width x height.
CaliFit FitCalibration(const CaliData& entry, int width, int height);
// The same for a pixel size known at one picture size (a preview's
// calibration applied to a still).
CaliFit FitPixelSize(double unitsPerPixel, int madeWidth, int madeHeight, int width, int height);
