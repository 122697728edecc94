#include "platform/duilib/CX11Image.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DuiLib {
namespace {

int ShiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// Set by the error handler, which runs on the thread that waits in XSync.
thread_local bool g_attachFailed = false;

int NoteAttachError(Display*, XErrorEvent*)
{
    g_attachFailed = true;
    return 0;
}

bool HostIsLittleEndian()
{
    const uint16_t probe = 1;
    uint8_t first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

}  // namespace

CX11Image::CX11Image(_XDisplay* display, unsigned long window)
    : m_display(display)
    , m_window(window)
{
    int screen = DefaultScreen(m_display);
    Visual* visual = DefaultVisual(m_display, screen);
    m_visual = visual;
    m_depth = DefaultDepth(m_display, screen);
    m_usable = visual->c_class == TrueColor && m_depth >= 24;
    m_redShift = ShiftOf(visual->red_mask);
    m_greenShift = ShiftOf(visual->green_mask);
    m_blueShift = ShiftOf(visual->blue_mask);
    m_sameLayout = visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF
        && (ImageByteOrder(m_display) == LSBFirst) == HostIsLittleEndian();
    m_gc = XCreateGC(m_display, window, 0, nullptr);
    // Lets tests and odd servers take the plain path.
    const char* off = std::getenv("KELVARA_NO_MITSHM");
    m_shmBroken = off && *off && std::strcmp(off, "0") != 0;
}

CX11Image::~CX11Image()
{
    ReleaseShared();
    std::free(m_plain);
    if (m_gc)
        XFreeGC(m_display, static_cast<GC>(m_gc));
}

void CX11Image::WaitForServer()
{
    // XShmPutImage returns before the server has read the segment.
    if (m_putPending) {
        XSync(m_display, False);
        m_putPending = false;
    }
}

void CX11Image::ReleaseShared()
{
    if (m_shmImage == nullptr)
        return;
    WaitForServer();
    auto* info = static_cast<XShmSegmentInfo*>(m_shmInfo);
    XShmDetach(m_display, info);
    XSync(m_display, False);
    auto* image = static_cast<XImage*>(m_shmImage);
    image->data = nullptr;
    XDestroyImage(image);
    shmdt(info->shmaddr);
    delete info;
    m_shmInfo = nullptr;
    m_shmImage = nullptr;
}

bool CX11Image::EnsureShared(int width, int height)
{
    if (m_shmBroken)
        return false;
    if (m_shmImage) {
        auto* image = static_cast<XImage*>(m_shmImage);
        if (image->width >= width && image->height >= height)
            return true;
        // Grow to cover both the old and the new size, so that alternating
        // rectangles do not reallocate every time.
        width = std::max(width, image->width);
        height = std::max(height, image->height);
        ReleaseShared();
    }
    if (!m_shmTried) {
        m_shmTried = true;
        if (!XShmQueryExtension(m_display)) {
            m_shmBroken = true;
            return false;
        }
    }
    auto* info = new XShmSegmentInfo{};
    XImage* image = XShmCreateImage(m_display, static_cast<Visual*>(m_visual), static_cast<unsigned>(m_depth),
        ZPixmap, nullptr, info, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image == nullptr || image->bits_per_pixel != 32) {
        if (image)
            XDestroyImage(image);
        delete info;
        m_shmBroken = true;
        return false;
    }
    size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
    info->shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* address = info->shmid >= 0 ? shmat(info->shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (address == reinterpret_cast<void*>(-1)) {
        if (info->shmid >= 0)
            shmctl(info->shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        delete info;
        m_shmBroken = true;
        return false;
    }
    info->shmaddr = image->data = static_cast<char*>(address);
    info->readOnly = False;
    // A server on another machine refuses the segment with an X error.
    XSync(m_display, False);
    g_attachFailed = false;
    XErrorHandler previous = XSetErrorHandler(NoteAttachError);
    XShmAttach(m_display, info);
    XSync(m_display, False);
    XSetErrorHandler(previous);
    // Marked for removal now: it goes away once both sides detached.
    shmctl(info->shmid, IPC_RMID, nullptr);
    if (g_attachFailed) {
        image->data = nullptr;
        XDestroyImage(image);
        shmdt(address);
        delete info;
        m_shmBroken = true;
        return false;
    }
    m_shmInfo = info;
    m_shmImage = image;
    return true;
}

void CX11Image::CopyRows(
    const uint8_t* bgra, ptrdiff_t stride, uint8_t* dst, ptrdiff_t dstStride, int width, int height) const
{
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int row = 0; row < height; ++row) {
        const uint8_t* src = bgra + stride * row;
        uint8_t* out = dst + dstStride * row;
        if (m_sameLayout) {
            std::memcpy(out, src, rowBytes);
            continue;
        }
        auto* pixels = reinterpret_cast<uint32_t*>(out);
        for (int i = 0; i < width; ++i) {
            const uint8_t* p = src + 4 * i;
            pixels[i] = (static_cast<uint32_t>(p[2]) << m_redShift)
                | (static_cast<uint32_t>(p[1]) << m_greenShift)
                | (static_cast<uint32_t>(p[0]) << m_blueShift);
        }
    }
}

void CX11Image::Put(const uint8_t* bgra, ptrdiff_t stride, int x, int y, int width, int height)
{
    if (!m_usable || width <= 0 || height <= 0 || bgra == nullptr)
        return;
    if (EnsureShared(width, height)) {
        WaitForServer();
        auto* image = static_cast<XImage*>(m_shmImage);
        CopyRows(bgra, stride, reinterpret_cast<uint8_t*>(image->data), image->bytes_per_line, width, height);
        XShmPutImage(m_display, m_window, static_cast<GC>(m_gc), image, 0, 0, x, y,
            static_cast<unsigned>(width), static_cast<unsigned>(height), False);
        m_putPending = true;
        XFlush(m_display);
        return;
    }
    size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    if (bytes > m_plainSize) {
        auto* grown = static_cast<uint8_t*>(std::realloc(m_plain, bytes));
        if (grown == nullptr)
            return;
        m_plain = grown;
        m_plainSize = bytes;
    }
    CopyRows(bgra, stride, m_plain, static_cast<ptrdiff_t>(width) * 4, width, height);
    XImage* image = XCreateImage(m_display, static_cast<Visual*>(m_visual), static_cast<unsigned>(m_depth),
        ZPixmap, 0, reinterpret_cast<char*>(m_plain), static_cast<unsigned>(width),
        static_cast<unsigned>(height), 32, 0);
    if (image == nullptr)
        return;
    XPutImage(m_display, m_window, static_cast<GC>(m_gc), image, 0, 0, x, y, static_cast<unsigned>(width),
        static_cast<unsigned>(height));
    image->data = nullptr;  // the buffer is ours
    XDestroyImage(image);
    XFlush(m_display);
}

}  // namespace DuiLib
