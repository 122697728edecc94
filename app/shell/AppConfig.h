#pragma once
// The user's settings: one process-wide record, read once at start and
// written back once at exit, only when something changed. The store is the
// per-user settings file "config" (see CSettingsKey) with the value names
// and types of the original registry key.
//
// UI thread only.

#include <cstdint>
#include <optional>
#include <string>

struct AppConfig
{
    int32_t CFG_EXITPROMPT = 0;  // "ExitPrompt": 0 asks before exit
    int32_t CFG_FILESAVE_RULE = 0;  // "FileSave_Rule": 0 automatic names, else a save dialog
    int32_t CFG_IMAGEPATH_MYDOC = 0;  // "ImagePath_MyDoc": non-zero uses the documents folder
    std::string CFG_IMAGEPATH;  // "ImagePath": custom image folder (at most 259 characters)
    int32_t CFG_FILETYPE = 3;  // "FileType": 0 TIFF, 1 PNG, 2 BMP, 3 JPEG
    int32_t CFG_LANGUAGE = 0;  // "Language": 0 English, 1 Chinese, 2 Korean, 3 Indonesian
    int32_t CFG_CURCALIDATA = 0;  // "curCaliData": selected calibration
    int32_t CFG_CURPHYUNIT = 0;  // "curPhyUnit": unit for a new calibration
    int32_t CFG_CONSHOT_COUNT = 0;  // "ConshotCount": pictures per continuous shooting
    int32_t CFG_CONSHOT_INTERVAL = 0;  // "ConshotInterval": seconds between them
    int32_t CFG_SCALEBAR = 0;  // "ScaleBar": non-zero shows the scale bar on a calibrated picture
    int32_t CFG_SCALEBAR_CORNER
        = 0;  // "ScaleBarCorner": 0 bottom right, 1 bottom left, 2 top right, 3 top left
    int32_t CFG_SCALEBAR_IN_PICTURES = 0;  // "ScaleBarInPictures": non-zero draws it into snapped pictures

    bool operator==(const AppConfig& other) const;
    bool operator!=(const AppConfig& other) const { return !(*this == other); }
};

// Most characters a stored path may have (a buffer of 260 with its terminator).
constexpr size_t kMaxPathChars = 259;

// Language index for a locale name such as "zh_CN.UTF-8": Chinese of China
// or Singapore 1, other Chinese 0, Korean 2, Indonesian 3, anything else 0.
int LanguageFromLocale(const std::string& locale);

// A configuration record together with its last-saved copy.
class CConfigStore
{
public:
    AppConfig& Config() { return m_config; }
    const AppConfig& Config() const { return m_config; }

    // Fills the record from the settings file. Prints "load config\n".
    // False, with "open registry failed\n", when the settings folder cannot
    // be had; the record then keeps its values. Values that are missing or
    // unreadable take their defaults; a language outside 0-3 is derived from
    // the user's locale. Takes the last-saved copy.
    bool LoadConfig();

    // Writes the record if it differs from the last-saved copy, else prints
    // "config not changed\n". False when nothing could be written; the copy
    // is then kept as it was, so a later call tries again.
    bool SaveConfig();

private:
    AppConfig m_config;
    std::optional<AppConfig> m_saved;
};

// The process-wide store and record.
CConfigStore& TheConfigStore();
inline AppConfig& GetAppConfig()
{
    return TheConfigStore().Config();
}
inline bool LoadConfig()
{
    return TheConfigStore().LoadConfig();
}
inline bool SaveConfig()
{
    return TheConfigStore().SaveConfig();
}
