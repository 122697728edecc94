#pragma once
// One thread's connection to the X server: creates and manages the toolkit's
// top-level windows and turns X events into plain records. All Xlib code of
// the toolkit lives behind this class (X11's macros clash with SFML).
// Owned by one CMessageLoop and used only on that loop's thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct _XDisplay;

namespace DuiLib {

class CX11Image;

struct X11Event
{
    enum Type
    {
        Nothing,
        ButtonDown,
        ButtonUp,
        Motion,
        Wheel,
        KeyDown,
        KeyUp,
        Enter,
        Leave,
        FocusGained,
        FocusLost,
        Configure,
        Exposed,
        CloseRequest,
        Map,
        Unmap,
    };
    Type type = Nothing;
    unsigned long window = 0;
    int x = 0, y = 0;  // window coordinates
    int rootX = 0, rootY = 0;  // screen coordinates
    int button = 0;  // 1 left, 2 middle, 3 right
    int wheelDelta = 0;  // multiples of 120, positive away from the user
    unsigned keyState = 0;  // MK_* flags
    unsigned vk = 0;  // virtual key code
    std::string text;  // UTF-8 typed text of a key press
    int width = 0, height = 0;
    unsigned long timeMs = 0;
};

class CX11Connection
{
public:
    CX11Connection();
    ~CX11Connection();
    CX11Connection(const CX11Connection&) = delete;
    CX11Connection& operator=(const CX11Connection&) = delete;

    bool Open();
    bool IsOpen() const { return m_display != nullptr; }
    int GetFd() const;

    // An undecorated top-level window, transient for owner when given.
    unsigned long CreateTopLevel(
        unsigned long owner, int x, int y, int width, int height, const char* className);
    // A popup (menu, drop-down, tooltip): placed exactly where asked, never
    // managed or decorated by the window manager.
    unsigned long CreatePopup(
        unsigned long owner, int x, int y, int width, int height, const char* className);
    // Sends every pointer and key event to window (or to the client's own
    // window under the pointer) until UngrabInput; lets a popup see clicks
    // outside itself. False when another client holds a grab.
    bool GrabInput(unsigned long window);
    void UngrabInput();
    // The CLIPBOARD selection as UTF-8 text. Setting makes window its owner;
    // reading asks the owner (or answers from our own copy) and waits at most
    // about a second for an answer.
    void SetClipboardText(unsigned long window, const std::string& utf8);
    bool GetClipboardText(unsigned long window, std::string& utf8);
    // True when a compositing manager runs (translucent windows show as such).
    bool IsCompositing();
    // A translucent, input-transparent popup below owner's stacking position
    // (drop shadows); 0 when the display has no 32-bit visual.
    unsigned long CreateShadowWindow(unsigned long owner);
    // Copies premultiplied B,G,R,A pixels onto a shadow window, resizing it.
    void PutShadow(unsigned long window, int x, int y, const uint8_t* bgra, int width, int height);
    void Destroy(unsigned long window);
    void Show(unsigned long window, bool show, bool takeFocus);
    void MoveResize(unsigned long window, int x, int y, int width, int height);
    void SetTitle(unsigned long window, const std::string& utf8);
    // rgba: width*height pixels, R,G,B,A bytes.
    void SetIcon(unsigned long window, int width, int height, const uint8_t* rgba);
    void SetMinSize(unsigned long window, int width, int height);
    void SetCursor(unsigned long window, int cursorKind);
    void SetFocus(unsigned long window);
    void Raise(unsigned long window);
    void Iconify(unsigned long window);
    // Root-relative outer position and size.
    bool GetGeometry(unsigned long window, int& x, int& y, int& width, int& height);
    struct MonitorRect
    {
        int x, y, width, height;
        bool primary;
    };
    // Index of the monitor holding the point, else of the primary one, else
    // 0; -1 for an empty list.
    static int PickMonitor(const std::vector<MonitorRect>& monitors, int x, int y);
    // The XRandR monitor holding the point (the primary one, else the whole
    // screen, as fallback).
    bool GetMonitorAt(int x, int y, int& monX, int& monY, int& monW, int& monH);
    // Bounding shape: a rectangle with rounded corners of the given radii
    // (none when either is 0).
    void SetRoundShape(unsigned long window, int width, int height, int radiusX, int radiusY);
    // Number of rectangles of the window's bounding shape (1 when unshaped).
    int CountShapeRectangles(unsigned long window);
    // Whole screen and its work area (without panels).
    void GetScreen(int& width, int& height, int& workX, int& workY, int& workW, int& workH);
    // Copies width*height pixels onto the window at x,y: B,G,R,A rows from
    // bgra (the top one), stride bytes apart (negative when bottom-up).
    // Through MIT-SHM where the server offers it.
    void PutImageRect(
        unsigned long window, const uint8_t* bgra, ptrdiff_t stride, int x, int y, int width, int height);
    // True when the window's pixels went through shared memory.
    bool UsesSharedMemory(unsigned long window) const;
    void Flush();
    // Flushes and tells whether events wait to be read (without blocking).
    bool Pending();

    // Next pending event without blocking; false when none is pending.
    bool NextEvent(X11Event& event);

private:
    unsigned long CreateWindowImpl(
        unsigned long owner, int x, int y, int width, int height, const char* className, bool popup);
    void Translate(void* xevent, X11Event& out);
    // Answers another client's request for our clipboard text.
    void AnswerSelectionRequest(void* xevent);

    _XDisplay* m_display = nullptr;
    void* m_im = nullptr;  // XIM
    unsigned long m_atomDelete = 0;
    unsigned long m_cursors[16] = {};
    std::unordered_map<unsigned long, std::unique_ptr<CX11Image>> m_images;  // window -> its pixels
    std::unordered_map<unsigned long, void*> m_inputContexts;  // window -> XIC
    std::unordered_map<unsigned long, unsigned long> m_shadowColormaps;  // shadow window -> colormap
    std::string m_clipboard;  // what we offer while we own CLIPBOARD
    unsigned long m_clipboardOwner = 0;
    bool m_grabbed = false;
};

}  // namespace DuiLib
