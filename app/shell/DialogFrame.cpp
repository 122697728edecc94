#include "app/shell/DialogFrame.h"

#include "app/shell/ShadowImage.h"
#include "platform/duilib/CControlUI.h"
#include "platform/duilib/CLayeredWindow.h"
#include "platform/duilib/WindowImplBase.h"

#include <string>

using namespace DuiLib;

namespace {

void SetRoundShape(CWindowWnd& window, CPaintManagerUI& pm, int width, int height)
{
    SIZE corner = pm.GetRoundCorner();
    if (corner.cx < 2 || corner.cy < 2)
        return;
    std::vector<std::pair<int, int>> rows;
    for (const ShadowSpan& span : RoundRectSpans(width, height, corner.cx, corner.cy))
        rows.emplace_back(span.first, span.end);
    CLayeredWindow::SetWindowShape(window.GetNativeWindow(), rows);
}

}  // namespace

bool HandleDialogFrameMessage(CWindowWnd& window, CPaintManagerUI& pm, UINT uMsg, WPARAM wParam,
    LPARAM lParam, LRESULT& lRes, bool sizingBorders)
{
    lRes = 0;
    switch (uMsg) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            SetRoundShape(
                window, pm, LOWORD(static_cast<uintptr_t>(lParam)), HIWORD(static_cast<uintptr_t>(lParam)));
        return false;  // the paint manager lays out again
    case WM_GETMINMAXINFO: {
        RECT monitor, work;
        window.GetMonitorRects(monitor, work);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxPosition = POINT{work.left - monitor.left, work.top - monitor.top};
        info->ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
        SIZE minSize = pm.GetMinInfo();
        if (minSize.cx > 0)
            info->ptMinTrackSize.x = minSize.cx;
        if (minSize.cy > 0)
            info->ptMinTrackSize.y = minSize.cy;
        return true;
    }
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
        return true;
    case WM_NCACTIVATE:
        lRes = wParam ? 0 : 1;
        return true;
    case WM_NCHITTEST:
        lRes = SkinFrameHitTest(window, pm, lParam, sizingBorders);
        return true;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            window.PostMessage(WM_CLOSE, IDCANCEL, 0);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void SetControlText(CControlUI* control, const char* utf8)
{
    if (control == nullptr)
        return;
    control->SetResourceText(false);
    control->SetText(utf8);
}
