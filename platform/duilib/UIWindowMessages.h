#pragma once
// Win32-shaped basics shared by the toolkit and the program: window handles,
// message parameters, rectangles, the WM_* numbers the program handles, and
// SendMessage/PostMessage routed to whatever receives messages for a handle.
//
// Threads: RegisterMessageReceiver/UnregisterMessageReceiver and
// SendMessage/PostMessage may be called from any thread. A receiver is called
// on the thread that calls SendMessage; a receiver that belongs to a window
// moves the call onto the window's own thread itself (see CWindowWnd).

#include <cstdint>
#include <functional>

// An opaque handle of a toolkit window.
struct HWND__;
typedef HWND__* HWND;

typedef unsigned int UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

struct RECT
{
    long left;
    long top;
    long right;
    long bottom;
};

struct POINT
{
    long x;
    long y;
};

typedef struct tagSIZE
{
    long cx;
    long cy;
} SIZE;

constexpr UINT WM_USER = 0x0400;

// Messages from the measurement overlay and the preview to the main window.
constexpr UINT WM_MEASURE_ADD = WM_USER + 110;
constexpr UINT WM_MEASURE_REMOVE = WM_USER + 111;
constexpr UINT WM_MEASURE_CLEAR = WM_USER + 112;
constexpr UINT WM_MEASURE_UPDATE = WM_USER + 113;
constexpr UINT WM_LEAVE_FULLSCREEN = WM_USER + 114;
// A chosen popup menu item; wParam points to a heap MenuCmd.
constexpr UINT WM_MENUCLICK = WM_USER + 121;

namespace DuiLib {

// Handles one message for a window handle and returns its result.
using MessageReceiver = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

// Makes receiver the target of messages for hwnd, replacing any earlier one.
void RegisterMessageReceiver(HWND hwnd, MessageReceiver receiver);
// As above, with a separate poster that queues a message without waiting
// (toolkit windows queue it for their own thread).
void RegisterMessageReceiver(HWND hwnd, MessageReceiver receiver, MessageReceiver poster);
void UnregisterMessageReceiver(HWND hwnd);

}  // namespace DuiLib

// Delivers the message to the receiver of hwnd and returns its result;
// 0 when no receiver is registered (a null or closed window).
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Queues the message for the window's thread when the receiver supports
// queuing; without a window loop behind it, delivers at once. Returns false
// when no receiver is registered.
bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The other WM_* numbers, system commands, key codes and styles.
#include "platform/duilib/UIWinDefs.h"
