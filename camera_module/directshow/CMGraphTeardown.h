#pragma once
// Dismantling the filter graph of a capture device. UI thread only.

#include "camera_module/directshow/CMCaptureDevice.h"

// Stops the graph (waiting until no sample is being delivered), detaches and
// frees the grabber callbacks, removes every filter and releases every graph
// object of the record, printing one line per step.
void DismantleDeviceGraph(CMCaptureDevice& d);
