#include "tests/support/view/PreviewHostWindow.h"

#include <algorithm>
#include <chrono>
#include <strings.h>

namespace kelvara::test {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    DuiLib::CMessageLoop* loop = DuiLib::CMessageLoop::GetCurrent();
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (loop)
            loop->PumpOnce(5);
    }
    return true;
}

DuiLib::CDuiString PreviewHostWindow::GetSkinFile()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<Window size=\"800,560\">"
           "<VerticalLayout bkcolor=\"#FF404040\">"
           "<Label name=\"bar\" height=\"60\" text=\"Preview\" textcolor=\"#FFFFFFFF\" />"
           "<ImageRender name=\"ImageRenderView\" bkcolor=\"#FF000000\" />"
           "</VerticalLayout>"
           "</Window>";
}

DuiLib::CControlUI* PreviewHostWindow::CreateControl(const char* pstrClass)
{
    if (strcasecmp(pstrClass, "ImageRender") == 0) {
        m_preview = new CImageRenderUI();
        return m_preview;
    }
    return nullptr;
}

LRESULT PreviewHostWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg >= WM_MEASURE_ADD && uMsg <= WM_LEAVE_FULLSCREEN) {
        m_messages.push_back(uMsg);
        return 0;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

bool PreviewHostWindow::Open(int x, int y, int width, int height, bool loadResources, bool attach)
{
    if (Create(nullptr, "Preview host", UI_WNDSTYLE_FRAME, 0, x, y, width, height) == nullptr)
        return false;
    ResizeClient(width, height);
    if (!PumpUntil(
            [&] { return m_PaintManager.GetPaintCount() > 0 && m_preview && m_preview->GetWidth() > 0; }))
        return false;
    if (loadResources && !m_preview->LoadResources())
        return false;
    if (!m_child.Create(GetHWND()))
        return false;
    return !attach || m_preview->Attach(&m_child) == 1;
}

void PreviewHostWindow::Close()
{
    if (m_preview)
        m_preview->Detach();
    m_child.Destroy();
    if (DuiLib::CWindowWnd::IsWindow(GetHWND()))
        DestroyWindow();
    m_preview = nullptr;
}

int PreviewHostWindow::Count(UINT message) const
{
    return static_cast<int>(std::count(m_messages.begin(), m_messages.end(), message));
}

}  // namespace kelvara::test
