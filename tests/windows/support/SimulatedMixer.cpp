#include "SimulatedMixer.hpp"

#include <algorithm>

#include "YAudioMixer.hpp"

namespace {

constexpr UINT MixerId = 3;
constexpr DWORD ObjectTypeMask = 0xF0000000;
constexpr DWORD SpeakerLine = 0xA0, RecordingLine = 0xB0, FirstInputLine = 0x100;
constexpr DWORD SelectorControl = 1, FirstVolumeControl = 0x200;

SimulatedMixer* current = nullptr;

HMIXER Handle() { return reinterpret_cast<HMIXER>(current); }

bool Valid(HMIXEROBJ mixer, DWORD flags) {
    return current->isOpen && reinterpret_cast<HMIXER>(mixer) == Handle() && (flags & ObjectTypeMask) == MIXER_OBJECTF_HMIXER;
}

MMRESULT WINAPI GetId(HMIXEROBJ device, UINT* id, DWORD flags) {
    if (flags != MIXER_OBJECTF_WAVEIN || reinterpret_cast<UINT_PTR>(device) != current->waveInDevice) return MMSYSERR_NODRIVER;
    *id = MixerId;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Open(LPHMIXER mixer, UINT id, DWORD_PTR, DWORD_PTR, DWORD flags) {
    if (id != MixerId || flags != CALLBACK_NULL) return MMSYSERR_BADDEVICEID;
    current->isOpen = true;
    *mixer = Handle();
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Close(HMIXER mixer) {
    if (mixer != Handle()) return MMSYSERR_INVALHANDLE;
    current->isOpen = false;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Caps(UINT_PTR id, LPMIXERCAPSA caps, UINT size) {
    if (id != MixerId || size != sizeof *caps) return MMSYSERR_BADDEVICEID;
    *caps = {};
    caps->cDestinations = 2;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI LineInfo(HMIXEROBJ mixer, LPMIXERLINEA line, DWORD flags) {
    if (!Valid(mixer, flags) || line->cbStruct != sizeof *line) return MMSYSERR_INVALPARAM;
    const auto& inputs = current->inputs;
    DWORD query = flags & MIXER_GETLINEINFOF_QUERYMASK;
    if (query == MIXER_GETLINEINFOF_DESTINATION && line->dwDestination < 2) {
        bool recording = line->dwDestination == 1;
        line->dwComponentType = recording ? MIXERLINE_COMPONENTTYPE_DST_WAVEIN : MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
        line->dwLineID = recording ? RecordingLine : SpeakerLine;
        line->cConnections = recording ? static_cast<DWORD>(inputs.size()) : 0;
        return MMSYSERR_NOERROR;
    }
    if (query == MIXER_GETLINEINFOF_SOURCE && line->dwDestination == 1 && line->dwSource < inputs.size()) {
        line->dwComponentType = inputs[line->dwSource].type;
        line->dwLineID = FirstInputLine + line->dwSource;
        return MMSYSERR_NOERROR;
    }
    return MIXERR_INVALLINE;
}

MMRESULT WINAPI Controls(HMIXEROBJ mixer, LPMIXERLINECONTROLSA query, DWORD flags) {
    if (!Valid(mixer, flags) || (flags & MIXER_GETLINECONTROLSF_QUERYMASK) != MIXER_GETLINECONTROLSF_ONEBYTYPE ||
        query->cControls != 1 || query->cbmxctrl != sizeof(MIXERCONTROLA))
        return MMSYSERR_INVALPARAM;
    MIXERCONTROLA& control = *query->pamxctrl;
    DWORD input = query->dwLineID - FirstInputLine;
    if (query->dwLineID == RecordingLine && current->selectorType && query->dwControlType == current->selectorType) {
        control.dwControlID = SelectorControl;
        control.fdwControl = MIXERCONTROL_CONTROLF_UNIFORM | MIXERCONTROL_CONTROLF_MULTIPLE;
        control.cMultipleItems = static_cast<DWORD>(current->entries.size());
    } else if (input < current->inputs.size() && query->dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME && !current->volumesGone) {
        control.dwControlID = FirstVolumeControl + input;
        control.fdwControl = MIXERCONTROL_CONTROLF_UNIFORM;
        control.cMultipleItems = 0;
    } else {
        return MIXERR_INVALCONTROL;
    }
    control.dwControlType = query->dwControlType;
    return MMSYSERR_NOERROR;
}

// The values a details call reaches; null when the call is not a valid one.
DWORD* Values(HMIXEROBJ mixer, const MIXERCONTROLDETAILS* details, DWORD flags, DWORD itemSize) {
    if (!Valid(mixer, flags) || details->cbStruct != sizeof *details || details->cChannels != 1 || details->cbDetails != itemSize)
        return nullptr;
    if (details->dwControlID == SelectorControl && details->cMultipleItems == current->entries.size())
        return current->selection.data();
    DWORD input = details->dwControlID - FirstVolumeControl;
    if (input < current->inputs.size() && details->cMultipleItems == 0) return &current->inputs[input].volume;
    return nullptr;
}

MMRESULT WINAPI GetDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags) {
    if ((flags & MIXER_GETCONTROLDETAILSF_QUERYMASK) == MIXER_GETCONTROLDETAILSF_LISTTEXT) {
        if (!Values(mixer, details, flags, sizeof(MIXERCONTROLDETAILS_LISTTEXTA))) return MMSYSERR_INVALPARAM;
        auto* texts = static_cast<MIXERCONTROLDETAILS_LISTTEXTA*>(details->paDetails);
        for (size_t i = 0; i < current->entries.size(); ++i) texts[i] = {0, current->entries[i], "input"};
        return current->listTextFails ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
    }
    DWORD* values = Values(mixer, details, flags, sizeof(DWORD));
    if (!values) return MMSYSERR_INVALPARAM;
    std::copy(values, values + std::max<DWORD>(details->cMultipleItems, 1), static_cast<DWORD*>(details->paDetails));
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SetDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags) {
    DWORD* values = Values(mixer, details, flags, sizeof(DWORD));
    if (!values) return MMSYSERR_INVALPARAM;
    const auto* written = static_cast<const DWORD*>(details->paDetails);
    std::copy(written, written + std::max<DWORD>(details->cMultipleItems, 1), values);
    ++current->writes;
    return MMSYSERR_NOERROR;
}

const YAudioMixerFunctions table = {GetId, Open, Close, Caps, LineInfo, Controls, GetDetails, SetDetails};

}  // namespace

SimulatedMixer::SimulatedMixer(std::vector<SimulatedInput> inputs, DWORD selectorType, std::vector<DWORD> entries,
                               std::vector<DWORD> selection)
    : inputs(std::move(inputs)), selectorType(selectorType), entries(std::move(entries)), selection(std::move(selection)) {
    current = this;
    YAudioMixer::SetFunctions(&table);
}

SimulatedMixer::~SimulatedMixer() {
    YAudioMixer::SetFunctions(nullptr);
    current = nullptr;
}

std::vector<DWORD> SimulatedMixer::Volumes() const {
    std::vector<DWORD> volumes;
    for (const SimulatedInput& input : inputs) volumes.push_back(input.volume);
    return volumes;
}
