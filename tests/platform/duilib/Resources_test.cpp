#include "platform/duilib/CMarkup.h"
#include "platform/duilib/CRenderEngine.h"
#include "platform/duilib/CSkinArchive.h"
#include "tests/support/duilib/SampleSkin.h"

#include <gtest/gtest.h>

using namespace DuiLib;

TEST(CSkinArchive, LookupsIgnoreCaseAndSeparator)
{
    std::vector<unsigned char> bytes = duilib_test::PackFolder(duilib_test::SampleSkinDir());
    CSkinArchive archive;
    ASSERT_TRUE(archive.Open(bytes.data(), bytes.size()));
    struct Case
    {
        const char* name;
        bool found;
    } cases[] = {
        {"xmls\\sample.xml", true},
        {"XMLS/SAMPLE.XML", true},
        {"ui\\button_hot.png", true},
        {"Ui/Button_Hot.PNG", true},
        {"\\ui\\button_hot.png", true},
        {"ui/missing.png", false},
        {"xmls", false},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> data;
        EXPECT_EQ(archive.Read(c.name, data), c.found) << c.name;
        EXPECT_EQ(!data.empty(), c.found) << c.name;
    }
}

TEST(CSkinArchive, RejectsBytesThatAreNoZip)
{
    const char junk[] = "definitely not a zip archive";
    CSkinArchive archive;
    EXPECT_FALSE(archive.Open(junk, sizeof(junk)));
    EXPECT_FALSE(archive.IsOpen());
    std::vector<unsigned char> data;
    EXPECT_FALSE(archive.Read("anything", data));
}

TEST(CMarkup, DecodesEntitiesAndRejectsBrokenXml)
{
    CMarkup xml;
    ASSERT_TRUE(xml.Load("<Res><String id=\"A\" text=\"Save to &quot;My Documents&quot;\"/></Res>"));
    CMarkupNode entry = xml.GetRoot().GetChild();
    EXPECT_STREQ(entry.GetName(), "String");
    EXPECT_STREQ(entry.GetAttributeValue("text"), "Save to \"My Documents\"");
    EXPECT_EQ(entry.GetAttributeValue("missing"), nullptr);
    EXPECT_FALSE(xml.Load("<Res><String id=\"A\"></Res>"));
    EXPECT_FALSE(xml.IsValid());
    EXPECT_FALSE(xml.Load(""));
}

TEST(CRenderEngine, ParsesImageDescriptions)
{
    TDrawInfo info;
    ASSERT_TRUE(CRenderEngine::ParseImageDescription(
        "file='ui\\bg\\msgbox_bg.png' dest='0,0,111,120' source='222,0,333,120' corner='111,0,0,0'", info));
    EXPECT_STREQ(info.sFile, "ui\\bg\\msgbox_bg.png");
    EXPECT_TRUE(info.bDest && info.bSource);
    EXPECT_EQ(info.rcSource.left, 222);
    EXPECT_EQ(info.rcSource.right, 333);
    EXPECT_EQ(info.rcDest.bottom, 120);
    EXPECT_EQ(info.rcCorner.left, 111);
    ASSERT_TRUE(CRenderEngine::ParseImageDescription("ui/plain.png", info));
    EXPECT_STREQ(info.sFile, "ui/plain.png");
    EXPECT_FALSE(info.bSource);
    EXPECT_FALSE(CRenderEngine::ParseImageDescription("", info));
}

TEST(CDuiString, FormatsAndComparesUtf8)
{
    CDuiString s;
    s.Format("%.2f fps", 29.971);
    EXPECT_STREQ(s, "29.97 fps");
    CDuiString cjk = "简体中文";
    EXPECT_EQ(cjk.GetLength(), 12);  // bytes
    EXPECT_EQ(CDuiString("ABC").CompareNoCase("abc"), 0);
    CDuiString r = "a-b-c";
    EXPECT_EQ(r.Replace("-", "::"), 2);
    EXPECT_STREQ(r, "a::b::c");
    EXPECT_STREQ(CDuiString("hello").Mid(10), "");
    EXPECT_EQ(ParseColor("#FF171717"), 0xFF171717u);
}
