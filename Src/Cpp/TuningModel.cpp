#include "TuningModel.hpp"

#include <cctype>

#include "TunerSettings.hpp"

namespace {

TuningLoadedHook tuningLoadedHook = nullptr;

void CopyStandardTuning(int (&offsets)[TuningStringCount]) {
    for (int i = 0; i < TuningStringCount; ++i) offsets[i] = StandardTuning[i];
}

}  // namespace

// Only characters below 128 count: no code page may add letters to the names.
bool IsTuningNameCharacter(int character) {
    return character >= 0 && character < 128 && (std::isalnum(character) || character == '_');
}

bool IsValidTuningName(const YString& name) {
    if (name.IsEmpty() || name.Length() > MaxTuningNameLength) return false;
    for (int i = 0; i < name.Length(); ++i)
        if (!IsTuningNameCharacter(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

YString FormatTuning(const int (&offsets)[TuningStringCount]) {
    YString value;
    for (int i = 0; i < TuningStringCount; ++i) value.AppendFormat(i + 1 < TuningStringCount ? "%d, " : "%d", offsets[i]);
    return value;
}

bool ReadTuning(const YString& name, int (&offsets)[TuningStringCount]) {
    if (theSettings.KeyCount(SectionTunings) < 1) {
        theSettings.SetValue(SectionTunings, StandardTuningName, FormatTuning(StandardTuning));
        if (name.CompareNoCase(StandardTuningName) != 0) return false;
        CopyStandardTuning(offsets);
        return true;
    }
    YString rest;
    if (!theSettings.GetValue(SectionTunings, name, rest)) return false;
    for (int i = 0; i < TuningStringCount; ++i) {
        YString item = rest.NextToken(",");
        item.Trim();
        // An empty item fails here too.
        if (!item.ToInt(offsets[i])) return false;
    }
    return true;
}

void LoadCurrentTuning(int (&stringOffsets)[TuningStringCount]) {
    YString stored;
    theSettings.GetValue(SectionTuning, KeyCurrentTuning, stored);
    stored.Trim();
    YString name = stored.IsEmpty() ? YString(StandardTuningName) : stored;
    if (!ReadTuning(name, stringOffsets)) {
        name = StandardTuningName;
        // Only a hand-edited list without a readable "Standard" gets here: tune to the standard
        // notes rather than to whatever the failed reads left behind.
        if (!ReadTuning(name, stringOffsets)) CopyStandardTuning(stringOffsets);
    }
    if (name != stored) theSettings.SetValue(SectionTuning, KeyCurrentTuning, name);
    if (tuningLoadedHook) tuningLoadedHook();
}

void SetTuningLoadedHook(TuningLoadedHook hook) { tuningLoadedHook = hook; }
