#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <vector>

// The component types of the inputs a simulated card has.
constexpr DWORD Line = MIXERLINE_COMPONENTTYPE_SRC_LINE;
constexpr DWORD Mic = MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
constexpr DWORD Aux = MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY;
constexpr DWORD Cd = MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC;

struct SimulatedInput {
    DWORD type;
    DWORD volume;
};

// Stands in for the system's audio mixer while it lives: YAudioMixer talks to this card instead.
// It is the mixer of wave-input device `waveInDevice`: destination 0 plays to the speakers,
// destination 1 records from `inputs`, each with a volume control, through an optional input
// selector whose items stand for the inputs of `entries`. Every call is checked as a real mixer
// checks it (record sizes, handle, flags, item counts).
class SimulatedMixer {
public:
    SimulatedMixer(std::vector<SimulatedInput> inputs, DWORD selectorType, std::vector<DWORD> entries,
                   std::vector<DWORD> selection);
    ~SimulatedMixer();
    SimulatedMixer(const SimulatedMixer&) = delete;
    SimulatedMixer& operator=(const SimulatedMixer&) = delete;

    UINT waveInDevice = 0;
    std::vector<SimulatedInput> inputs;
    DWORD selectorType;  // a selector control type; 0 for none
    std::vector<DWORD> entries;
    std::vector<DWORD> selection;  // the selector's values, one per entry
    // Reading the selector's item texts fails after they were written.
    bool listTextFails = false;
    // The volume controls are not found any more.
    bool volumesGone = false;

    // What the program did.
    int writes = 0;
    bool isOpen = false;

    std::vector<DWORD> Volumes() const;
};
