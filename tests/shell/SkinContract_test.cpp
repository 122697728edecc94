// What the code and the skin promise each other: every control the main
// window looks up exists, every resource text is translated in all four
// languages, and every such text fits its control at the default skin's
// window size.
#include "app/shell/CMainWnd.h"
#include "app/shell/StringTable.h"
#include "platform/duilib/CRenderEngine.h"
#include "platform/duilib/UIlib.h"
#include "tests/support/shell/MainWindowHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <pugixml.hpp>
#include <set>
#include <strings.h>

namespace {

using kelvara::test::Pump;

// The layout alone, without the program behind it.
class LayoutWindow : public DuiLib::WindowImplBase, public DuiLib::IQueryControlText
{
public:
    DuiLib::CDuiString QueryControlText(const char* id, const char*) override { return GetLangText(id); }
    DuiLib::CControlUI* Find(const char* name) { return m_PaintManager.FindControl(name); }
    DuiLib::CPaintManagerUI& Manager() { return m_PaintManager; }

protected:
    DuiLib::CDuiString GetSkinFile() override { return "xmls\\mainwnd.xml"; }
    const char* GetWindowClassName() const override { return "MainWnd"; }
    DuiLib::CControlUI* CreateControl(const char* pstrClass) override
    {
        return strcasecmp(pstrClass, "ImageRender") == 0 ? new DuiLib::CControlUI : nullptr;
    }
};

std::vector<std::filesystem::path> LayoutFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry :
        std::filesystem::recursive_directory_iterator(std::string(KELVARA_SKIN_DIR) + "/xmls")) {
        if (entry.path().extension() == ".xml" && entry.path().parent_path().filename() != "lang")
            files.push_back(entry.path());
    }
    return files;
}

std::set<std::string> LanguageIds(const char* file)
{
    pugi::xml_document doc;
    doc.load_file((std::string(KELVARA_SKIN_DIR) + "/xmls/lang/" + file).c_str());
    std::set<std::string> ids;
    for (pugi::xpath_node node : doc.select_nodes("//String"))
        ids.insert(node.node().attribute("id").value());
    return ids;
}

TEST(SkinContract, EveryResourceTextIsTranslatedInAllFourLanguages)
{
    const char* tables[]
        = {"strings_en_US.xml", "strings_zh_CN.xml", "strings_ko_KR.xml", "strings_id_ID.xml"};
    std::vector<std::set<std::string>> ids;
    for (const char* table : tables)
        ids.push_back(LanguageIds(table));
    int checked = 0;
    for (const auto& file : LayoutFiles()) {
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(file.c_str())) << file;
        for (pugi::xpath_node node : doc.select_nodes("//*[@resourcetext='true']")) {
            for (const char* attribute : {"text", "tooltip"}) {
                std::string id = node.node().attribute(attribute).value();
                // Fixed texts such as "Id" column headers carry no identifier.
                if (id.empty() || id.find('_') == std::string::npos)
                    continue;
                ++checked;
                for (size_t t = 0; t < ids.size(); ++t)
                    EXPECT_TRUE(ids[t].count(id))
                        << id << " missing from " << tables[t] << " (" << file << ")";
            }
        }
    }
    EXPECT_GT(checked, 50);
}

class SkinWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        kelvara::test::InstallProgramSkin();
        DuiLib::CResourceManager::GetInstance()->SetTextQueryInterface(&m_window);
        SetLanguage(0);
        ASSERT_NE(m_window.Create(nullptr, "Kelvara", 0x10CF0000, 0), nullptr);
        ASSERT_TRUE(Pump([&] { return m_window.Manager().GetPaintCount() > 0; }, 5000));
    }
    void TearDown() override
    {
        if (DuiLib::CWindowWnd::IsWindow(m_window.GetHWND()))
            m_window.DestroyWindow();
        DuiLib::CResourceManager::GetInstance()->SetTextQueryInterface(nullptr);
        SetLanguage(0);
    }

    LayoutWindow m_window;
};

TEST_F(SkinWindowTest, EveryControlTheMainWindowUsesExists)
{
    std::vector<std::string> names = {"ImageRenderView", "ToolbarBtnCapture", "ToolbarBtnCaptureSet",
        "ToolbarBtnRecord", "ToolbarBtnFiles", "MainTabList", "MainWnd", "combo_preview_size",
        "combo_preview_format", "combo_color_mode", "combo_power_freq", "ComboCaliDataList",
        "ComboCaliPhyLenUnit", "AdjustOptionMirror", "AdjustOptionFlip", "AdjustOptionAE", "AdjustOptionAWB",
        "AdjustBtnOnceWB", "AdjustBtnReset", "AdjustBtnPropertyPage", "StatusBarLabelInfo",
        "StatusbarLabelRate", "StatusbarBtnOutput", "StatusbarBtnFullscreen", "MeasureDataList",
        "CaliDataList", "CameraList", "Titlebar", "Toolbar", "Statusbar", "Sidebar", "OutputBar", "caption",
        "Icon_Titlebar", "Btn_Title_Main_Menu", "minbtn", "maxbtn", "restorebtn", "closebtn",
        "MainTabOptCamera", "MainTabOptMeasure", "camera_adjust_drawers", "PageMeasureNormal",
        "PageMeasureCalibration", "CaliDataListUnit", "MeasureBtnCaliEdit", "CaliBtnBack", "CaliBtnNew",
        "CaliBtnDel", "CaliBtnBackup", "CaliBtnRecover", "CaliEdtName", "CaliEdtPhyLen", "CaliEdtPixLen",
        "CaliEdtCaliData", "CaliEdtCaliUnit", "MeasureBtnDeleteAll", "MeasureBtnTwoCircles", "MeasureBtnCSV",
        "MeasureBtnScreenShot"};
    for (const auto& binding : kelvara::SliderBindingTable) {
        names.push_back(binding.slider);
        if (binding.label)
            names.push_back(binding.label);
    }
    for (int i = 0; i < kelvara::kMeasureToolCount; ++i) {
        const std::string tool = kelvara::MeasureToolTable[i].control;
        // The shipped skin has neither the empty tool nor the text tool.
        if (tool != "MeasureBtnNone" && tool != "MeasureBtnText")
            names.push_back(tool);
    }
    for (const char* drawer :
        {"PreviewResolution", "Exposure", "WB", "Color", "ColorMode", "Flip", "Power", "Misc"}) {
        names.push_back(std::string("drawerHead") + drawer);
        names.push_back(std::string("drawer") + drawer);
    }
    for (const std::string& name : names)
        EXPECT_NE(m_window.Find(name.c_str()), nullptr) << name;
}

// Every text a control shows from the string table, with the width it has.
struct FitProblem
{
    std::string control;
    std::string text;
    long need;
    long have;
};

void CollectFitProblems(
    DuiLib::CControlUI* control, DuiLib::CPaintManagerUI& manager, std::vector<FitProblem>& out)
{
    if (control == nullptr || !control->IsVisible())
        return;
    if (auto* container = static_cast<DuiLib::CContainerUI*>(control->GetInterface("Container"))) {
        for (int i = 0; i < container->GetCount(); ++i)
            CollectFitProblems(container->GetItemAt(i), manager, out);
    }
    auto* label = static_cast<DuiLib::CLabelUI*>(control->GetInterface("Label"));
    if (label == nullptr || !label->IsResourceText())
        return;
    const std::string text = label->GetText().GetData();
    if (text.empty())
        return;
    RECT padding = label->GetTextPadding();
    long have = label->GetWidth() - padding.left - padding.right;
    long need = DuiLib::CRenderEngine::GetTextSize(text.c_str(), manager.GetFont(label->GetFont())).cx;
    if (need > have)
        out.push_back(FitProblem{label->GetName().GetData(), text, need, have});
}

TEST_F(SkinWindowTest, EveryResourceTextFitsInEveryLanguage)
{
    // Everything that can be shown at once: all drawers open, both measure pages.
    for (const char* drawer : {"drawerPreviewResolution", "drawerExposure", "drawerWB", "drawerColor",
             "drawerColorMode", "drawerFlip", "drawerPower", "drawerMisc", "OutputBar"})
        m_window.Find(drawer)->SetVisible(true);
    auto* tabs = static_cast<DuiLib::CTabLayoutUI*>(m_window.Find("MainTabList")->GetInterface("TabLayout"));
    for (int language = 0; language < kLanguageCount; ++language) {
        SetLanguage(language);
        for (int page = 0; page < 2; ++page) {
            tabs->SelectItem(page);
            for (bool calibration : {false, true}) {
                m_window.Find("PageMeasureCalibration")->SetVisible(calibration);
                m_window.Find("PageMeasureNormal")->SetVisible(!calibration);
                m_window.Manager().NeedUpdate();
                m_window.Manager().PaintNow();
                std::vector<FitProblem> problems;
                CollectFitProblems(m_window.Manager().GetRoot(), m_window.Manager(), problems);
                for (const FitProblem& p : problems)
                    ADD_FAILURE() << "language " << language << ": \"" << p.text << "\" in " << p.control
                                  << " needs " << p.need << " px, has " << p.have;
            }
        }
    }
}

}  // namespace
