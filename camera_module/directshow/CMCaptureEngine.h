#pragma once
// The capture engine of one DirectShow camera: builds, runs and tears down
// the filter graph of a device (capture source -> Sample Grabber -> Null
// Renderer for the preview, and the same chain from the still pin when the
// device has one), negotiates the preview format and size, and owns the 20
// device records.
//
// Threads: UI thread only. Samples reach the registered hand-over function
// on the graph's streaming threads; stopping the graph (StopGraph,
// StopDevice, destruction) waits until no sample is being delivered.

#include "camera_module/directshow/CMCaptureDevice.h"
#include "camera_module/directshow/CMDirectShowDevices.h"

#include <memory>

class CMCaptureEngine
{
public:
    CMCaptureEngine();
    ~CMCaptureEngine();
    CMCaptureEngine(const CMCaptureEngine&) = delete;
    CMCaptureEngine& operator=(const CMCaptureEngine&) = delete;

    // Enumerates the devices and returns how many there are.
    int ListDevices();
    int DeviceCount() const { return m_deviceCount; }

    // The record of device i (0 .. 19), never null inside that range.
    CMCaptureDevice* Device(int i);
    bool IsDeviceSetup(int i);
    bool IsDeviceReady(int i);

    // Builds and runs the graph of device i with the requested size and
    // subtypes; on failure the record is torn down and reusable.
    bool SetupDevice(int i);
    // Tears the graph of device i down and replaces its record.
    void StopDevice(int i);

    // Set-format step: width, height and subtype into the preview stream;
    // on refusal the previous format is restored.
    bool SetFormat(int i, int width, int height, const GUID& subtype);
    // Records the negotiated size. A second call without force is ignored.
    void SetSize(int i, int width, int height, bool force = false);
    bool StopGraph(int i);
    bool RunGraph(int i);
    // Stops the graph, sets the size in the requested subtype, runs again.
    bool ChangePreviewSize(int i, int width, int height);

    // Engine-wide requests, read by SetupDevice.
    GUID requestedSubtype = GUID_NULL;  // replaced by the subtype used
    GUID requestedStillSubtype = GUID_NULL;
    int requestedStillWidth = 0;  // 0 = the still pin's default
    int requestedStillHeight = 0;
    bool stillAvailable = false;

private:
    bool SetupChains(int i);
    void SetupStillChain(CMCaptureDevice& d);
    bool NegotiateRequestedSize(int i);
    void TeardownDevice(CMCaptureDevice& d);

    int m_deviceCount = 0;
    GUID m_pinCategory = PIN_CATEGORY_CAPTURE;
    std::unique_ptr<CMCaptureDevice> m_devices[kMaxDirectShowDevices];
};
