#include "camera_module/CMBackendSelection.h"

#include "camera_module/CMFactory.h"
#include "camera_module/directshow/CMCameraDirectShow.h"
#include "camera_module/vendor_usb/CMCameraYW1600.h"
#include "camera_module/vendor_usb/CMCameraYW500.h"
#include "camera_module/vendor_usb/CMCameraYWUSB.h"
#include "camera_module/vendor_usb/CMCameraYxDP5.h"

#include <new>

namespace {

constexpr int kAnyId = -1;

struct SelectionRule
{
    int groupType;
    int vid;  // kAnyId matches every id
    int pid;
    CMBackendKind kind;
};

// First matching rule wins; the catch-all of a group comes last.
const SelectionRule kRules[] = {
    {CM_GROUP_DIRECTSHOW, 0x04F2, 0xA14B, CMBackendKind::YW500},
    {CM_GROUP_DIRECTSHOW, 0xEBA1, 0x7584, CMBackendKind::YxDP5},
    {CM_GROUP_DIRECTSHOW, 0xEBA1, 0x7586, CMBackendKind::YxDP5},
    {CM_GROUP_DIRECTSHOW, 0xEBA1, 0x7585, CMBackendKind::YW1600},
    {CM_GROUP_DIRECTSHOW, kAnyId, kAnyId, CMBackendKind::DirectShow},
    {CM_GROUP_YWUSB, kAnyId, kAnyId, CMBackendKind::YWUSB},
};

bool IdMatches(int ruleId, int id)
{
    return ruleId == kAnyId || ruleId == id;
}

}  // namespace

CMBackendKind SelectBackend(int groupType, int vid, int pid)
{
    for (const SelectionRule& rule : kRules) {
        if (rule.groupType == groupType && IdMatches(rule.vid, vid) && IdMatches(rule.pid, pid))
            return rule.kind;
    }
    return CMBackendKind::None;
}

CMCameraBase* CreateBackend(CMBackendKind kind, int deviceIndex)
{
    // A failed allocation, in the object or in what its constructor sets
    // up, gives no camera.
    try {
        switch (kind) {
        case CMBackendKind::DirectShow:
            return new CMCameraDirectShow(deviceIndex);
        case CMBackendKind::YW500:
            return new CMCameraYW500(deviceIndex);
        case CMBackendKind::YW1600:
            return new CMCameraYW1600(deviceIndex);
        case CMBackendKind::YxDP5:
            return new CMCameraYxDP5(deviceIndex);
        case CMBackendKind::YWUSB:
            return new CMCameraYWUSB(deviceIndex);
        case CMBackendKind::None:
            break;
        }
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}
