#pragma once
// The named calibrations: an ordered list (the order the user sees), kept in
// "calibrations.ini" below the documents folder and in backup files. The
// file has a section "data" (name = units per pixel), "unit" (name = unit
// index) and, for entries made at a known preview size, "resolution"
// (name = "<width>x<height>"); readers ignore sections they do not know.
//
// Not thread-safe: the owner (the camera controller) uses it on the UI thread only.

#include "app/measure/CaliData.h"

#include <cstddef>
#include <set>
#include <string>
#include <vector>

class CaliDataStore
{
public:
    // Results of the file operations, shown to the user by their code.
    static constexpr int kNoDocumentsFolder = -1;  // "Failed to get personal document folder."
    static constexpr int kCannotCreateFolder = -2;  // "Failed to create directory."
    static constexpr int kCannotOpenFile = -3;  // "Failed to open configuration file."
    static constexpr int kCannotSaveFile = -4;  // "Failed to save configuration file."
    // Results of Add.
    static constexpr int kAdded = 0;
    static constexpr int kNameExists = 1;
    static constexpr int kCannotStore = 2;  // the entry would not come back from the file

    // path = documents folder + "/Kelvara Files/data/calibrations.ini", the
    // folder created with its parents. 0, kNoDocumentsFolder or kCannotCreateFolder.
    int GetCaliConfigPath(std::string& path) const;

    // Replaces the list with the file's entries; 0 or kCannotOpenFile (the
    // list is then unchanged and "LoadCaliConfig <path> Failed\n" is printed).
    // A file that exists but cannot be read, or is not a calibration file, is
    // remembered: SaveCaliConfig refuses to replace it until it loads.
    int LoadCaliConfig(const std::string& path);
    // The same for file content already in memory.
    int LoadCaliText(const char* data, size_t size);

    // Writes the list; 0 or kCannotSaveFile. The file is replaced as a
    // whole: on failure the old file stays as it was. A file whose last load
    // failed is not replaced (kCannotSaveFile).
    int SaveCaliConfig(const std::string& path) const;
    // The file content SaveCaliConfig writes.
    std::string FormatCaliText() const;

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    // A copy of the entry; outside the list a record with value 0.
    CaliData GetAt(int index) const;
    // An entry of exactly this name (case-sensitive) exists.
    bool Contains(const std::string& name) const;
    // Appends the entry: kAdded; kNameExists when an entry of the same name
    // ignoring the case of letters exists (the file would hold it once);
    // kCannotStore when the name could not be read back from the file (see
    // IsStorableName) or the value is not a finite number. A size with a side
    // not above 0 or beyond 65535 is kept as unknown (0 x 0).
    int Add(const CaliData& entry);
    // Removes the entry; an index outside the list changes nothing. Returns 0.
    int RemoveAt(int index);

    // "px", "cm", "mm", "um", "in", "uin" for 0 to 5, else "n/a".
    static const char* GetUnitName(int unit);
    // A name that survives the file: 1 to 63 characters of UTF-8, no control
    // characters, no '=', no blanks at either end, not starting with '[', ';' or '#'.
    static bool IsStorableName(const std::string& name);
    // The value as the file and the list show it: "%f" with a '.' whatever the
    // locale where that reads back to the same float, else the shortest text
    // that does (for example "3.45e-05").
    static std::string FormatValue(float value);

private:
    std::vector<CaliData> m_entries;
    std::set<std::string> m_unloadablePaths;  // files whose load failed, kept from being overwritten
};
