#pragma once
// A horizontal bar filled from the left by value within [min, max]: a
// "foreimage" or "forecolor" over the background. UI thread only.

#include "platform/duilib/CLabelUI.h"

namespace DuiLib {

class CProgressUI : public CLabelUI
{
public:
    CProgressUI();
    const char* GetClass() const override { return "ProgressUI"; }
    void* GetInterface(const char* name) override;

    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int min);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int max);
    int GetValue() const { return m_nValue; }
    // Clamped into [min, max]; sends nothing.
    void SetValue(int value);
    void SetForeImage(const char* description);
    void SetForeColor(DWORD argb);

    void SetAttribute(const char* name, const char* value) override;
    void PaintStatusImage(sf::RenderTarget& target) override;

protected:
    // Right edge of the filled part for the current value.
    long FillRight() const;

    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    CDuiString m_sForeImage;
    DWORD m_dwForeColor = 0;
};

}  // namespace DuiLib
