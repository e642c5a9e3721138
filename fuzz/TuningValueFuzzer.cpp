// Reads arbitrary bytes as the stored value of a tuning. A readable value must give offsets that
// read back the same from their stored form, and loading it as the current tuning must give either
// those offsets or, when it is unreadable, the standard tuning under the name "Standard".
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "TunerSettings.hpp"
#include "TuningModel.hpp"

namespace {

bool SameOffsets(const int (&a)[TuningStringCount], const int (&b)[TuningStringCount]) {
    return std::equal(a, a + TuningStringCount, b);
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    YString value;
    for (std::size_t i = 0; i < size; ++i) value += static_cast<char>(data[i]);
    theSettings.SetValue(SectionTunings, StandardTuningName, FormatTuning(StandardTuning));
    theSettings.SetValue(SectionTunings, "Fuzz", value);
    theSettings.SetValue(SectionTuning, KeyCurrentTuning, "Fuzz");

    int offsets[TuningStringCount] = {};
    bool readable = ReadTuning("fuzz", offsets);
    if (readable) {
        theSettings.SetValue(SectionTunings, "Again", FormatTuning(offsets));
        int again[TuningStringCount] = {};
        Check(ReadTuning("Again", again) && SameOffsets(offsets, again));
    }

    int current[TuningStringCount] = {};
    LoadCurrentTuning(current);
    YString currentName;
    theSettings.GetValue(SectionTuning, KeyCurrentTuning, currentName);
    Check(SameOffsets(current, readable ? offsets : StandardTuning));
    Check(currentName == (readable ? "Fuzz" : StandardTuningName));
    return 0;
}
