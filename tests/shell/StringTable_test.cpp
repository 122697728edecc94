#include "app/shell/AppConfig.h"
#include "app/shell/StringTable.h"
#include "platform/duilib/CResourceLoader.h"
#include "platform/duilib/CResourceManager.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <set>

namespace {

// Reads skin files from the skin folder of the source tree, or from a
// private skin folder a test writes.
class StringTableTest : public testing::Test, public DuiLib::IQueryControlText
{
protected:
    void SetUp() override
    {
        ClearStringTable();
        DuiLib::CResourceLoader::SetResourcePath(std::string(KELVARA_SKIN_DIR) + "/");
        DuiLib::CResourceManager::GetInstance()->SetTextQueryInterface(this);
        SetLanguageChangedHook([this] { ++m_changes; });
    }
    void TearDown() override
    {
        SetLanguageChangedHook(nullptr);
        DuiLib::CResourceManager::GetInstance()->SetTextQueryInterface(nullptr);
        DuiLib::CResourceManager::GetInstance()->ResetTextMap();
        DuiLib::CResourceLoader::SetResourcePath("");
        ClearStringTable();
    }
    DuiLib::CDuiString QueryControlText(const char* id, const char*) override { return GetLangText(id); }
    bool Load(const std::string& text) { return LoadStringData(text.data(), text.size()); }

    int m_changes = 0;
};

std::string Slashed(std::string path)
{
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

std::set<std::string> IdsOf(const std::string& path)
{
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file((std::string(KELVARA_SKIN_DIR) + "/" + Slashed(path)).c_str())) << path;
    std::set<std::string> ids;
    for (pugi::xml_node node : document.document_element().children("String")) {
        EXPECT_FALSE(std::string(node.attribute("text").value()).empty()) << node.attribute("id").value();
        EXPECT_TRUE(ids.insert(node.attribute("id").value()).second)
            << path << " repeats " << node.attribute("id").value();
    }
    return ids;
}

}  // namespace

TEST_F(StringTableTest, TheFourLanguageFilesDefineTheSameIdentifiers)
{
    std::set<std::string> english = IdsOf(kLanguageFiles[0]);
    EXPECT_EQ(english.size(),
        203u);  // with the folder, disconnection, permission, start, picture and scale bar messages
    for (int language = 1; language < kLanguageCount; ++language)
        EXPECT_EQ(IdsOf(kLanguageFiles[language]), english) << kLanguageFiles[language];

    ASSERT_TRUE(LoadStringFile(kLanguageFiles[0]));
    EXPECT_EQ(TheStringTable().Size(), 203);
    EXPECT_EQ(GetLangText("DLG_SET_SAVE_TO_DOC"), "Save to \"My Documents\"(Recommended) ");
    EXPECT_EQ(GetLangText("SIB_MEA_RECT"), "Rectange");
    EXPECT_EQ(GetLangText("STR_IP_ADDRESS"), "IP Adress");
    EXPECT_EQ(GetLangText("NO_SUCH_ID"), "");
}

TEST_F(StringTableTest, EntriesAreFoundAtAnyDepthAndLaterDuplicatesWin)
{
    ASSERT_TRUE(Load("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Res>\n"
                     "<String id=\"A\" text=\"first\"/>\n"
                     "<string ID=\"B\" TEXT=\"&lt;b&gt; &amp; &quot;q&quot; &#x4E2D;\"/>\n"
                     "<Group><Inner><String id=\"C\" text=\"deep\"/></Inner></Group>\n"
                     "<String id=\"D\"/><String text=\"no id\"/><Other id=\"E\" text=\"other\"/>\n"
                     "<String id=\"F\" text=\"has child\"><String id=\"G\" text=\"child\"/></String>\n"
                     "<String id=\"A\" text=\"second\"/>\n"
                     "</Res>"));
    EXPECT_EQ(GetLangText("A"), "second");
    EXPECT_EQ(GetLangText("B"), "<b> & \"q\" \xE4\xB8\xAD");
    EXPECT_EQ(GetLangText("C"), "deep");
    EXPECT_EQ(GetLangText("G"), "child");
    for (const char* absent : {"D", "E", "F", "a", ""})
        EXPECT_EQ(GetLangText(absent), "") << absent;
    EXPECT_EQ(TheStringTable().Size(), 4);

    // Broken or missing files change nothing.
    EXPECT_FALSE(Load("<Res><String id=\"A\" text=\"third\"/><unclosed></Res>"));
    EXPECT_FALSE(Load(std::string("\x00\xFF\x01", 3)));
    EXPECT_FALSE(Load(std::string(100000, '<')));
    EXPECT_FALSE(LoadStringFile("xmls\\lang\\strings_xx_XX.xml"));
    EXPECT_EQ(GetLangText("A"), "second");
    EXPECT_EQ(TheStringTable().Size(), 4);

    // Nesting far deeper than any stack would allow.
    std::string deep = "<Res>";
    for (int i = 0; i < 200000; ++i)
        deep += "<g>";
    deep += "<String id=\"Z\" text=\"bottom\"/>";
    for (int i = 0; i < 200000; ++i)
        deep += "</g>";
    ASSERT_TRUE(Load(deep + "</Res>"));
    EXPECT_EQ(GetLangText("Z"), "bottom");
}

TEST_F(StringTableTest, ChosenLanguageGoesOverEnglishAndControlsFollow)
{
    AppConfig saved = GetAppConfig();
    DuiLib::CResourceManager& resources = *DuiLib::CResourceManager::GetInstance();
    SetLanguage(0);
    EXPECT_EQ(resources.GetText("TB_SNAP").str(), "Snap");

    // A skin whose Indonesian file lacks most identifiers.
    kelvara::test::ScopedUserEnvironment env;
    std::ifstream english(std::string(KELVARA_SKIN_DIR) + "/xmls/lang/strings_en_US.xml", std::ios::binary);
    env.WriteFile(env.Home() + "/skin/XMLS/Lang/strings_en_US.xml",
        std::string(std::istreambuf_iterator<char>(english), std::istreambuf_iterator<char>()));
    env.WriteFile(env.Home() + "/skin/XMLS/Lang/strings_id_ID.xml",
        "<Res><String id=\"TB_SNAP\" text=\"Ambil Foto\"/></Res>");
    DuiLib::CResourceLoader::SetResourcePath(env.Home() + "/skin/");
    SetLanguage(3);
    EXPECT_EQ(GetAppConfig().CFG_LANGUAGE, 3);
    EXPECT_EQ(resources.GetText("TB_SNAP").str(), "Ambil Foto");
    EXPECT_EQ(GetLangText("STR_SNAP_FAIL"), "Failed to take a photo");  // English where Indonesian lacks it
    EXPECT_EQ(m_changes, 2);

    DuiLib::CResourceLoader::SetResourcePath(std::string(KELVARA_SKIN_DIR) + "/");
    SetLanguage(2);
    EXPECT_EQ(resources.GetText("TB_SNAP").str(), "\xEC\xB4\xAC\xEC\x98\x81");  // Korean
    EXPECT_EQ(TheStringTable().Size(), 203);

    for (int outside : {-1, 4, 1000}) {
        SetLanguage(outside);
        EXPECT_EQ(GetAppConfig().CFG_LANGUAGE, 2);
    }
    EXPECT_EQ(m_changes, 3);
    GetAppConfig() = saved;
}
