// The skin archives linked into the program: both build, the toolkit opens
// them, every image a layout names is there, and the high-resolution images
// are exactly twice the default ones.

#include "app/shell/SkinResources.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CSkinArchive.h"
#include "platform/duilib/UIResource.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr unsigned kDefaultSkin = 201;
constexpr unsigned kHighResolutionSkin = 202;

struct Blob
{
    const void* data = nullptr;
    DWORD size = 0;
};

Blob SkinBlob(unsigned id)
{
    RegisterSkinResources();
    Blob blob;
    HRSRC found = FindResource(DuiLib::CPaintManagerUI::GetResourceDll(), MAKEINTRESOURCE(id), "ZIPRES");
    blob.size = SizeofResource(nullptr, found);
    blob.data = LockResource(LoadResource(nullptr, found));
    return blob;
}

// Every member of an archive with its bytes.
std::map<std::string, std::vector<unsigned char>> ReadMembers(const Blob& blob)
{
    std::map<std::string, std::vector<unsigned char>> members;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(blob.data, blob.size, 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        return members;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0)
            continue;
        std::vector<unsigned char> bytes(static_cast<size_t>(st.size));
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (!file)
            continue;
        const zip_int64_t got = zip_fread(file, bytes.data(), bytes.size());
        zip_fclose(file);
        if (got == static_cast<zip_int64_t>(bytes.size()))
            members[st.name] = std::move(bytes);
    }
    zip_close(archive);
    zip_error_fini(&error);
    return members;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Calls visit(key, value) for each key="value" / key='value' pair in text.
template <typename Visit> void ForEachPair(const std::string& text, Visit visit)
{
    size_t i = 0;
    while (i < text.size()) {
        const size_t eq = text.find('=', i);
        if (eq == std::string::npos || eq + 1 >= text.size())
            return;
        size_t keyBegin = eq;
        while (keyBegin > i
            && (std::isalnum(static_cast<unsigned char>(text[keyBegin - 1])) || text[keyBegin - 1] == '_'))
            --keyBegin;
        const char quote = text[eq + 1];
        if (quote != '"' && quote != '\'')
            return;
        const size_t end = text.find(quote, eq + 2);
        if (end == std::string::npos)
            return;
        visit(text.substr(keyBegin, eq - keyBegin), text.substr(eq + 2, end - eq - 2));
        i = end + 1;
    }
}

// The image files an attribute names: an image description's file='...',
// or the whole value of an image attribute (bkimage, normalimage, icon ...).
void CollectImages(const std::string& name, const std::string& value, std::set<std::string>& images)
{
    const std::string key = Lower(name);
    const std::string lowered = Lower(value);
    if (lowered.find("file=") != std::string::npos) {
        ForEachPair(value, [&](const std::string& k, const std::string& v) {
            if (Lower(k) == "file" && !v.empty())
                images.insert(v);
        });
    } else if ((EndsWith(key, "image") || key == "icon") && !value.empty()) {
        images.insert(value);
    }
}

// Images named anywhere in a layout, Default and Style values included.
std::set<std::string> ImagesOfLayout(const pugi::xml_document& doc)
{
    std::set<std::string> images;
    std::vector<pugi::xml_node> stack = {doc.document_element()};
    while (!stack.empty()) {
        const pugi::xml_node node = stack.back();
        stack.pop_back();
        const std::string element = node.name();
        for (const pugi::xml_attribute attr : node.attributes()) {
            if ((element == "Default" || element == "Style") && std::string(attr.name()) == "value")
                ForEachPair(attr.value(),
                    [&](const std::string& k, const std::string& v) { CollectImages(k, v, images); });
            else
                CollectImages(attr.name(), attr.value(), images);
        }
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
            if (child.type() == pugi::node_element)
                stack.push_back(child);
    }
    return images;
}

bool PngSize(const std::vector<unsigned char>& png, unsigned& width, unsigned& height)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 24 || !std::equal(kSignature, kSignature + 8, png.begin()))
        return false;
    auto be32 = [&](size_t at) {
        return (unsigned(png[at]) << 24) | (unsigned(png[at + 1]) << 16) | (unsigned(png[at + 2]) << 8)
            | unsigned(png[at + 3]);
    };
    width = be32(16);
    height = be32(20);
    return true;
}

class SkinArchives : public ::testing::TestWithParam<unsigned>
{
};

}  // namespace

TEST_P(SkinArchives, AreLinkedInAndOpenInTheToolkit)
{
    const Blob blob = SkinBlob(GetParam());
    ASSERT_NE(blob.data, nullptr);
    ASSERT_GT(blob.size, 1000u);
    EXPECT_TRUE(DuiLib::CPaintManagerUI::SetResourceZip(blob.data, blob.size));
    DuiLib::CSkinArchive archive;
    ASSERT_TRUE(archive.Open(blob.data, blob.size));
    EXPECT_TRUE(archive.Contains("xmls\\default.xml"));
    EXPECT_TRUE(archive.Contains("UI\\toolbar\\snap.png"));
    EXPECT_TRUE(archive.Contains("ui/measure/circle3_selected.png"));
    EXPECT_TRUE(archive.Contains("xmls\\lang\\strings_en_US.xml"));
}

TEST_P(SkinArchives, HoldEveryImageTheLayoutsName)
{
    const Blob blob = SkinBlob(GetParam());
    DuiLib::CSkinArchive archive;
    ASSERT_TRUE(archive.Open(blob.data, blob.size));
    int layouts = 0;
    std::string missing;
    for (const auto& member : ReadMembers(blob)) {
        const std::string name = Lower(member.first);
        if (!EndsWith(name, ".xml") || name.rfind("xmls/lang/", 0) == 0)
            continue;
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_buffer(member.second.data(), member.second.size())) << member.first;
        ++layouts;
        for (const std::string& image : ImagesOfLayout(doc))
            if (!archive.Contains(image))
                missing += "  " + member.first + ": " + image + "\n";
    }
    EXPECT_GT(layouts, 0);
    EXPECT_TRUE(missing.empty()) << "images named but not in the archive:\n" << missing;
}

INSTANTIATE_TEST_SUITE_P(BothSkins, SkinArchives, ::testing::Values(kDefaultSkin, kHighResolutionSkin));

TEST(SkinArchivePair, HoldTheSameFilesWithImagesAtTwiceTheSize)
{
    const auto normal = ReadMembers(SkinBlob(kDefaultSkin));
    const auto large = ReadMembers(SkinBlob(kHighResolutionSkin));
    ASSERT_FALSE(normal.empty());
    int images = 0;
    for (const auto& member : normal) {
        const auto other = large.find(member.first);
        ASSERT_NE(other, large.end()) << member.first << " missing from the high-resolution skin";
        if (!EndsWith(Lower(member.first), ".png"))
            continue;
        unsigned w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        ASSERT_TRUE(PngSize(member.second, w1, h1)) << member.first;
        ASSERT_TRUE(PngSize(other->second, w2, h2)) << member.first;
        EXPECT_EQ(w2, 2 * w1) << member.first;
        EXPECT_EQ(h2, 2 * h1) << member.first;
        ++images;
    }
    EXPECT_EQ(normal.size(), large.size());
    EXPECT_GT(images, 200);
    // Only skin files, under the folders the layouts name (no build leftovers).
    for (const auto& member : normal) {
        const std::string& name = member.first;
        EXPECT_TRUE((name.rfind("xmls/", 0) == 0 && EndsWith(name, ".xml"))
            || (name.rfind("ui/", 0) == 0 && EndsWith(name, ".png")))
            << name;
    }
}

TEST(SkinArchivePair, HighResolutionLayoutsAreTheDefaultOnesScaled)
{
    const auto normal = ReadMembers(SkinBlob(kDefaultSkin));
    const auto large = ReadMembers(SkinBlob(kHighResolutionSkin));
    auto fonts = [](const std::vector<unsigned char>& xml) {
        pugi::xml_document doc;
        doc.load_buffer(xml.data(), xml.size());
        std::vector<int> sizes;
        for (const pugi::xml_node font : doc.child("Window").children("Font"))
            sizes.push_back(font.attribute("size").as_int());
        return sizes;
    };
    const std::vector<int> small = fonts(normal.at("xmls/default.xml"));
    const std::vector<int> big = fonts(large.at("xmls/default.xml"));
    ASSERT_EQ(small.size(), big.size());
    ASSERT_FALSE(small.empty());
    for (size_t i = 0; i < small.size(); ++i)
        EXPECT_EQ(big[i], 2 * small[i]);
    // String tables are the same in both.
    EXPECT_EQ(normal.at("xmls/lang/strings_en_US.xml"), large.at("xmls/lang/strings_en_US.xml"));
}

TEST(SkinArchivePair, HighResolutionMainWindowHasItsOwnSizeAndCaption)
{
    const auto large = ReadMembers(SkinBlob(kHighResolutionSkin));
    const auto mainWindow = large.find("xmls/mainwnd.xml");
    if (mainWindow == large.end())
        GTEST_SKIP() << "no main window layout yet";
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_buffer(mainWindow->second.data(), mainWindow->second.size()));
    EXPECT_STREQ(doc.child("Window").attribute("size").value(), "1366,1024");
    const std::string caption = doc.child("Window").attribute("caption").value();
    EXPECT_TRUE(EndsWith(caption, ",66")) << caption;
}

TEST(SkinLayoutImages, AreFoundInAttributesDescriptionsAndStyles)
{
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(
        "<Window><Style name='s' value=\"normalimage=&quot;file='ui\\a.png' corner='4,4,4,4'&quot; "
        "thumbimage=&quot;ui\\b.png&quot; textcolor=&quot;#FF000000&quot;\"/>"
        "<Default name='Button' value=\"hotimage=&quot;file='UI\\c.png'&quot;\"/>"
        "<Container bkimage='ui\\bg\\d.png'><Button text='e.png' pushedimage=\"file='ui/f.png' "
        "dest='0,0,4,4'\"/>"
        "<MenuElement icon='ui\\menu\\g.png'/><Label bkimage=''/></Container></Window>"));
    const std::set<std::string> expected
        = {"ui\\a.png", "ui\\b.png", "UI\\c.png", "ui\\bg\\d.png", "ui/f.png", "ui\\menu\\g.png"};
    EXPECT_EQ(ImagesOfLayout(doc), expected);
}
