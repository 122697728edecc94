#include "tools/skin_scale/SkinScaler.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct ScaleCase
{
    const char* element;
    const char* attribute;
    const char* value;
    const char* expected;
};

// Geometry doubles; colours, names, texts, ids and other numbers stay.
const ScaleCase kCases[] = {
    {"Window", "size", "1121,728", "2242,1456"},
    {"Window", "caption", "0,0,0,26", "0,0,0,52"},
    {"Window", "sizebox", "4,4,4,4", "8,8,8,8"},
    {"Window", "roundcorner", "5,5", "10,10"},
    {"Window", "mininfo", "800,600", "1600,1200"},
    {"Window", "shadowsize", "6", "12"},
    {"Window", "defaultfontcolor", "#FFE6E6E6", "#FFE6E6E6"},
    {"Font", "size", "12", "24"},
    {"Font", "id", "3", "3"},
    {"Font", "name", "DejaVu Sans", "DejaVu Sans"},
    {"Control", "pos", "10,-20,30,40", "20,-40,60,80"},
    {"Control", "padding", "1, 2,3,4", "2, 4,6,8"},
    {"Control", "width", "40", "80"},
    {"Control", "height", "1.5", "3"},
    {"Control", "minwidth", "auto", "auto"},
    {"Label", "text", "12", "12"},
    {"Label", "textpadding", "6,0,6,0", "12,0,12,0"},
    {"Label", "textcolor", "#FF123456", "#FF123456"},
    {"Label", "name", "lbl_12", "lbl_12"},
    {"Slider", "value", "30", "30"},
    {"Slider", "thumbsize", "14,14", "28,28"},
    {"List", "itemtextpadding", "8,0,8,0", "16,0,16,0"},
    {"Combo", "dropboxsize", "0,150", "0,300"},
    {"MenuElement", "iconsize", "16,16", "32,32"},
    {"VerticalLayout", "inset", "1,1,1,1", "2,2,2,2"},
    {"VerticalLayout", "childpadding", "4", "8"},
    {"Button", "bkimage", "ui\\bg\\bg12.png", "ui\\bg\\bg12.png"},
    {"Button", "normalimage",
        "file='ui\\a12.png' source='0,0,10,10' dest='1,2,3,4' corner='4,4,28,4' fade='128'",
        "file='ui\\a12.png' source='0,0,20,20' dest='2,4,6,8' corner='8,8,56,8' fade='128'"},
    {"Button", "hotimage", "file=\"ui\\b.png\" DEST=\"0,4,16,20\"", "file=\"ui\\b.png\" DEST=\"0,8,32,40\""},
    {"Style", "value",
        "height=\"28\" textcolor=\"#FFE6E6E6\" normalimage=\"file='ui\\c.png' dest='0,4,16,20'\" value=\"5\"",
        "height=\"56\" textcolor=\"#FFE6E6E6\" normalimage=\"file='ui\\c.png' dest='0,8,32,40'\" "
        "value=\"5\""},
    {"Default", "value", "thumbsize=\"14,14\" sendmove=\"true\"", "thumbsize=\"28,28\" sendmove=\"true\""},
    {"Default", "name", "Slider", "Slider"},
    {"Include", "source", "xmls\\default.xml", "xmls\\default.xml"},
    // An attribute list that stops parsing keeps its rest as it was.
    {"Style", "value", "width=\"40\" broken", "width=\"80\" broken"},
};

}  // namespace

TEST(SkinScaler, ScalesGeometryAndNothingElse)
{
    const SkinScaler scaler(2);
    for (const ScaleCase& c : kCases)
        EXPECT_EQ(scaler.ScaleAttribute(c.element, c.attribute, c.value), c.expected)
            << c.element << " " << c.attribute << "=\"" << c.value << "\"";
}

TEST(SkinScaler, ScalesEveryElementOfADocument)
{
    pugi::xml_document doc;
    ASSERT_TRUE(
        doc.load_string("<Window size='100,50'><!-- c --><HorizontalLayout height='29'>"
                        "<Button name='b' width='40' text='7' normalimage=\"file='x.png' dest='1,1,2,2'\"/>"
                        "</HorizontalLayout></Window>",
            pugi::parse_full));
    SkinScaler(2).ScaleDocument(doc);
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    EXPECT_EQ(out.str(),
        "<Window size=\"200,100\"><!-- c --><HorizontalLayout height=\"58\">"
        "<Button name=\"b\" width=\"80\" text=\"7\" normalimage=\"file='x.png' dest='2,2,4,4'\"/>"
        "</HorizontalLayout></Window>");
}

TEST(SkinScaler, OverridesSetValuesOfTheirFileOnly)
{
    std::vector<TSkinOverride> overrides;
    std::string error;
    ASSERT_TRUE(SkinScaler::ParseOverrides("# comment\n\n"
                                           "xmls\\mainwnd.xml Window size 1366,1024  # main window\n"
                                           "xmls\\mainwnd.xml Window caption *,*,*,66\n"
                                           "xmls\\other.xml Window size 1,1\n"
                                           "xmls\\mainwnd.xml Window/VerticalLayout/Label height 33\n"
                                           "xmls\\mainwnd.xml Window/Nothing height 1\n"
                                           "xmls\\mainwnd.xml Window roundcorner *,9\n",
        overrides, error))
        << error;
    ASSERT_EQ(overrides.size(), 6u);

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<Window size='1121,728' caption='0,0,0,26'>"
                                "<VerticalLayout><Label height='10'/></VerticalLayout></Window>"));
    SkinScaler(2).ScaleDocument(doc);
    std::vector<std::string> warnings;
    // Skin names match with either separator and any case.
    EXPECT_EQ(SkinScaler::ApplyOverrides(doc, "XMLS/MainWnd.xml", overrides, warnings), 3);
    const pugi::xml_node window = doc.child("Window");
    EXPECT_STREQ(window.attribute("size").value(), "1366,1024");
    EXPECT_STREQ(window.attribute("caption").value(), "0,0,0,66");
    EXPECT_STREQ(window.child("VerticalLayout").child("Label").attribute("height").value(), "33");
    EXPECT_FALSE(window.attribute("roundcorner"));  // "*" has nothing to keep
    EXPECT_EQ(warnings.size(), 2u);
}

TEST(SkinScaler, RejectsMalformedOverrideLines)
{
    std::vector<TSkinOverride> overrides;
    std::string error;
    EXPECT_FALSE(SkinScaler::ParseOverrides("a.xml Window size 1,1\nb.xml Window size\n", overrides, error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(SkinScaler::ParseOverrides("a.xml Window size 1,1 extra\n", overrides, error));
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
}
