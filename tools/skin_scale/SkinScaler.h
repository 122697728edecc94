#pragma once
// Derives the high-resolution skin's layouts from the default ones: geometry
// attributes (sizes, positions, paddings, insets, font sizes ...) and the
// source/dest/corner rectangles of image descriptions are multiplied by a
// factor; colours, names, texts and every other attribute stay as they are.
// Attribute lists inside the value of Default and Style elements are scaled
// the same way. A few values can then be set by hand through overrides.
// Build-time tool code; not thread-aware (one document per call).

#include <pugixml.hpp>

#include <string>
#include <vector>

// One hand-set value: `file element-path attribute value`. The element path is
// a "/"-separated list of element names from the root ("Window"); in a value
// of comma-separated numbers, "*" keeps the scaled number at that place.
struct TSkinOverride
{
    std::string file;
    std::string element;
    std::string attribute;
    std::string value;
};

class SkinScaler
{
public:
    explicit SkinScaler(int factor)
        : m_factor(factor)
    {
    }

    // The value an attribute gets in the scaled skin.
    std::string ScaleAttribute(
        const std::string& element, const std::string& name, const std::string& value) const;
    // Scales every element of the document in place.
    void ScaleDocument(pugi::xml_document& doc) const;

    // Parses an overrides file: one override a line, "#" starts a comment.
    // False (with a message naming the line) on a malformed line.
    static bool ParseOverrides(const std::string& text, std::vector<TSkinOverride>& out, std::string& error);
    // Applies the overrides that name fileName (case ignored, "\" = "/").
    // Returns how many were applied; problems are appended to warnings.
    static int ApplyOverrides(pugi::xml_document& doc, const std::string& fileName,
        const std::vector<TSkinOverride>& overrides, std::vector<std::string>& warnings);

    // Skin file names compare without case, with "\" and "/" alike.
    static std::string NormalizeName(const std::string& name);

private:
    std::string ScaleNumberList(const std::string& list) const;
    std::string ScaleImageDescription(const std::string& value) const;
    std::string ScaleAttributeList(const std::string& list) const;

    int m_factor;
};
