#include "platform/duilib/CCheckBoxUI.h"

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <SFML/Graphics/VertexArray.hpp>

#include <algorithm>
#include <cstring>

namespace DuiLib {

void* CCheckBoxUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "CheckBox") == 0)
        return this;
    return COptionUI::GetInterface(name);
}

void CCheckBoxUI::PaintStatusImage(sf::RenderTarget& target)
{
    if (!DrawsOwnBox()) {
        COptionUI::PaintStatusImage(target);
        return;
    }
    const long top = (m_rcItem.top + m_rcItem.bottom - kBoxSize) / 2;
    const RECT box{m_rcItem.left + 1, top, m_rcItem.left + 1 + kBoxSize, top + kBoxSize};
    RECT clip;
    if (!IntersectRect(clip, box, m_rcPaint))
        return;
    CRenderEngine::ClipScope scope(target, clip);
    if (scope.IsEmpty())
        return;
    const DWORD text = IsEnabled() ? (m_dwTextColor ? m_dwTextColor : m_pManager->GetDefaultFontColor())
                                   : m_pManager->GetDefaultDisabledColor();
    if (IsSelected()) {
        CRenderEngine::DrawColor(target, box, IsEnabled() ? 0xFF3D8BFD : text);
        sf::VertexArray tick(sf::LinesStrip, 3);
        const float x = static_cast<float>(box.left);
        const float y = static_cast<float>(box.top);
        const sf::Color white = CRenderEngine::ToColor(0xFFFFFFFF);
        tick[0] = sf::Vertex({x + 3.0f, y + 7.0f}, white);
        tick[1] = sf::Vertex({x + 6.0f, y + 10.0f}, white);
        tick[2] = sf::Vertex({x + 11.0f, y + 4.0f}, white);
        target.draw(tick);
    } else {
        CRenderEngine::DrawRect(target, box, 1, text);
    }
}

void CCheckBoxUI::PaintText(sf::RenderTarget& target)
{
    if (!DrawsOwnBox()) {
        COptionUI::PaintText(target);
        return;
    }
    // The text starts after the box.
    const RECT saved = m_rcTextPadding;
    m_rcTextPadding.left = std::max<long>(saved.left, kBoxSize + kBoxGap);
    COptionUI::PaintText(target);
    m_rcTextPadding = saved;
}

}  // namespace DuiLib
