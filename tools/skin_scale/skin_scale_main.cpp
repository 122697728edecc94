// skin_scale: writes the high-resolution variant of one skin layout.
//
//   skin_scale <in.xml> <out.xml> [--factor N] [--overrides FILE --name "xmls\x.xml"]
//
// The layout is read as it is (comments and spacing kept), its geometry is
// multiplied by N (default 2), then the overrides for the given skin name are
// applied. Warnings about overrides that no longer fit go to standard error.

#include "tools/skin_scale/SkinScaler.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int Usage()
{
    std::fprintf(
        stderr, "usage: skin_scale <in.xml> <out.xml> [--factor N] [--overrides FILE --name NAME]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string input = argv[1];
    const std::string output = argv[2];
    int factor = 2;
    std::string overridesFile;
    std::string name;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return Usage();
        if (arg == "--factor")
            factor = std::atoi(argv[++i]);
        else if (arg == "--overrides")
            overridesFile = argv[++i];
        else if (arg == "--name")
            name = argv[++i];
        else
            return Usage();
    }
    if (factor < 1)
        return Usage();

    pugi::xml_document doc;
    const pugi::xml_parse_result parsed
        = doc.load_file(input.c_str(), pugi::parse_full | pugi::parse_ws_pcdata, pugi::encoding_utf8);
    if (!parsed) {
        std::fprintf(
            stderr, "skin_scale: %s: %s at offset %td\n", input.c_str(), parsed.description(), parsed.offset);
        return 1;
    }
    SkinScaler(factor).ScaleDocument(doc);

    if (!overridesFile.empty()) {
        std::ifstream in(overridesFile);
        if (!in) {
            std::fprintf(stderr, "skin_scale: cannot read %s\n", overridesFile.c_str());
            return 1;
        }
        std::stringstream text;
        text << in.rdbuf();
        std::vector<TSkinOverride> overrides;
        std::string error;
        if (!SkinScaler::ParseOverrides(text.str(), overrides, error)) {
            std::fprintf(stderr, "skin_scale: %s: %s\n", overridesFile.c_str(), error.c_str());
            return 1;
        }
        std::vector<std::string> warnings;
        SkinScaler::ApplyOverrides(doc, name, overrides, warnings);
        for (const std::string& warning : warnings)
            std::fprintf(stderr, "skin_scale: warning: %s\n", warning.c_str());
    }

    // Top-level nodes (declaration, comments, root) one a line, as written;
    // pugixml keeps no text outside the root element.
    const std::string temp = output + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
            node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
            out << '\n';
        }
        if (!out.flush()) {
            std::fprintf(stderr, "skin_scale: cannot write %s\n", temp.c_str());
            std::remove(temp.c_str());
            return 1;
        }
    }
    if (std::rename(temp.c_str(), output.c_str()) != 0) {
        std::fprintf(stderr, "skin_scale: cannot write %s\n", output.c_str());
        std::remove(temp.c_str());
        return 1;
    }
    return 0;
}
