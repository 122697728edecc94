#pragma once
// Owns the measurement primitives of the preview: turns the preview's mouse
// events into creation, selection, dragging and deletion of primitives, keeps
// them in step with the view transform and the calibration, draws them,
// reports every change to the main window and exports the results as CSV.
//
// Messages to the notify window (SendMessage): WM_MEASURE_ADD (0, 0),
// WM_MEASURE_REMOVE (index, 0), WM_MEASURE_CLEAR (0, 0), WM_MEASURE_UPDATE
// (index, 1 in calibration mode else 0).
//
// Threads: every operation runs on the UI thread except draw, which runs on
// the render thread, and SetViewTransform, which runs on the camera thread
// (the preview refits the picture when a frame of a new size arrives). The
// primitive arrays, the primitives and the view transform (origin and zoom)
// are changed and read under m_lock, the preview's lock (re-entrant; the
// preview already holds it when it passes mouse events on and when it
// refits). m_tool and the other plain members are touched by the UI thread
// only. Messages are sent on the UI thread, from mouse events with m_lock
// held: their handlers may call back into the container, but must not take
// the camera controller's lock or wait for the render thread. Lock order:
// the camera controller's lock, then m_lock.

#include "app/measure/SFPrimitiveBase.h"
#include "platform/duilib/UIWindowMessages.h"

#include <SFML/Graphics/Drawable.hpp>
#include <SFML/Graphics/Transformable.hpp>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kelvara {

class SFPrimitiveContainer : public sf::Drawable, public sf::Transformable
{
public:
    using PrimitiveList = std::vector<std::unique_ptr<SFPrimitiveBase>>;

    SFPrimitiveContainer();
    ~SFPrimitiveContainer() override;
    SFPrimitiveContainer(const SFPrimitiveContainer&) = delete;
    SFPrimitiveContainer& operator=(const SFPrimitiveContainer&) = delete;

    // Mouse events at (x, y) in the host window's client coordinates. Each
    // returns the active primitive's index, -1 when none.
    int OnMouseDown(float x, float y);
    int OnMouseMove(float x, float y);
    int OnMouseUp(float x, float y);
    int OnRightButtonDown(float x, float y);

    // The picture was refitted: every primitive follows. A zoom that is not
    // positive and finite (an empty preview) is ignored.
    void SetViewTransform(float originX, float originY, float zoom);
    // Makes the primitive of `kind` at view position (x, y) and appends it;
    // sends WM_MEASURE_ADD unless tool is the calibration tool. False when
    // no primitive of that kind can be made.
    bool CreatePrimitive(float x, float y, int tool, int kind);
    // Deletes the primitive at index and sends WM_MEASURE_REMOVE (index).
    void DeleteAt(int index);
    // Deletes every primitive; sends WM_MEASURE_CLEAR when notify is set.
    void DeleteAll(bool notify);
    // On: parks the primitives and lays a calibration line, tool "move".
    // Off: removes the calibration line and brings the primitives back with
    // the tool that was current. Asking for the current mode does nothing.
    void SetCalibrationMode(bool on);
    // Takes every primitive out, to be kept by the caller while another
    // picture is measured (nothing is sent; the caller refreshes its list).
    // Outside calibration mode only; in it, nothing is taken.
    PrimitiveList TakePrimitives();
    // Replaces the primitives by a set taken earlier, following the current
    // view transform and calibration (nothing is sent). Outside calibration
    // mode only; in it, the set is dropped.
    void RestorePrimitives(PrimitiveList primitives);
    // Applies a calibration to new primitives and relabels every primitive.
    void SetCalibration(const sf::String& unit, float scale);
    // The result of the primitive at index; all zeros outside the array.
    MeasureResult GetResult(int index) const;
    int GetCount() const;
    // Writes every result to path (UTF-8 on disk). Returns 0 when there are
    // no primitives (no file is made) or the file cannot be written,
    // non-zero on success.
    int ExportCsv(const std::wstring& path, const std::string& unit) const;

    // The preview control's rectangle in the host window's client area.
    void SetRect(const RECT& rect) { m_rect = rect; }
    void SetNotifyWindow(HWND hwnd) { m_notifyWnd = hwnd; }
    // The preview's lock, borrowed; null locks nothing.
    void SetLock(std::recursive_mutex* lock) { m_lock = lock; }
    // The current tool number (MeasureTool).
    void SetTool(int tool) { m_tool = tool; }
    int GetTool() const { return m_tool; }
    bool IsCalibrationMode() const { return m_calibrationMode; }
    // The primitive at index, or nullptr; UI thread, valid until the next
    // operation that removes primitives.
    const SFPrimitiveBase* GetPrimitive(int index) const;
    // The last hover result; its index is the active primitive.
    const HitRecord& GetHit() const { return m_hit; }

protected:
    // Render thread: shape, auxiliary lines, handle squares and label of
    // each primitive in index order, later ones on top.
    void draw(sf::RenderTarget& target, sf::RenderStates states) const override;

private:
    std::unique_lock<std::recursive_mutex> Lock() const;
    sf::Vector2f ToView(float x, float y) const;
    SFPrimitiveBase* Active() const;
    void HoverTest(sf::Vector2f p);
    // Forgets the active primitive; hovering may start again.
    void ResetHit();
    void Notify(UINT message, WPARAM wParam, LPARAM lParam) const;

    PrimitiveList m_primitives;
    PrimitiveList m_savedPrimitives;  // the user's primitives during calibration mode
    RECT m_rect{0, 0, 0, 0};
    float m_viewOriginX = 0.0f;
    float m_viewOriginY = 0.0f;
    float m_viewZoom = 1.0f;
    float m_scale = 1.0f;
    sf::String m_unit = "px";
    int m_tool = kToolNone;
    int m_savedTool = kToolNone;
    bool m_buttonDown = false;
    HitRecord m_hit;
    bool m_idle = true;
    HWND m_notifyWnd = nullptr;
    bool m_calibrationMode = false;
    std::recursive_mutex* m_lock = nullptr;
};

}  // namespace kelvara
