#pragma once
// A host window for the preview: a skin with a 60-pixel bar above one
// "ImageRender" element that fills the rest, the control made by the
// builder callback, a child window laid over it and the messages the
// preview sends recorded. UI thread only (the thread that creates it).

#include "app/view/CImageRenderUI.h"
#include "app/view/CPreviewChildWindow.h"
#include "platform/duilib/UIlib.h"

#include <functional>
#include <vector>

namespace kelvara::test {

class PreviewHostWindow : public DuiLib::WindowImplBase
{
public:
    ~PreviewHostWindow() override { Close(); }

    // Creates the window (client width x height at x, y), waits for its
    // first paint and creates the child window; with attach, attaches the
    // preview to it. False when any of it fails.
    bool Open(int x, int y, int width, int height, bool loadResources, bool attach);
    void Close();

    CImageRenderUI* Preview() const { return m_preview; }
    CPreviewChildWindow& Child() { return m_child; }
    int Count(UINT message) const;

protected:
    DuiLib::CDuiString GetSkinFile() override;
    const char* GetWindowClassName() const override { return "PreviewHostWindow"; }
    DuiLib::CControlUI* CreateControl(const char* pstrClass) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    CImageRenderUI* m_preview = nullptr;  // owned by the control tree
    CPreviewChildWindow m_child;
    std::vector<UINT> m_messages;
};

// Pumps the calling thread's message loop until done() or timeoutMs passed.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

}  // namespace kelvara::test
