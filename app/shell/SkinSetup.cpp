#include "app/shell/SkinSetup.h"

#include "app/shell/SkinResources.h"
#include "platform/duilib/UIResource.h"
#include "platform/duilib/UIlib.h"

#include <string>

namespace kelvara {

const SkinEntry SkinTable[2] = {
    {"default", 201, 30},
    {"default2k", 202, 60},
};

bool InstallSkin(int index)
{
    using namespace DuiLib;
    const SkinEntry& skin = SkinTable[index == 1 ? 1 : 0];
    RegisterSkinResources();
    CPaintManagerUI::SetResourceType(4);
    CPaintManagerUI::SetResourcePath(
        (std::string(CPaintManagerUI::GetInstancePath().GetData()) + "skins/" + skin.name + "/").c_str());
    HRSRC resource
        = FindResource(CPaintManagerUI::GetResourceDll(), MAKEINTRESOURCE(skin.resourceId), "ZIPRES");
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = LoadResource(CPaintManagerUI::GetResourceDll(), resource);
    DWORD size = SizeofResource(CPaintManagerUI::GetResourceDll(), resource);
    if (loaded == nullptr || size == 0)
        return false;
    return CPaintManagerUI::SetResourceZip(LockResource(loaded), size);
}

}  // namespace kelvara
