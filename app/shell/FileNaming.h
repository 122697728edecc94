#pragma once
// Where snapshots and recordings go and how they are named automatically.
// Callable from any thread as long as the configuration record is not being
// changed meanwhile (it is changed on the UI thread only).

#include "app/shell/AppConfig.h"

#include <string>

// The image folder: the documents folder's "Kelvara Files/Images/" when
// CFG_IMAGEPATH_MYDOC is non-zero, else CFG_IMAGEPATH. Created with its
// parents when missing. When the documents folder is unknown, folder is
// left as it was and is used as given. False when the folder is not a
// directory and cannot be created.
bool GetImageFolder(const AppConfig& config, std::string& folder);
bool GetImageFolder(std::string& folder);

// The local time of an automatic name.
struct AutoNameTime
{
    int year, month, day, hour, minute, second, millisecond;
};
AutoNameTime CurrentAutoNameTime();

// "%04d%02d%02d-%02d%02d%02d-%d": date, time and unpadded milliseconds.
std::string FormatAutoNameStamp(const AutoNameTime& time);

// path = image folder + time stamp + extension, e.g.
// ".../Kelvara Files/Images/20160518-090503-42.jpg". When that name is taken
// (a file of that name exists, or it was handed out before), "-1", "-2", ...
// goes before the extension, so pictures made within one millisecond do not
// overwrite each other. False when the folder cannot be had or the name would
// be longer than a stored path may be. path is in/out as for GetImageFolder.
bool MakeAutoFileName(
    const AppConfig& config, std::string& path, const std::string& extension, const AutoNameTime& time);
bool MakeAutoFileName(std::string& path, const std::string& extension);

// ".png" for 1, ".bmp" for 2, ".jpg" for 3, ".tif" for anything else.
const char* GetImageExtension(int fileType);
const char* GetImageExtension();
// "*.tif" for 0, "*.png" for 1, "*.bmp" for 2, "*.jpg" for anything else.
const char* GetImageFilterPattern(int fileType);
const char* GetImageFilterPattern();
