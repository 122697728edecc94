// libFuzzer target: the calibration file loader, and the promise that what
// it loads (names, values and preview sizes) survives being written and read
// again.
#include "app/measure/CaliDataStore.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <utility>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CaliDataStore store;
    if (store.LoadCaliText(reinterpret_cast<const char*>(data), size) != 0)
        return 0;
    std::string text = store.FormatCaliText();
    CaliDataStore reloaded;
    if (reloaded.LoadCaliText(text.data(), text.size()) != 0)
        abort();
    std::map<std::string, std::pair<int, int>> sizes;
    for (int i = 0; i < reloaded.GetCount(); ++i)
        sizes[reloaded.GetAt(i).name] = {reloaded.GetAt(i).width, reloaded.GetAt(i).height};
    for (int i = 0; i < store.GetCount(); ++i) {
        CaliData entry = store.GetAt(i);
        std::string shown = CaliDataStore::FormatValue(entry.value);
        // Only values that print as zero may drop out.
        auto found = sizes.find(entry.name);
        if (shown != "0.000000" && shown != "-0.000000" && found == sizes.end())
            abort();
        // The preview size comes back with its entry.
        if (found != sizes.end() && found->second != std::make_pair(entry.width, entry.height))
            abort();
    }
    return 0;
}
