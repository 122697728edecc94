// libFuzzer target: the calibration file loader, and the promise that what
// it loads survives being written and read again.
#include "app/measure/CaliDataStore.h"

#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CaliDataStore store;
    if (store.LoadCaliText(reinterpret_cast<const char*>(data), size) != 0)
        return 0;
    std::string text = store.FormatCaliText();
    CaliDataStore reloaded;
    if (reloaded.LoadCaliText(text.data(), text.size()) != 0)
        abort();
    std::set<std::string> names;
    for (int i = 0; i < reloaded.GetCount(); ++i)
        names.insert(reloaded.GetAt(i).name);
    for (int i = 0; i < store.GetCount(); ++i) {
        CaliData entry = store.GetAt(i);
        std::string shown = CaliDataStore::FormatValue(entry.value);
        // Only values that print as zero may drop out.
        if (shown != "0.000000" && shown != "-0.000000" && !names.count(entry.name))
            abort();
    }
    return 0;
}
