#pragma once
// The program's skins and how one is handed to the toolkit. UI thread, at
// start-up, before any window exists.

namespace kelvara {

struct SkinEntry
{
    const char* name;  // folder below "skins/" next to the program
    unsigned resourceId;  // "ZIPRES" resource of the archive
    int menuItemHeight;  // pixels, for menu items built at run time
};
extern const SkinEntry SkinTable[2];
// Nothing selects another skin: the program runs with "default".
constexpr int kActiveSkin = 0;

// Resource type 4 (an archive inside a resource), the resource path
// "<program folder>/skins/<name>/", and the archive of the entry when the
// program holds it. A missing archive is not reported (the files below the
// resource path are used then). True when the archive was installed.
bool InstallSkin(int index = kActiveSkin);

}  // namespace kelvara
