#include "app/measure/SFPrimitiveContainer.h"

#include "app/measure/MeasureCsv.h"
#include "app/measure/MeasurePrimitiveFactory.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/Utf8.h"

#include <SFML/Graphics/RenderTarget.hpp>

#include <cmath>
#include <cstdio>

namespace kelvara {

namespace {

constexpr int kCalibrationKind = kToolCalibration - kToolPoint;

}  // namespace

SFPrimitiveContainer::SFPrimitiveContainer() = default;

SFPrimitiveContainer::~SFPrimitiveContainer() = default;

std::unique_lock<std::recursive_mutex> SFPrimitiveContainer::Lock() const
{
    return m_lock ? std::unique_lock<std::recursive_mutex>(*m_lock)
                  : std::unique_lock<std::recursive_mutex>();
}

sf::Vector2f SFPrimitiveContainer::ToView(float x, float y) const
{
    return {x - static_cast<float>(m_rect.left), y - static_cast<float>(m_rect.top)};
}

SFPrimitiveBase* SFPrimitiveContainer::Active() const
{
    if (m_hit.index < 0 || m_hit.index >= static_cast<int>(m_primitives.size()))
        return nullptr;
    return m_primitives[static_cast<std::size_t>(m_hit.index)].get();
}

void SFPrimitiveContainer::ResetHit()
{
    m_hit = HitRecord();
    // Nothing is being built any more, so hovering may select again.
    m_idle = true;
}

void SFPrimitiveContainer::Notify(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (m_notifyWnd)
        SendMessage(m_notifyWnd, message, wParam, lParam);
}

void SFPrimitiveContainer::HoverTest(sf::Vector2f p)
{
    m_hit = HitRecord();
    for (std::size_t i = 0; i < m_primitives.size(); ++i) {
        m_hit = m_primitives[i]->HitTest(p.x, p.y);
        if (m_hit.kind != kHitNone) {
            m_hit.index = static_cast<int>(i);
            return;
        }
        m_hit.index = -1;
    }
}

int SFPrimitiveContainer::OnMouseDown(float x, float y)
{
    m_buttonDown = true;
    const sf::Vector2f p = ToView(x, y);
    bool created = false;
    if (m_hit.index < 0 && m_tool >= kToolPoint && m_tool <= kToolCalibration
        && CreatePrimitive(p.x, p.y, m_tool, m_tool - kToolPoint)) {
        m_idle = false;
        m_hit = HitRecord();
        m_hit.index = GetCount() - 1;
        created = true;
    }
    auto lock = Lock();
    if (!created) {
        // A click with a creation tool on an existing primitive goes to it.
        if (SFPrimitiveBase* active = Active()) {
            if (m_tool == kToolDelete)
                DeleteAt(m_hit.index);
            else
                active->OnMouseDown(p.x, p.y, m_tool);
        }
    }
    for (std::size_t i = 0; i < m_primitives.size(); ++i)
        m_primitives[i]->SetSelected(static_cast<int>(i) == m_hit.index);
    return m_hit.index;
}

int SFPrimitiveContainer::OnMouseMove(float x, float y)
{
    const sf::Vector2f p = ToView(x, y);
    auto lock = Lock();
    if (!m_buttonDown && m_idle)
        HoverTest(p);
    SFPrimitiveBase* active = Active();
    if (!active)
        return m_hit.index;
    active->OnMouseMove(p.x, p.y, m_tool, m_buttonDown, m_hit);
    Notify(WM_MEASURE_UPDATE, static_cast<WPARAM>(m_hit.index), m_calibrationMode ? 1 : 0);
    return m_hit.index;
}

int SFPrimitiveContainer::OnMouseUp(float x, float y)
{
    m_buttonDown = false;
    const sf::Vector2f p = ToView(x, y);
    auto lock = Lock();
    if (SFPrimitiveBase* active = Active()) {
        active->OnMouseUp(p.x, p.y, m_tool);
        m_idle = active->IsFinished();
    }
    return m_hit.index;
}

int SFPrimitiveContainer::OnRightButtonDown(float x, float y)
{
    const sf::Vector2f p = ToView(x, y);
    auto lock = Lock();
    if (SFPrimitiveBase* active = Active()) {
        active->OnRightButtonDown(p.x, p.y, m_tool);
        m_idle = active->IsFinished();
    }
    return m_hit.index;
}

void SFPrimitiveContainer::SetViewTransform(float originX, float originY, float zoom)
{
    if (!(zoom > 0.0f) || !std::isfinite(zoom))
        return;
    auto lock = Lock();
    m_viewOriginX = originX;
    m_viewOriginY = originY;
    m_viewZoom = zoom;
    // Parked primitives follow as well, so they return in place.
    for (PrimitiveList* list : {&m_primitives, &m_savedPrimitives}) {
        for (auto& primitive : *list)
            primitive->ApplyViewTransform(zoom, originX, originY);
    }
}

bool SFPrimitiveContainer::CreatePrimitive(float x, float y, int tool, int kind)
{
    {
        auto lock = Lock();  // the view transform is written on the camera thread
        std::unique_ptr<SFPrimitiveBase> primitive
            = MakePrimitive(kind, x, y, m_viewZoom, m_scale, m_viewOriginX, m_viewOriginY, m_unit);
        if (!primitive)
            return false;
        m_primitives.push_back(std::move(primitive));
    }
    if (tool != kToolCalibration)
        Notify(WM_MEASURE_ADD, 0, 0);
    return true;
}

void SFPrimitiveContainer::DeleteAt(int index)
{
    {
        auto lock = Lock();
        if (index < 0 || index >= static_cast<int>(m_primitives.size()))
            return;
        m_primitives.erase(m_primitives.begin() + index);
        ResetHit();
    }
    Notify(WM_MEASURE_REMOVE, static_cast<WPARAM>(index), 0);
}

void SFPrimitiveContainer::DeleteAll(bool notify)
{
    {
        auto lock = Lock();
        m_primitives.clear();
        ResetHit();
    }
    if (notify)
        Notify(WM_MEASURE_CLEAR, 0, 0);
}

void SFPrimitiveContainer::SetCalibrationMode(bool on)
{
    // A repeated call must not park the calibration line over the user's
    // primitives, nor restore an empty list over them.
    if (on == m_calibrationMode)
        return;
    if (on) {
        m_calibrationMode = true;
        float lineX = 0.0f;
        {
            auto lock = Lock();
            m_savedPrimitives = std::move(m_primitives);
            m_primitives.clear();
            for (auto& primitive : m_savedPrimitives)
                primitive->SetSelected(false);
            ResetHit();
            lineX = m_viewOriginX + 50.0f;
        }
        m_savedTool = m_tool;
        CreatePrimitive(
            lineX, static_cast<float>((m_rect.bottom - m_rect.top) / 2), kToolCalibration, kCalibrationKind);
        m_tool = kToolMove;
        Notify(WM_MEASURE_UPDATE, 0, 1);
    } else {
        m_calibrationMode = false;
        m_tool = m_savedTool;
        DeleteAll(false);
        auto lock = Lock();
        m_primitives = std::move(m_savedPrimitives);
        m_savedPrimitives.clear();
    }
}

SFPrimitiveContainer::PrimitiveList SFPrimitiveContainer::TakePrimitives()
{
    PrimitiveList taken;
    if (m_calibrationMode)
        return taken;
    auto lock = Lock();
    taken = std::move(m_primitives);
    m_primitives.clear();
    for (auto& primitive : taken)
        primitive->SetSelected(false);
    ResetHit();
    return taken;
}

void SFPrimitiveContainer::RestorePrimitives(PrimitiveList primitives)
{
    if (m_calibrationMode)
        return;
    auto lock = Lock();
    m_primitives = std::move(primitives);
    for (auto& primitive : m_primitives) {
        primitive->SetCalibration(m_unit, m_scale);
        primitive->ApplyViewTransform(m_viewZoom, m_viewOriginX, m_viewOriginY);
    }
    ResetHit();
}

void SFPrimitiveContainer::SetCalibration(const sf::String& unit, float scale)
{
    m_scale = scale;
    m_unit = unit;
    auto lock = Lock();
    for (PrimitiveList* list : {&m_primitives, &m_savedPrimitives}) {
        for (auto& primitive : *list)
            primitive->SetCalibration(unit, scale);
    }
}

MeasureResult SFPrimitiveContainer::GetResult(int index) const
{
    auto lock = Lock();
    if (index < 0 || index >= static_cast<int>(m_primitives.size()))
        return MeasureResult();
    return m_primitives[static_cast<std::size_t>(index)]->GetResult();
}

const SFPrimitiveBase* SFPrimitiveContainer::GetPrimitive(int index) const
{
    auto lock = Lock();
    if (index < 0 || index >= static_cast<int>(m_primitives.size()))
        return nullptr;
    return m_primitives[static_cast<std::size_t>(index)].get();
}

int SFPrimitiveContainer::GetCount() const
{
    auto lock = Lock();
    return static_cast<int>(m_primitives.size());
}

int SFPrimitiveContainer::ExportCsv(const std::wstring& path, const std::string& unit) const
{
    std::vector<MeasureCsvRow> rows;
    {
        auto lock = Lock();
        for (const auto& primitive : m_primitives)
            rows.push_back({primitive->GetTypeName(), primitive->GetResult()});
    }
    if (rows.empty() || path.empty())
        return 0;
    std::string error;
    if (!WriteFileAtomically(WideToUtf8(path), FormatMeasureCsv(rows, unit), &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 0;
    }
    return 1;
}

void SFPrimitiveContainer::draw(sf::RenderTarget& target, sf::RenderStates states) const
{
    states.transform *= getTransform();
    auto lock = Lock();
    for (const auto& primitive : m_primitives) {
        target.draw(primitive->GetShape(), states);
        target.draw(primitive->GetAuxiliary(), states);
        target.draw(primitive->GetHandleMarks(), states);
        target.draw(primitive->GetLabel(), states);
    }
}

}  // namespace kelvara
