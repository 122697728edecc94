#pragma once
// The native child window the preview draws on: an X window inside a toolkit
// window, laid over the preview control, that takes no pointer input (an
// empty input shape), so clicks and moves over the picture reach the host
// window and, through it, the control. It has no background (no flicker) and
// reports exposures, which SFML does not.
//
// Threads: Create, Move, Show and Destroy run on the host window's UI
// thread; TakeExposed, IsShownOnScreen and ConnectionFd may be called from any
// thread (the render thread uses them). The X connection is the window's own
// and is guarded by m_mutex.

#include "platform/duilib/UIWindowMessages.h"

#include <mutex>

struct _XDisplay;

namespace kelvara {

class CPreviewChildWindow
{
public:
    CPreviewChildWindow() = default;
    ~CPreviewChildWindow();
    CPreviewChildWindow(const CPreviewChildWindow&) = delete;
    CPreviewChildWindow& operator=(const CPreviewChildWindow&) = delete;

    // Creates the window, 320 x 240 at (0, 0), visible, inside the toolkit
    // window parent (which receives the messages of the preview). False
    // when parent is no window of this thread or X refuses.
    bool Create(HWND parent);
    // As Create, inside the X window parentNative.
    bool CreateIn(unsigned long parentNative, HWND parent);
    void Destroy();

    bool IsWindow() const { return m_window != 0; }
    HWND GetParent() const { return m_parent; }
    // The X window id, as SFML takes it.
    unsigned long GetNativeHandle() const { return m_window; }

    void Move(int x, int y, int width, int height);
    void Show(bool show);
    // True when part of the window was exposed since the last call.
    bool TakeExposed();
    // True when the window is mapped and all its ancestors are (not hidden,
    // not minimised).
    bool IsShownOnScreen();
    // The file descriptor of the window's X connection, readable when an
    // exposure may have arrived; -1 without a window. Events already queued
    // are drained by TakeExposed, so wait on it only after calling that.
    int ConnectionFd();

    // The X window of a toolkit window of the calling thread, or 0.
    static unsigned long FindNativeWindow(HWND toolkitWindow);

private:
    std::mutex m_mutex;  // Guards the connection and the window id.
    _XDisplay* m_display = nullptr;
    unsigned long m_window = 0;
    HWND m_parent = nullptr;
};

}  // namespace kelvara
