#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <vector>

// The component types of the inputs a simulated card has.
constexpr DWORD Line = MIXERLINE_COMPONENTTYPE_SRC_LINE, Mic = MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
constexpr DWORD Aux = MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, Cd = MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC;

struct SimulatedInput {
    DWORD type, volume;
};

// Stands in for the system's audio mixer while it lives: YAudioMixer talks to this card instead.
// It is the mixer of wave-input device `waveInDevice`: destination 0 plays to the speakers,
// destination 1 records from `inputs`, each with a volume control, through an optional input
// selector (of type `selectorType`, 0 for none) whose items stand for the inputs of `entries`. It
// checks every call as a real mixer does (record sizes, handle, flags, item counts).
struct SimulatedMixer {
    SimulatedMixer(std::vector<SimulatedInput> inputs, DWORD selectorType, std::vector<DWORD> entries,
                   std::vector<DWORD> selection);
    ~SimulatedMixer();
    std::vector<DWORD> Volumes() const;

    std::vector<SimulatedInput> inputs;
    DWORD selectorType;
    std::vector<DWORD> entries, selection;  // the selector's items and their values
    UINT waveInDevice = 0;
    bool listTextFails = false;  // reading the selector's item texts fails after they were written
    bool volumesGone = false;    // the volume controls are not found any more
    bool isOpen = false;
    int writes = 0;
};
