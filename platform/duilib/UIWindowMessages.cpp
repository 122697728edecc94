#include "platform/duilib/UIWindowMessages.h"

#include <mutex>
#include <unordered_map>

namespace DuiLib {
namespace {

std::mutex& RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}

struct Receivers
{
    MessageReceiver send;
    MessageReceiver post;  // Empty: posting delivers through send.
};

std::unordered_map<HWND, Receivers>& Registry()
{
    static std::unordered_map<HWND, Receivers> receivers;
    return receivers;
}

bool FindReceiver(HWND hwnd, MessageReceiver& receiver, bool forPost)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = Registry().find(hwnd);
    if (it == Registry().end())
        return false;
    // Copied so the call runs without the registry lock held.
    receiver = (forPost && it->second.post) ? it->second.post : it->second.send;
    return true;
}

}  // namespace

void RegisterMessageReceiver(HWND hwnd, MessageReceiver receiver)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    Registry()[hwnd] = Receivers{std::move(receiver), nullptr};
}

void RegisterMessageReceiver(HWND hwnd, MessageReceiver receiver, MessageReceiver poster)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    Registry()[hwnd] = Receivers{std::move(receiver), std::move(poster)};
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
    if (hwnd == nullptr || !DuiLib::FindReceiver(hwnd, receiver, false))
        return 0;
    return receiver(message, wParam, lParam);
}

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    DuiLib::MessageReceiver receiver;
    if (hwnd == nullptr || !DuiLib::FindReceiver(hwnd, receiver, true))
        return false;
    receiver(message, wParam, lParam);
    return true;
}
