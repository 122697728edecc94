// libFuzzer target: the language string file loader.
#include "app/shell/StringTable.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LoadStringData(reinterpret_cast<const char*>(data), size);
    GetLangText("TB_SNAP");
    ClearStringTable();
    return 0;
}
