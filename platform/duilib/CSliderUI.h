#pragma once
// A horizontal slider: a track filled up to the value and a thumb the user
// drags. While dragging it sends "movevaluechanged" for each new value when
// move notifications are on ("sendmove"); releasing sends "valuechanged".
// A click on the track jumps there; the wheel steps by "step" and sends
// "valuechanged". SetValue from code sends nothing. Disabled sliders are
// drawn grey and ignore input. UI thread only.

#include "platform/duilib/CProgressUI.h"

namespace DuiLib {

class CSliderUI : public CProgressUI
{
public:
    CSliderUI();
    const char* GetClass() const override { return "SliderUI"; }
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override;

    void SetThumbSize(SIZE size);
    SIZE GetThumbSize() const { return m_szThumb; }
    // The thumb rectangle in window coordinates.
    RECT GetThumbRect() const;
    void SetChangeStep(int step) { m_nStep = step > 0 ? step : 1; }
    int GetChangeStep() const { return m_nStep; }
    void SetCanSendMove(bool send) { m_bSendMove = send; }
    bool GetCanSendMove() const { return m_bSendMove; }
    void SetThumbImage(const char* description) { m_sThumbImage = description; }
    void SetThumbHotImage(const char* description) { m_sThumbHotImage = description; }
    void SetThumbPushedImage(const char* description) { m_sThumbPushedImage = description; }

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintBkColor(sf::RenderTarget& target) override;
    void PaintStatusImage(sf::RenderTarget& target) override;

private:
    int ValueAt(long x) const;

    SIZE m_szThumb{10, 16};
    int m_nStep = 1;
    bool m_bSendMove = false;
    bool m_bDragging = false;
    bool m_bHot = false;
    int m_nDragLastSent = 0;
    CDuiString m_sThumbImage;
    CDuiString m_sThumbHotImage;
    CDuiString m_sThumbPushedImage;
    CDuiString m_sThumbDisabledImage;  // empty: a plain grey thumb
    DWORD m_dwDisabledForeColor = 0xFFB0B0B0;
    DWORD m_dwTrackColor = 0xFFC8C8C8;
};

}  // namespace DuiLib
