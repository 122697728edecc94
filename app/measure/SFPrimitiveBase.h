#pragma once
// The base of every measurement drawn on the preview. It holds the vertex
// arrays of the drawing, the label, the colours, the view transform that maps
// image pixels to preview pixels, the calibration (scale and unit), the result
// record and the finished and selected flags, and fixes the operations through
// which the container creates, hit-tests, drives, updates and draws a
// primitive.
//
// Coordinates are view coordinates: float pixels of the preview control,
// origin at its top-left corner. view = image * zoom + view origin; a length
// in units is view length / zoom * scale.
//
// Threads: a primitive has no lock of its own. Every operation runs under the
// preview's lock held by the container: mouse, update and calibration calls on
// the UI thread, the Get* drawing copies on the render thread.

#include "app/measure/MeasureGeometry.h"
#include "app/measure/MeasureRecords.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <SFML/System/String.hpp>
#include <SFML/System/Vector2.hpp>

#include <limits>
#include <string>

namespace kelvara {

class SFPrimitiveBase
{
public:
    // Loads nothing itself: the label uses the shared label font (character
    // size 14, normal colour, underlined) when it is available.
    SFPrimitiveBase(
        float viewOriginX, float viewOriginY, const sf::String& unit, float viewZoom, float scale);
    virtual ~SFPrimitiveBase();
    SFPrimitiveBase(const SFPrimitiveBase&) = delete;
    SFPrimitiveBase& operator=(const SFPrimitiveBase&) = delete;

    // The type name written in the CSV column Type, e.g. "Line".
    virtual std::string GetTypeName() const = 0;
    // What of the primitive lies under (x, y); recolours the hover highlight.
    // The record's index is left at -1 for the container to fill.
    virtual HitRecord HitTest(float x, float y) = 0;
    // Left button pressed while this is the active primitive.
    virtual void OnMouseDown(float x, float y, int tool);
    // Every mouse move while active: rubber band while unfinished with the
    // class's own tool; with the move tool, pressed and finished, a drag of
    // what hit names by (x - hit.mouseX, y - hit.mouseY).
    virtual void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit);
    virtual void OnMouseUp(float x, float y, int tool);
    // Right button pressed; the open polylines finish here.
    virtual void OnRightButtonDown(float x, float y, int tool);
    // Recomputes the result from the vertices, the view transform and the
    // calibration, and rebuilds the label text.
    virtual void Update() = 0;
    // What the container draws as the shape.
    virtual sf::VertexArray GetShape() const;

    // Moves everything to a new view transform; image coordinates and results
    // stay. A zoom that is not positive and finite is ignored: it would fold
    // every vertex onto the origin for good.
    void ApplyViewTransform(float viewZoom, float viewOriginX, float viewOriginY);
    sf::VertexArray GetAuxiliary() const;
    // Closed 10 x 10 squares around the handle points while selected, joined
    // by transparent vertices; empty when not selected.
    sf::VertexArray GetHandleMarks() const;
    sf::Text GetLabel() const;

    // Applies a calibration: new scale and unit, then Update.
    void SetCalibration(const sf::String& unit, float scale);
    bool IsFinished() const { return m_finished; }
    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected) { m_selected = selected; }
    const MeasureResult& GetResult() const { return m_result; }
    float GetScale() const { return m_scale; }
    const sf::String& GetUnit() const { return m_unit; }
    float GetViewZoom() const { return m_viewZoom; }
    sf::Vector2f GetViewOrigin() const { return {m_viewOriginX, m_viewOriginY}; }

protected:
    // Scales lengths a class keeps outside the vertex arrays (radii, in view
    // pixels) when the view zoom changes by factor; called by
    // ApplyViewTransform before Update.
    virtual void ScaleViewLengths(float factor);

    // Image coordinate of a view point (unscaled image pixels).
    sf::Vector2f ToImage(sf::Vector2f view) const;
    // A view length in units and a view area in square units.
    float ToUnits(float viewLength) const;
    float ToSquareUnits(float viewArea) const;
    // Narrow text to a label string with the current locale.
    static sf::String ToLabelString(const std::string& narrow);
    // Sets the label to text + " " + unit, with "^2" for areas.
    void SetLabelWithUnit(const std::string& text, bool squared = false);
    // p lies in the label's rectangle (left/top inclusive).
    bool IsOnLabel(sf::Vector2f p) const;

    static void SavePoint(HitRecord& hit, int slot, sf::Vector2f p);
    static sf::Vector2f SavedPoint(const HitRecord& hit, int slot);
    // Mouse travel since the hit: (x - hit.mouseX, y - hit.mouseY).
    static sf::Vector2f DragOffset(float x, float y, const HitRecord& hit);

    // Sets the shape's primitive type, appends `points` vertices at p in the
    // normal colour and puts the label just below p.
    void StartShape(sf::PrimitiveType type, sf::Vector2f p, int points);
    // An empty hit record at mouse position (x, y).
    static HitRecord StartHit(float x, float y);
    // Colours the whole shape and the label.
    void PaintAll(sf::Color color);
    // A shape vertex near p: a vertex hit, highlighted, its position saved
    // in slot 0.
    bool HitShapeVertex(HitRecord& hit, sf::Vector2f p);
    // One of the first `count` shape vertices near p, the first that is: a
    // vertex hit, highlighted, its position saved in slot 0.
    bool HitLeadingVertex(HitRecord& hit, sf::Vector2f p, int count);
    // p on the label: a label hit, highlighted, its position saved in slot 0.
    bool HitLabel(HitRecord& hit, sf::Vector2f p);
    // A vertex hit on one of the first `limit` shape vertices moves that
    // vertex by d from its saved position.
    bool DragShapeVertex(const HitRecord& hit, sf::Vector2f d, int limit = std::numeric_limits<int>::max());
    // Mouse move of a primitive made of free vertices only: while unfinished
    // the last vertex follows the mouse under ownTool; once finished the move
    // tool drags a vertex or the label.
    void MoveFreeVertices(float x, float y, int tool, bool pressed, const HitRecord& hit, int ownTool);
    // Paints everything normal, then tests the shape vertices and the label.
    HitRecord HitVertexOrLabel(float x, float y);
    // p near shape vertex 0 (a centre or a point): a body hit, vertex 0
    // highlighted, vertex 0 and the label saved in slots 0 and 1.
    bool HitCentre(HitRecord& hit, sf::Vector2f p);
    // A distance from the centre within the hit tolerance of radius: a body
    // hit on ring `part`, the whole shape highlighted.
    bool HitRing(HitRecord& hit, float distance, float radius, int part);
    // Moves shape vertex 0 and the label by d from where HitCentre saved them.
    void DragCentre(const HitRecord& hit, sf::Vector2f d);
    // A label hit moves the label by d from its saved position.
    bool DragLabel(const HitRecord& hit, sf::Vector2f d);
    // Radius, area and circumference of a circle of radius r (units), and
    // the label "R: ...".
    void SetCircleResult(float r);

    sf::VertexArray m_auxiliary;  // separate lines drawn beside the shape
    sf::VertexArray m_handles;  // defining points, shown as squares while selected
    sf::VertexArray m_shape;  // the shape; hit tests and measurements use it
    sf::Text m_label;
    const sf::Font* m_font = nullptr;  // shared label font, borrowed; null when missing
    bool m_finished = false;
    sf::Color m_colorAlt{255, 0, 0, 255};
    sf::Color m_colorNormal{0, 255, 0, 255};
    sf::Color m_colorHighlight{0, 0, 255, 255};
    sf::Color m_colorAlt2{255, 0, 0, 255};
    float m_viewOriginX = 0.0f;
    float m_viewOriginY = 0.0f;
    float m_viewZoom = 1.0f;
    MeasureResult m_result;
    float m_scale = 1.0f;
    sf::String m_unit = "px";
    bool m_selected = false;
};

}  // namespace kelvara
