#pragma once
// Carries painted pixels of one window to the X server. With MIT-SHM (a
// local server that offers it) the pixels go through a shared-memory image
// and only the request crosses the socket; otherwise XPutImage sends them.
// Owned by CX11Connection; used only on that connection's thread.

#include <cstddef>
#include <cstdint>

struct _XDisplay;

namespace DuiLib {

class CX11Image
{
public:
    CX11Image(_XDisplay* display, unsigned long window);
    ~CX11Image();
    CX11Image(const CX11Image&) = delete;
    CX11Image& operator=(const CX11Image&) = delete;

    // Copies width*height pixels onto the window at x,y. bgra points at the
    // top row of B,G,R,A bytes; rows are stride bytes apart (negative for
    // pixels stored bottom-up).
    void Put(const uint8_t* bgra, ptrdiff_t stride, int x, int y, int width, int height);
    // True when the last Put went through shared memory.
    bool UsesSharedMemory() const { return m_shmImage != nullptr; }

private:
    bool EnsureShared(int width, int height);
    void ReleaseShared();
    void WaitForServer();
    void CopyRows(const uint8_t* bgra, ptrdiff_t stride, uint8_t* dst, ptrdiff_t dstStride, int width,
        int height) const;

    _XDisplay* m_display;
    unsigned long m_window;
    void* m_gc = nullptr;
    void* m_visual = nullptr;
    int m_depth = 0;
    bool m_usable = false;  // a true-colour visual of 24 or 32 bits
    bool m_sameLayout = false;  // the server's pixel bytes are B,G,R,x
    int m_redShift = 16, m_greenShift = 8, m_blueShift = 0;
    bool m_shmTried = false;
    bool m_shmBroken = false;
    void* m_shmInfo = nullptr;  // XShmSegmentInfo
    void* m_shmImage = nullptr;  // XImage
    bool m_putPending = false;  // the server may still read the shared image
    uint8_t* m_plain = nullptr;  // pixels of the XPutImage fallback
    size_t m_plainSize = 0;
};

}  // namespace DuiLib
