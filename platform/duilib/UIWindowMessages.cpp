#include "UIWindowMessages.h"

#include <mutex>
#include <unordered_map>

namespace DuiLib {
namespace {

std::mutex& RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<HWND, MessageReceiver>& Registry()
{
    static std::unordered_map<HWND, MessageReceiver> receivers;
    return receivers;
}

bool FindReceiver(HWND hwnd, MessageReceiver& receiver)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = Registry().find(hwnd);
    if (it == Registry().end())
        return false;
    // Copied so the call runs without the registry lock held.
    receiver = it->second;
    return true;
}

}  // namespace

void RegisterMessageReceiver(HWND hwnd, MessageReceiver receiver)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    Registry()[hwnd] = std::move(receiver);
}

void UnregisterMessageReceiver(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    Registry().erase(hwnd);
}

}  // namespace DuiLib

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    DuiLib::MessageReceiver receiver;
    if (hwnd == nullptr || !DuiLib::FindReceiver(hwnd, receiver))
        return 0;
    return receiver(message, wParam, lParam);
}

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    DuiLib::MessageReceiver receiver;
    if (hwnd == nullptr || !DuiLib::FindReceiver(hwnd, receiver))
        return false;
    receiver(message, wParam, lParam);
    return true;
}
