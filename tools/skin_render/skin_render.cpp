// skin_render: renders the skin's SVG sources into the PNGs of both skins.
//
//   skin_render <rsvg-convert> <skin-source-dir> <out-1x-dir> <out-2x-dir> <work-dir>
//
// <skin-source-dir>/icons/<folder>/<name>.svg are icons drawn in #C8C8C8; each
// gives ui/<folder>/<name>.png and the _hot, _pushed, _selected and _disabled
// images, made by replacing that colour literal (any case) before rendering.
// <skin-source-dir>/images/<path>.svg give ui/<path>.png as they are.
// The 1x images have the SVG's own width and height, the 2x ones twice that.
//
// Starting rsvg-convert costs far more than drawing a 24-pixel icon, so all
// pictures are placed side by side in one sheet SVG (each as a nested <svg>
// at whole-pixel offsets, which renders exactly as the file on its own), the
// sheet is rendered once per scale, and the sheet is cut into the images.

#include <SFML/Graphics/Image.hpp>
#include <pugixml.hpp>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct TState
{
    const char* suffix;
    const char* colour;
};

// The selected image is the pushed one (same colour), written twice.
const TState kIconStates[]
    = {{"", "#C8C8C8"}, {"_hot", "#FFFFFF"}, {"_pushed", "#3D8BFD"}, {"_disabled", "#5F5F5F"}};

// One picture on the sheet and the file names it is saved under.
struct TPicture
{
    std::string svgText;
    std::vector<std::string> names;  // below ui/, with ".png"
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};

bool ReadText(const fs::path& file, std::string& text)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return true;
}

// Whole-pixel size of an SVG's root element ("24", "24px").
bool SvgSize(const pugi::xml_node& svg, int& width, int& height)
{
    const double w = std::strtod(svg.attribute("width").value(), nullptr);
    const double h = std::strtod(svg.attribute("height").value(), nullptr);
    width = static_cast<int>(std::lround(w));
    height = static_cast<int>(std::lround(h));
    return width > 0 && height > 0 && std::fabs(w - width) < 1e-6 && std::fabs(h - height) < 1e-6;
}

std::vector<fs::path> SvgFiles(const fs::path& root)
{
    std::vector<fs::path> files;
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        return files;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && it->path().extension() == ".svg")
            files.push_back(fs::relative(it->path(), root, ec));
    std::sort(files.begin(), files.end());
    return files;
}

std::string Stem(const fs::path& relative)
{
    fs::path stem = relative;
    stem.replace_extension();
    return stem.generic_string();
}

bool Run(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) { }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool SavePng(const sf::Image& sheet, const TPicture& picture, int zoom, const fs::path& outDir)
{
    const unsigned w = static_cast<unsigned>(picture.width * zoom);
    const unsigned h = static_cast<unsigned>(picture.height * zoom);
    sf::Image image;
    image.create(w, h, sf::Color::Transparent);
    image.copy(sheet, 0, 0,
        sf::IntRect(picture.x * zoom, picture.y * zoom, static_cast<int>(w), static_cast<int>(h)));
    for (const std::string& name : picture.names) {
        const fs::path target = outDir / "ui" / name;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        const fs::path temp = target.string() + ".part.png";
        if (!image.saveToFile(temp.string())) {
            std::fprintf(stderr, "skin_render: cannot write %s\n", target.c_str());
            return false;
        }
        fs::rename(temp, target, ec);
        if (ec) {
            std::fprintf(stderr, "skin_render: cannot write %s: %s\n", target.c_str(), ec.message().c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(
            stderr, "usage: skin_render <rsvg-convert> <skin-source-dir> <out-1x> <out-2x> <work-dir>\n");
        return 2;
    }
    const std::string rsvg = argv[1];
    const fs::path source = argv[2];
    const fs::path out1 = argv[3];
    const fs::path out2 = argv[4];
    const fs::path work = argv[5];

    std::vector<TPicture> pictures;
    const std::regex normalColour("#c8c8c8", std::regex::icase);
    bool ok = true;
    for (const bool icons : {true, false}) {
        const fs::path root = source / (icons ? "icons" : "images");
        for (const fs::path& relative : SvgFiles(root)) {
            std::string text;
            if (!ReadText(root / relative, text)) {
                std::fprintf(stderr, "skin_render: cannot read %s\n", (root / relative).c_str());
                ok = false;
                continue;
            }
            const std::string stem = Stem(relative);
            if (!icons) {
                pictures.push_back({text, {stem + ".png"}});
                continue;
            }
            for (const TState& state : kIconStates) {
                TPicture picture{
                    std::regex_replace(text, normalColour, state.colour), {stem + state.suffix + ".png"}};
                if (std::string(state.suffix) == "_pushed")
                    picture.names.push_back(stem + "_selected.png");
                pictures.push_back(picture);
            }
        }
    }
    if (!ok)
        return 1;
    if (pictures.empty()) {
        std::fprintf(stderr, "skin_render: no SVG sources below %s\n", source.c_str());
        return 1;
    }

    // Lay the pictures out in rows of a bounded width, 2 pixels apart.
    constexpr int kGap = 2;
    constexpr int kRowWidth = 1024;
    pugi::xml_document sheet;
    pugi::xml_node root = sheet.append_child("svg");
    root.append_attribute("xmlns") = "http://www.w3.org/2000/svg";
    int x = 0, y = 0, rowHeight = 0, sheetWidth = 0;
    for (TPicture& picture : pictures) {
        pugi::xml_document doc;
        const pugi::xml_parse_result parsed = doc.load_string(picture.svgText.c_str());
        pugi::xml_node svg = doc.child("svg");
        if (!parsed || !svg || !SvgSize(svg, picture.width, picture.height)) {
            std::fprintf(stderr, "skin_render: %s: no <svg> root with whole-pixel width and height\n",
                picture.names[0].c_str());
            return 1;
        }
        if (x > 0 && x + picture.width > kRowWidth) {
            x = 0;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        picture.x = x;
        picture.y = y;
        svg.remove_attribute("x");
        svg.remove_attribute("y");
        svg.append_attribute("x") = picture.x;
        svg.append_attribute("y") = picture.y;
        root.append_copy(svg);
        x += picture.width + kGap;
        rowHeight = std::max(rowHeight, picture.height);
        sheetWidth = std::max(sheetWidth, x);
    }
    const int sheetHeight = y + rowHeight;
    root.append_attribute("width") = sheetWidth;
    root.append_attribute("height") = sheetHeight;
    root.append_attribute("viewBox")
        = ("0 0 " + std::to_string(sheetWidth) + " " + std::to_string(sheetHeight)).c_str();

    std::error_code ec;
    fs::create_directories(work, ec);
    const fs::path sheetSvg = work / "sheet.svg";
    if (!sheet.save_file(sheetSvg.c_str())) {
        std::fprintf(stderr, "skin_render: cannot write %s\n", sheetSvg.c_str());
        return 1;
    }
    for (const int zoom : {1, 2}) {
        const fs::path sheetPng = work / ("sheet@" + std::to_string(zoom) + "x.png");
        sf::Image rendered;
        if (!Run({rsvg, "--zoom", std::to_string(zoom), "--format", "png", "--output", sheetPng.string(),
                sheetSvg.string()})
            || !rendered.loadFromFile(sheetPng.string())) {
            std::fprintf(stderr, "skin_render: rendering %s failed\n", sheetSvg.c_str());
            return 1;
        }
        for (const TPicture& picture : pictures)
            if (!SavePng(rendered, picture, zoom, zoom == 1 ? out1 : out2))
                return 1;
    }
    return 0;
}
