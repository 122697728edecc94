#include "platform/duilib/CProgressUI.h"

#include "platform/duilib/CRenderEngine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DuiLib {

CProgressUI::CProgressUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
}

void* CProgressUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Progress") == 0)
        return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetMinValue(int min)
{
    m_nMin = min;
    if (m_nMax < m_nMin)
        m_nMax = m_nMin;
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    Invalidate();
}

void CProgressUI::SetMaxValue(int max)
{
    m_nMax = max;
    if (m_nMin > m_nMax)
        m_nMin = m_nMax;
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    Invalidate();
}

void CProgressUI::SetValue(int value)
{
    value = std::clamp(value, m_nMin, m_nMax);
    if (value == m_nValue)
        return;
    m_nValue = value;
    Invalidate();
}

void CProgressUI::SetForeImage(const char* description)
{
    m_sForeImage = description;
    Invalidate();
}

void CProgressUI::SetForeColor(DWORD argb)
{
    m_dwForeColor = argb;
    Invalidate();
}

long CProgressUI::FillRight() const
{
    if (m_nMax <= m_nMin)
        return m_rcItem.left;
    long long span = static_cast<long long>(m_nMax) - m_nMin;
    return m_rcItem.left
        + static_cast<long>(
            (m_rcItem.right - m_rcItem.left) * (static_cast<long long>(m_nValue) - m_nMin) / span);
}

void CProgressUI::SetAttribute(const char* name, const char* value)
{
    if (std::strcmp(name, "min") == 0)
        SetMinValue(std::atoi(value));
    else if (std::strcmp(name, "max") == 0)
        SetMaxValue(std::atoi(value));
    else if (std::strcmp(name, "value") == 0)
        SetValue(std::atoi(value));
    else if (std::strcmp(name, "foreimage") == 0)
        SetForeImage(value);
    else if (std::strcmp(name, "forecolor") == 0)
        SetForeColor(ParseColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}

void CProgressUI::PaintStatusImage(sf::RenderTarget& target)
{
    RECT fill{m_rcItem.left, m_rcItem.top, FillRight(), m_rcItem.bottom};
    RECT clip;
    if (!IntersectRect(clip, fill, m_rcPaint))
        return;
    if (!m_sForeImage.IsEmpty()) {
        CRenderEngine::DrawImageString(target, m_rcItem, clip, m_sForeImage);
    } else if (m_dwForeColor) {
        CRenderEngine::DrawColor(target, clip, m_dwForeColor);
    }
}

}  // namespace DuiLib
