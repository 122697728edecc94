#include "platform/system/UserLanguage.h"

#include <cstdlib>

namespace kelvara {

std::string GetUserUiLocale()
{
    // LANGUAGE is a priority list separated by colons.
    if (const char* list = std::getenv("LANGUAGE")) {
        std::string languages = list;
        size_t start = 0;
        while (start <= languages.size()) {
            size_t colon = languages.find(':', start);
            std::string entry = languages.substr(start, colon == std::string::npos ? colon : colon - start);
            if (!entry.empty())
                return entry;
            if (colon == std::string::npos)
                break;
            start = colon + 1;
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return {};
}

}  // namespace kelvara
