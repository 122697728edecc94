#pragma once
// The vertical scroll bar of a scrolling container: a track with a thumb
// whose length shows the visible share of the content. Dragging the thumb,
// clicking the track (a page) and the wheel move the owner's content.
// Owned by its container; UI thread only.

#include "platform/duilib/CControlUI.h"

namespace DuiLib {

class CContainerUI;

class CScrollBarUI : public CControlUI
{
public:
    CScrollBarUI();
    const char* GetClass() const override { return "ScrollBarUI"; }
    void* GetInterface(const char* name) override;

    CContainerUI* GetOwner() const { return m_pOwner; }
    void SetOwner(CContainerUI* owner) { m_pOwner = owner; }
    // Content beyond the visible part, in pixels (0: nothing to scroll).
    int GetScrollRange() const { return m_nRange; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_nScrollPos; }
    void SetScrollPos(int pos);
    int GetLineSize() const { return m_nLineSize; }
    void SetLineSize(int size) { m_nLineSize = size > 0 ? size : 1; }
    // Height of the visible part (one page).
    int GetPageSize() const;
    // The thumb rectangle in window coordinates.
    RECT GetThumbRect() const;

    void SetThumbColor(DWORD argb) { m_dwThumbColor = argb; }
    void SetThumbHotColor(DWORD argb) { m_dwThumbHotColor = argb; }

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintBkColor(sf::RenderTarget& target) override;
    void PaintStatusImage(sf::RenderTarget& target) override;

private:
    // Moves the owner's content to pos (clamped).
    void ScrollOwnerTo(int pos);

    CContainerUI* m_pOwner = nullptr;
    int m_nRange = 0;
    int m_nScrollPos = 0;
    int m_nLineSize = 8;
    DWORD m_dwThumbColor = 0xFFC2C2C2;
    DWORD m_dwThumbHotColor = 0xFFA0A0A0;
    bool m_bDragging = false;
    bool m_bHot = false;
    int m_nDragStartY = 0;
    int m_nDragStartPos = 0;
};

}  // namespace DuiLib
