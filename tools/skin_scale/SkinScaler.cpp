#include "tools/skin_scale/SkinScaler.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>

namespace {

// Attributes whose numbers are pixel geometry.
const std::set<std::string>& GeometryAttributes()
{
    static const std::set<std::string> names = {"size", "caption", "sizebox", "roundcorner", "mininfo",
        "maxinfo", "pos", "width", "height", "minwidth", "minheight", "maxwidth", "maxheight", "padding",
        "inset", "childpadding", "textpadding", "itemtextpadding", "bodyinset", "thumbsize", "dropboxsize",
        "iconsize", "shadowsize"};
    return names;
}

// Parts of an image description that are rectangles in pixels.
const std::set<std::string>& ImageGeometryKeys()
{
    static const std::set<std::string> names = {"source", "dest", "corner"};
    return names;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsInteger(const std::string& t)
{
    size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    if (i == t.size())
        return false;
    for (; i < t.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(t[i])))
            return false;
    return true;
}

bool IsDecimal(const std::string& t)
{
    size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(t[i])))
            digits = true;
        else if (t[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits && point;
}

std::string ScaleNumber(const std::string& token, int factor)
{
    if (IsInteger(token))
        return std::to_string(std::strtoll(token.c_str(), nullptr, 10) * factor);
    if (IsDecimal(token)) {
        std::ostringstream out;
        out << std::strtod(token.c_str(), nullptr) * factor;
        return out.str();
    }
    return token;  // "auto", names and the like stay
}

using PairRewriter = std::function<std::string(const std::string& key, const std::string& value)>;

// Rewrites the values of a run of key='value' / key="value" pairs, copying
// everything else (spacing, quotes, unparsable rest) as it is.
std::string RewritePairs(const std::string& text, const PairRewriter& rewrite)
{
    std::string out;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        size_t k = i;
        while (k < n && std::isspace(static_cast<unsigned char>(text[k])))
            ++k;
        const size_t keyBegin = k;
        while (k < n && (std::isalnum(static_cast<unsigned char>(text[k])) || text[k] == '_'))
            ++k;
        const size_t keyEnd = k;
        while (k < n && std::isspace(static_cast<unsigned char>(text[k])))
            ++k;
        if (keyEnd == keyBegin || k >= n || text[k] != '=')
            break;
        ++k;
        while (k < n && std::isspace(static_cast<unsigned char>(text[k])))
            ++k;
        if (k >= n || (text[k] != '\'' && text[k] != '"'))
            break;
        const char quote = text[k];
        const size_t valueBegin = k + 1;
        const size_t valueEnd = text.find(quote, valueBegin);
        if (valueEnd == std::string::npos)
            break;
        out.append(text, i, valueBegin - i);
        out += rewrite(
            text.substr(keyBegin, keyEnd - keyBegin), text.substr(valueBegin, valueEnd - valueBegin));
        out += quote;
        i = valueEnd + 1;
    }
    out.append(text, i, std::string::npos);
    return out;
}

std::vector<std::string> SplitList(const std::string& list)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto comma = list.find(',', start);
        parts.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

}  // namespace

std::string SkinScaler::ScaleNumberList(const std::string& list) const
{
    std::string out;
    bool atStart = true;
    for (const std::string& part : SplitList(list)) {
        if (!atStart)
            out += ',';
        atStart = false;
        const size_t first = part.find_first_not_of(' ');
        const size_t last = part.find_last_not_of(' ');
        if (first == std::string::npos) {
            out += part;
            continue;
        }
        out += part.substr(0, first);
        out += ScaleNumber(part.substr(first, last - first + 1), m_factor);
        out += part.substr(last + 1);
    }
    return out;
}

std::string SkinScaler::ScaleImageDescription(const std::string& value) const
{
    return RewritePairs(value, [this](const std::string& key, const std::string& v) {
        return ImageGeometryKeys().count(Lower(key)) ? ScaleNumberList(v) : v;
    });
}

std::string SkinScaler::ScaleAttributeList(const std::string& list) const
{
    return RewritePairs(
        list, [this](const std::string& key, const std::string& v) { return ScaleAttribute("", key, v); });
}

std::string SkinScaler::ScaleAttribute(
    const std::string& element, const std::string& name, const std::string& value) const
{
    const std::string key = Lower(name);
    if ((element == "Default" || element == "Style") && key == "value")
        return ScaleAttributeList(value);
    const std::string lowered = Lower(value);
    if (lowered.find("file='") != std::string::npos || lowered.find("file=\"") != std::string::npos)
        return ScaleImageDescription(value);
    if (GeometryAttributes().count(key))
        return ScaleNumberList(value);
    return value;
}

void SkinScaler::ScaleDocument(pugi::xml_document& doc) const
{
    std::vector<pugi::xml_node> stack = {doc.document_element()};
    while (!stack.empty()) {
        pugi::xml_node node = stack.back();
        stack.pop_back();
        if (!node)
            continue;
        for (pugi::xml_attribute attr : node.attributes()) {
            const std::string scaled = ScaleAttribute(node.name(), attr.name(), attr.value());
            if (scaled != attr.value())
                attr.set_value(scaled.c_str());
        }
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
            if (child.type() == pugi::node_element)
                stack.push_back(child);
    }
}

std::string SkinScaler::NormalizeName(const std::string& name)
{
    std::string out = Lower(name);
    std::replace(out.begin(), out.end(), '\\', '/');
    while (!out.empty() && out[0] == '/')
        out.erase(0, 1);
    return out;
}

bool SkinScaler::ParseOverrides(const std::string& text, std::vector<TSkinOverride>& out, std::string& error)
{
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        const auto hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream fields(line);
        TSkinOverride entry;
        if (!(fields >> entry.file))
            continue;  // blank or comment
        std::string extra;
        if (!(fields >> entry.element >> entry.attribute >> entry.value) || (fields >> extra)) {
            error = "line " + std::to_string(lineNumber) + ": expected 'file element attribute value'";
            return false;
        }
        out.push_back(entry);
    }
    return true;
}

int SkinScaler::ApplyOverrides(pugi::xml_document& doc, const std::string& fileName,
    const std::vector<TSkinOverride>& overrides, std::vector<std::string>& warnings)
{
    int applied = 0;
    const std::string file = NormalizeName(fileName);
    for (const TSkinOverride& entry : overrides) {
        if (NormalizeName(entry.file) != file)
            continue;
        const std::string where = entry.file + " " + entry.element + " " + entry.attribute;
        // Walk the element path from the root, first match at each level.
        pugi::xml_node node;
        std::istringstream path(entry.element);
        std::string part;
        bool first = true;
        while (std::getline(path, part, '/')) {
            node = first ? (doc.document_element().name() == part ? doc.document_element() : pugi::xml_node())
                         : node.child(part.c_str());
            first = false;
            if (!node)
                break;
        }
        if (!node) {
            warnings.push_back(where + ": no such element");
            continue;
        }
        pugi::xml_attribute attr = node.attribute(entry.attribute.c_str());
        std::string value = entry.value;
        if (value.find('*') != std::string::npos) {
            // "*" keeps the number already at that place.
            const std::vector<std::string> current = SplitList(attr ? attr.value() : "");
            const std::vector<std::string> wanted = SplitList(entry.value);
            if (!attr || current.size() != wanted.size()) {
                warnings.push_back(where + ": '*' needs an existing value with as many numbers");
                continue;
            }
            value.clear();
            for (size_t i = 0; i < wanted.size(); ++i)
                value += (i ? "," : "") + (wanted[i] == "*" ? current[i] : wanted[i]);
        }
        if (!attr)
            attr = node.append_attribute(entry.attribute.c_str());
        attr.set_value(value.c_str());
        ++applied;
    }
    return applied;
}
