#include "app/shell/AppConfig.h"

#include "platform/system/SettingsKey.h"
#include "platform/system/UserFolders.h"
#include "platform/system/UserLanguage.h"
#include "platform/system/Utf8.h"

#include <cctype>
#include <cstdio>
#include <iterator>

namespace {

const char kKeyName[] = "config";

struct DwordItem
{
    const char* valueName;
    const char* itemName;
    int32_t AppConfig::*field;
    int32_t defaultValue;
};

// In the order the values are read and written; "ImagePath" goes after curPhyUnit.
const DwordItem kLeadingItems[] = {
    {"ExitPrompt", "CFG_EXITPROMPT", &AppConfig::CFG_EXITPROMPT, 0},
    {"FileSave_Rule", "CFG_FILESAVE_RULE", &AppConfig::CFG_FILESAVE_RULE, 0},
    {"ImagePath_MyDoc", "CFG_IMAGEPATH_MYDOC", &AppConfig::CFG_IMAGEPATH_MYDOC, 1},
    {"FileType", "CFG_FILETYPE", &AppConfig::CFG_FILETYPE, 3},
    {"Language", "CFG_LANGUAGE", &AppConfig::CFG_LANGUAGE, -1},
    {"curCaliData", "CFG_CURCALIDATA", &AppConfig::CFG_CURCALIDATA, 0},
    {"curPhyUnit", "CFG_CURPHYUNIT", &AppConfig::CFG_CURPHYUNIT, 0},
};
const DwordItem kTrailingItems[] = {
    {"ConshotCount", "CFG_CONSHOT_COUNT", &AppConfig::CFG_CONSHOT_COUNT, 100},
    {"ConshotInterval", "CFG_CONSHOT_INTERVAL", &AppConfig::CFG_CONSHOT_INTERVAL, 3},
    {"ScaleBar", "CFG_SCALEBAR", &AppConfig::CFG_SCALEBAR, 0},
    {"ScaleBarCorner", "CFG_SCALEBAR_CORNER", &AppConfig::CFG_SCALEBAR_CORNER, 0},
    {"ScaleBarInPictures", "CFG_SCALEBAR_IN_PICTURES", &AppConfig::CFG_SCALEBAR_IN_PICTURES, 0},
};

void ReadDword(const kelvara::CSettingsKey& key, AppConfig& config, const DwordItem& item)
{
    int32_t value;
    config.*item.field = key.QueryDword(item.valueName, value) ? value : item.defaultValue;
}

std::string Lowercase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool AppConfig::operator==(const AppConfig& other) const
{
    return CFG_EXITPROMPT == other.CFG_EXITPROMPT && CFG_FILESAVE_RULE == other.CFG_FILESAVE_RULE
        && CFG_IMAGEPATH_MYDOC == other.CFG_IMAGEPATH_MYDOC && CFG_IMAGEPATH == other.CFG_IMAGEPATH
        && CFG_FILETYPE == other.CFG_FILETYPE && CFG_LANGUAGE == other.CFG_LANGUAGE
        && CFG_CURCALIDATA == other.CFG_CURCALIDATA && CFG_CURPHYUNIT == other.CFG_CURPHYUNIT
        && CFG_CONSHOT_COUNT == other.CFG_CONSHOT_COUNT && CFG_CONSHOT_INTERVAL == other.CFG_CONSHOT_INTERVAL
        && CFG_SCALEBAR == other.CFG_SCALEBAR && CFG_SCALEBAR_CORNER == other.CFG_SCALEBAR_CORNER
        && CFG_SCALEBAR_IN_PICTURES == other.CFG_SCALEBAR_IN_PICTURES;
}

int LanguageFromLocale(const std::string& locale)
{
    // language[_territory][.codeset][@modifier]; a '-' separator is accepted too.
    std::string name = Lowercase(locale.substr(0, locale.find_first_of(".@")));
    size_t separator = name.find_first_of("_-");
    std::string language = name.substr(0, separator);
    std::string territory = separator == std::string::npos ? "" : name.substr(separator + 1);
    if (language == "zh")
        return territory == "cn" || territory == "sg" ? 1 : 0;
    if (language == "ko")
        return 2;
    if (language == "id")
        return 3;
    return 0;
}

bool CConfigStore::LoadConfig()
{
    std::printf("load config\n");
    kelvara::CSettingsKey key;
    if (!key.Open(kKeyName)) {
        std::printf("open registry failed\n");
        return false;
    }
    AppConfig& config = m_config;
    for (int i = 0; i < 3; ++i)
        ReadDword(key, config, kLeadingItems[i]);

    // The default folder exists only where the documents folder is known
    // and the path fits; otherwise "ImagePath" is not read at all.
    std::string documents;
    if (kelvara::GetDocumentsFolder(documents)) {
        std::string defaultPath = documents + "/Kelvara Files/Images/";
        if (kelvara::Utf8Length(defaultPath) <= kMaxPathChars) {
            std::string stored;
            bool ok = key.QueryString("ImagePath", stored) && kelvara::Utf8Length(stored) <= kMaxPathChars;
            config.CFG_IMAGEPATH = ok ? stored : defaultPath;
        }
    }

    for (size_t i = 3; i < std::size(kLeadingItems); ++i)
        ReadDword(key, config, kLeadingItems[i]);
    if (config.CFG_LANGUAGE < 0 || config.CFG_LANGUAGE > 3)
        config.CFG_LANGUAGE = LanguageFromLocale(kelvara::GetUserUiLocale());
    for (const DwordItem& item : kTrailingItems)
        ReadDword(key, config, item);
    m_saved = m_config;
    return true;
}

bool CConfigStore::SaveConfig()
{
    if (m_saved && *m_saved == m_config) {
        std::printf("config not changed\n");
        return true;
    }
    std::printf("saving config\n");
    kelvara::CSettingsKey key;
    if (!key.Open(kKeyName)) {
        std::printf("open registry failed\n");
        return false;
    }
    for (const DwordItem& item : kLeadingItems)
        key.SetDword(item.valueName, m_config.*item.field);
    key.SetString("ImagePath", m_config.CFG_IMAGEPATH);
    for (const DwordItem& item : kTrailingItems)
        key.SetDword(item.valueName, m_config.*item.field);

    // The file is written as a whole: when that fails, no value was saved.
    std::string error;
    if (!key.Flush(&error)) {
        for (const DwordItem& item : kLeadingItems)
            std::printf("save %s failed\n", item.itemName);
        std::printf("save CFG_IMAGEPATH failed\n");
        for (const DwordItem& item : kTrailingItems)
            std::printf("save %s failed\n", item.itemName);
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    m_saved = m_config;
    return true;
}

CConfigStore& TheConfigStore()
{
    static CConfigStore store;
    return store;
}
