// The main window's popup menus (main, snap, two circles) and their commands.
#include "app/shell/CMainWnd.h"

#include "platform/system/DeviceMonitor.h"

#include "app/shell/AppConfig.h"
#include "app/shell/ShellDialogs.h"
#include "app/shell/SkinSetup.h"
#include "app/shell/StringTable.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace kelvara {

namespace {

// Menu items built at run time are as high as the skin's own.
const int kMenuItemHeight = SkinTable[kActiveSkin].menuItemHeight;

struct LanguageItem
{
    const char* name;  // menu item name
    const char* nativeName;  // shown in every language
};
const LanguageItem kLanguageItems[kLanguageCount] = {
    {"Main_Menu_Item_English", "English"},
    {"Main_Menu_Item_Chinese", "简体中文"},
    {"Main_Menu_Item_Korean", "한국어"},
    {"Main_Menu_Item_Indonesian", "Bahasa Indonesia"},
};

const char* const kFileTypeItems[]
    = {"Cap_Menu_Item_Tif", "Cap_Menu_Item_Png", "Cap_Menu_Item_Bmp", "Cap_Menu_Item_Jpg"};

// The look of the menu files' items, for items made at run time.
constexpr const char* kItemLook = "textcolor=\"#FFE6E6E6\" hotbkcolor=\"#FF3D8BFD\"";

DuiLib::CMenuElementUI* NewSubMenu(const char* name, const std::string& text)
{
    auto* element = new DuiLib::CMenuElementUI;
    element->ApplyAttributeList(kItemLook);
    element->SetName(name);
    element->SetText(text.c_str());
    element->SetShowExplandIcon(true);
    element->SetFixedHeight(kMenuItemHeight);
    return element;
}

DuiLib::CMenuElementUI* AsMenuElement(DuiLib::CControlUI* control)
{
    return control ? static_cast<DuiLib::CMenuElementUI*>(control->GetInterface("MenuElement")) : nullptr;
}

}  // namespace

POINT CMainWnd::MenuAnchor(DuiLib::CControlUI* control)
{
    RECT window{0, 0, 0, 0};
    GetWindowRect(window);
    const RECT& pos = control->GetPos();
    return POINT{window.left + pos.left, window.top + pos.bottom};
}

DuiLib::CMenuWnd* CMainWnd::NewMenu()
{
    if (m_menu && DuiLib::CWindowWnd::IsWindow(m_menu->GetHWND()))
        m_menu->DestroyWindow();
    m_menu = std::make_unique<DuiLib::CMenuWnd>();
    return m_menu.get();
}

void CMainWnd::ShowMainMenu(DuiLib::CControlUI* anchor)
{
    DuiLib::CMenuWnd* menu = NewMenu();
    menu->Init(
        nullptr, "xmls\\menus\\menu_main.xml", MenuAnchor(anchor), &m_PaintManager, &m_mainMenuChecks, 6);
    DuiLib::CMenuUI* root = menu->GetMenuUI();
    if (root == nullptr)
        return;
    DuiLib::CMenuElementUI* languages = NewSubMenu("Menu_Language_List", GetLangText("MENU_MAIN_LANGUAGE"));
    const int current = GetAppConfig().CFG_LANGUAGE;
    for (int i = 0; i < kLanguageCount; ++i) {
        auto* item = new DuiLib::CMenuElementUI;
        item->ApplyAttributeList(kItemLook);
        item->SetName(kLanguageItems[i].name);
        item->SetText(kLanguageItems[i].nativeName);
        item->SetIcon("ui\\menu\\menu_checked.png");
        item->SetIconSize(23, 23);
        item->SetCheckItem(true);
        item->SetChecked(i == current);
        item->SetFixedHeight(kMenuItemHeight);
        languages->Add(item);
    }
    root->AddAt(languages, 0);
    // Freezing needs a live picture; going back needs a held one.
    if (DuiLib::CMenuElementUI* freeze
        = AsMenuElement(m_PaintManager.FindSubControlByName(root, "Main_Menu_Item_Freeze")))
        freeze->SetEnabled(m_held == HeldPicture::kNone && m_controller.GetCamera() != nullptr);
    if (DuiLib::CMenuElementUI* live
        = AsMenuElement(m_PaintManager.FindSubControlByName(root, "Main_Menu_Item_BackToLive")))
        live->SetEnabled(m_held != HeldPicture::kNone);
    menu->ResizeMenu();
}

void CMainWnd::ShowSnapMenu(DuiLib::CControlUI* anchor)
{
    DuiLib::CMenuWnd* menu = NewMenu();
    menu->Init(
        nullptr, "xmls\\menus\\menu_snap.xml", MenuAnchor(anchor), &m_PaintManager, &m_snapMenuChecks, 6);
    DuiLib::CMenuUI* root = menu->GetMenuUI();
    if (root == nullptr)
        return;
    DuiLib::CMenuElementUI* sizes = NewSubMenu("Menu_Picture_Size", GetLangText("STR_PICTURE_SIZE"));
    m_controller.BuildStillSizeMenu(sizes, kMenuItemHeight);
    for (int i = 0; i < sizes->GetCount(); ++i) {
        if (DuiLib::CMenuElementUI* item = AsMenuElement(sizes->GetItemAt(i))) {
            item->ApplyAttributeList(kItemLook);
            item->SetIcon("ui\\menu\\menu_checked.png");
            item->SetIconSize(23, 23);
        }
    }
    root->AddAt(sizes, 0);
    const AppConfig& config = GetAppConfig();
    if (DuiLib::CMenuElementUI* formats = AsMenuElement(root->GetItemAt(1))) {
        for (int i = 0; i < formats->GetCount(); ++i) {
            DuiLib::CMenuElementUI* item = AsMenuElement(formats->GetItemAt(i));
            if (item == nullptr)
                continue;
            item->SetChecked(i == config.CFG_FILETYPE);
            // With the save dialog the format follows the chosen name.
            item->SetEnabled(config.CFG_FILESAVE_RULE == 0);
        }
    }
    menu->ResizeMenu();
}

void CMainWnd::ShowTwoCirclesMenu(DuiLib::CControlUI* anchor)
{
    DuiLib::CMenuWnd* menu = NewMenu();
    menu->Init(nullptr, "xmls\\menus\\menu_measure_twocircles.xml", MenuAnchor(anchor), &m_PaintManager,
        &m_twoCirclesChecks, 6);
    DuiLib::CMenuUI* root = menu->GetMenuUI();
    if (root == nullptr)
        return;
    const int modes[3] = {21, 20, 19};
    for (int i = 0; i < 3; ++i) {
        if (DuiLib::CMenuElementUI* item = AsMenuElement(root->GetItemAt(i)))
            item->SetChecked(m_twoCirclesMode == modes[i]);
    }
}

void CMainWnd::SwitchLanguage(int index)
{
    GetAppConfig().CFG_LANGUAGE = index;
    SetLanguage(index);
    // Texts set from code follow the new language too.
    RebuildCameraList();
    FillScaleBarControls();
    if (DuiLib::CControlUI* data = m_PaintManager.FindControl("CaliEdtCaliData")) {
        if (!data->GetText().IsEmpty() && data->GetText().GetData()[0] != '0'
            && std::atof(data->GetText()) <= 0)
            UpdateCalibrationValue();
    }
    m_PaintManager.Invalidate();
    m_PaintManager.NeedUpdate();
}

void CMainWnd::OnMenuClick(const DuiLib::MenuCmd& cmd)
{
    const char* name = cmd.szName;
    AppConfig& config = GetAppConfig();
    if (strcasecmp(name, "Main_Menu_Item_Settings") == 0) {
        ShowSettingDialog(GetHWND(), "");
        ApplyActiveScale();
    } else if (strcasecmp(name, "Main_Menu_Item_OpenPicture") == 0) {
        OpenPicture();
    } else if (strcasecmp(name, "Main_Menu_Item_Freeze") == 0) {
        ToggleFreeze();
    } else if (strcasecmp(name, "Main_Menu_Item_BackToLive") == 0) {
        BackToLive();
    } else if (strcasecmp(name, "Main_Menu_Item_About") == 0) {
        ShowAboutDialog(GetHWND());
    } else if (strcasecmp(name, "Main_Menu_Item_Update") == 0) {
        ShowErrorCode(-6, GetHWND());
    } else if (strncasecmp(name, "Menu_SubItem_StillSize_", 23) == 0) {
        const char* data = cmd.szUserData;
        const char* bar = std::strchr(data, '|');
        if (bar && bar > data)
            m_controller.SetStillImageSize(std::atoi(data), std::atoi(bar + 1));
    } else if (strcasecmp(name, "Cap_Menu_Item_ConShootStart") == 0) {
        StartContinuousShooting();
    } else if (strcasecmp(name, "Cap_Menu_Item_ConShootSet") == 0) {
        ShowSettingDialog(GetHWND(), "setting_OptSnap");
        ApplyActiveScale();
    } else if (strcasecmp(name, "MTool_TwoCircles") == 0 || strcasecmp(name, "MTool_TwoCircles2") == 0
        || strcasecmp(name, "MTool_TwoCircles3") == 0) {
        m_twoCirclesMode = strcasecmp(name, "MTool_TwoCircles") == 0 ? 19
            : strcasecmp(name, "MTool_TwoCircles2") == 0             ? 20
                                                                     : 21;
        m_controller.SetMeasureTool(m_twoCirclesMode);
    } else {
        for (int i = 0; i < 4; ++i) {
            if (strcasecmp(name, kFileTypeItems[i]) == 0)
                config.CFG_FILETYPE = i;
        }
        for (int i = 0; i < kLanguageCount; ++i) {
            if (strcasecmp(name, kLanguageItems[i].name) == 0)
                SwitchLanguage(i);
        }
    }
    if (m_menu) {
        if (DuiLib::CWindowWnd::IsWindow(m_menu->GetHWND()))
            m_menu->DestroyWindow();
        m_menu.reset();
    }
}

}  // namespace kelvara
