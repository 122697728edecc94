#include "app/shell/AppConfig.h"
#include "app/shell/StringTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <set>

namespace {

// Reads language files from the skin folder of the source tree.
class StringTableTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ClearStringTable();
        StringTableHooks hooks;
        hooks.readSkinFile = [this](const std::string& path, std::string& data) {
            auto found = m_files.find(path);
            if (found != m_files.end()) {
                data = found->second;
                return true;
            }
            std::ifstream in(std::string(KELVARA_SKIN_DIR) + "/" + path, std::ios::binary);
            data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            return in.good() || in.eof();
        };
        hooks.reloadText = [this] { ++m_reloads; };
        SetStringTableHooks(hooks);
    }
    void TearDown() override
    {
        SetStringTableHooks({});
        ClearStringTable();
    }
    bool Load(const std::string& text) { return LoadStringData(text.data(), text.size()); }

    std::map<std::string, std::string> m_files;
    int m_reloads = 0;
};

std::set<std::string> IdsOf(const std::string& path)
{
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file((std::string(KELVARA_SKIN_DIR) + "/" + path).c_str())) << path;
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
    EXPECT_EQ(english.size(), 175u);
    for (int language = 1; language < kLanguageCount; ++language)
        EXPECT_EQ(IdsOf(kLanguageFiles[language]), english) << kLanguageFiles[language];

    ASSERT_TRUE(LoadStringFile(kLanguageFiles[0]));
    EXPECT_EQ(TheStringTable().Size(), 175u);
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
    EXPECT_EQ(TheStringTable().Size(), 4u);

    // Broken or missing files change nothing.
    EXPECT_FALSE(Load("<Res><String id=\"A\" text=\"third\"/><unclosed></Res>"));
    EXPECT_FALSE(Load(std::string("\x00\xFF\x01", 3)));
    EXPECT_FALSE(Load(std::string(100000, '<')));
    EXPECT_FALSE(LoadStringFile("xmls/lang/strings_xx_XX.xml"));
    EXPECT_EQ(GetLangText("A"), "second");
    EXPECT_EQ(TheStringTable().Size(), 4u);

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

TEST_F(StringTableTest, ChosenLanguageGoesOverEnglish)
{
    AppConfig saved = GetAppConfig();
    m_files[kLanguageFiles[3]] = "<Res><String id=\"TB_SNAP\" text=\"Ambil Foto\"/></Res>";
    SetLanguage(3);
    EXPECT_EQ(GetAppConfig().CFG_LANGUAGE, 3);
    EXPECT_EQ(GetLangText("TB_SNAP"), "Ambil Foto");
    EXPECT_EQ(GetLangText("STR_SNAP_FAIL"), "Failed to take a photo");  // English where Indonesian lacks it
    EXPECT_EQ(m_reloads, 1);

    m_files.clear();
    SetLanguage(2);
    EXPECT_EQ(GetLangText("STR_ERROR"), "\xEC\x98\xA4\xEB\xA5\x98");  // Korean "오류"
    EXPECT_EQ(TheStringTable().Size(), 175u);

    for (int outside : {-1, 4, 1000}) {
        SetLanguage(outside);
        EXPECT_EQ(GetAppConfig().CFG_LANGUAGE, 2);
    }
    EXPECT_EQ(m_reloads, 2);
    GetAppConfig() = saved;
}
