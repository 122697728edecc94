#include "app/shell/SkinResources.h"

#include "platform/duilib/UIResource.h"

#include <cstddef>

// Start and end of each archive, from the assembler file the build generates.
extern "C" {
extern const unsigned char kelvara_skin_default_zip[];
extern const unsigned char kelvara_skin_default_zip_end[];
extern const unsigned char kelvara_skin_default2k_zip[];
extern const unsigned char kelvara_skin_default2k_zip_end[];
}

namespace {

constexpr unsigned kDefaultSkinId = 201;
constexpr unsigned kHighResolutionSkinId = 202;
constexpr const char* kSkinResourceType = "ZIPRES";

}  // namespace

void RegisterSkinResources()
{
    RegisterResource(kDefaultSkinId, kSkinResourceType, kelvara_skin_default_zip,
        static_cast<size_t>(kelvara_skin_default_zip_end - kelvara_skin_default_zip));
    RegisterResource(kHighResolutionSkinId, kSkinResourceType, kelvara_skin_default2k_zip,
        static_cast<size_t>(kelvara_skin_default2k_zip_end - kelvara_skin_default2k_zip));
}
