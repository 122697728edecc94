// The process's virtual devices.

#include "platform/directshow/VirtualDeviceRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/directshow/VirtualCaptureDevice.h"

namespace kelvara::dshow {

namespace {

struct Entry
{
    int id;
    bool fromEnvironment;
    VirtualDeviceDescription description;
    std::shared_ptr<VirtualDeviceState> state;
};

std::mutex g_mutex;
std::vector<Entry> g_entries;  // guarded by g_mutex; environment entries first
std::string g_loadedEnvironment;  // value of the variable the environment entries came from
int g_nextId = 1;

// Re-reads KELVARA_VIRTUAL_CAMERAS when its value changed. Holds g_mutex.
void RefreshEnvironment()
{
    const char* value = std::getenv("KELVARA_VIRTUAL_CAMERAS");
    const std::string current = value ? value : "";
    if (current == g_loadedEnvironment)
        return;
    g_loadedEnvironment = current;
    std::vector<Entry> kept;
    for (Entry& e : g_entries)
        if (!e.fromEnvironment)
            kept.push_back(std::move(e));
    std::vector<VirtualDeviceDescription> loaded;
    if (current == "demo") {
        loaded.push_back(DemoVirtualCamera());
    } else if (!current.empty()) {
        std::string error;
        if (!LoadVirtualDevicesFile(current, &loaded, &error))
            std::fprintf(stderr, "KELVARA_VIRTUAL_CAMERAS: %s\n", error.c_str());
    }
    std::vector<Entry> entries;
    for (VirtualDeviceDescription& d : loaded)
        entries.push_back({g_nextId++, true, std::move(d), std::make_shared<VirtualDeviceState>()});
    for (Entry& e : kept)
        entries.push_back(std::move(e));
    g_entries = std::move(entries);
}

Entry* Find(int id)
{
    for (Entry& e : g_entries)
        if (e.id == id)
            return &e;
    return nullptr;
}

}  // namespace

int VirtualDeviceRegistry::Add(const VirtualDeviceDescription& description)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    RefreshEnvironment();
    const int id = g_nextId++;
    g_entries.push_back({id, false, description, std::make_shared<VirtualDeviceState>()});
    return id;
}

void VirtualDeviceRegistry::Remove(int id)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    for (auto it = g_entries.begin(); it != g_entries.end(); ++it) {
        if (it->id == id) {
            // Devices opened from it keep working until released.
            g_entries.erase(it);
            return;
        }
    }
}

void VirtualDeviceRegistry::Clear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<Entry> kept;
    for (Entry& e : g_entries)
        if (e.fromEnvironment)
            kept.push_back(std::move(e));
    g_entries = std::move(kept);
}

void VirtualDeviceRegistry::Unplug(int id)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (Entry* e = Find(id))
        e->state->unplugged = true;
}

void VirtualDeviceRegistry::Replug(int id)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (Entry* e = Find(id)) {
        // A fresh state: objects opened before the unplug stay dead, as with
        // a real device that comes back as a new node.
        e->state = std::make_shared<VirtualDeviceState>();
    }
}

bool VirtualDeviceRegistry::IsUnplugged(int id)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    Entry* e = Find(id);
    return !e || e->state->unplugged.load();
}

int VirtualDeviceRegistry::StillsDelivered(int id)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    Entry* e = Find(id);
    return e ? e->state->stillsDelivered.load() : 0;
}

uint64_t VirtualDeviceRegistry::FramesLost(int id)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    Entry* e = Find(id);
    return e ? e->state->framesLost.load() : 0;
}

std::vector<DeviceEntry> VirtualDeviceRegistry::Enumerate()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    RefreshEnvironment();
    std::vector<DeviceEntry> list;
    for (const Entry& e : g_entries) {
        if (e.state->unplugged.load())
            continue;
        DeviceEntry d;
        d.friendlyName = e.description.name;
        d.devicePath = e.description.devicePath;
        d.accessDenied = e.description.accessDenied;
        VirtualDeviceDescription description = e.description;
        std::shared_ptr<VirtualDeviceState> state = e.state;
        d.open = [description, state](HRESULT* result) -> std::shared_ptr<CaptureDevice> {
            if (state->unplugged.load()) {
                if (result)
                    *result = E_DEVICE_NOT_CONNECTED;
                return nullptr;
            }
            if (description.accessDenied) {
                if (result)
                    *result = E_ACCESSDENIED;
                return nullptr;
            }
            if (result)
                *result = S_OK;
            return std::make_shared<VirtualCaptureDevice>(description, state);
        };
        list.push_back(std::move(d));
    }
    return list;
}

std::vector<int> VirtualDeviceRegistry::Ids()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    RefreshEnvironment();
    std::vector<int> ids;
    for (const Entry& e : g_entries)
        if (!e.state->unplugged.load())
            ids.push_back(e.id);
    return ids;
}

}  // namespace kelvara::dshow
