#include "SimulatedMixer.hpp"

#include <algorithm>

#include "YAudioMixer.hpp"

namespace {

constexpr UINT MixerId = 3;
SimulatedMixer* card = nullptr;

bool Ours(HMIXEROBJ mixer, DWORD flags) {
    return card->isOpen && mixer == reinterpret_cast<HMIXEROBJ>(card) && (flags & 0xF0000000) == MIXER_OBJECTF_HMIXER;
}

MMRESULT WINAPI GetId(HMIXEROBJ device, UINT* id, DWORD flags) {
    *id = MixerId;
    return flags == MIXER_OBJECTF_WAVEIN && reinterpret_cast<UINT_PTR>(device) == card->waveInDevice ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
}

MMRESULT WINAPI Open(LPHMIXER mixer, UINT id, DWORD_PTR callback, DWORD_PTR user, DWORD flags) {
    if (id != MixerId || callback || user || flags != CALLBACK_NULL) return MMSYSERR_BADDEVICEID;
    card->isOpen = true;
    *mixer = reinterpret_cast<HMIXER>(card);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Close(HMIXER mixer) {
    card->isOpen = card->isOpen && mixer != reinterpret_cast<HMIXER>(card);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Caps(UINT_PTR id, LPMIXERCAPSA caps, UINT size) {
    caps->cDestinations = 2;
    return id == MixerId && size == sizeof *caps ? MMSYSERR_NOERROR : MMSYSERR_BADDEVICEID;
}

// Line ids: destination d is line d, input i is line 2 + i.
MMRESULT WINAPI LineInfo(HMIXEROBJ mixer, LPMIXERLINEA line, DWORD flags) {
    const DWORD query = flags & MIXER_GETLINEINFOF_QUERYMASK, d = line->dwDestination, s = line->dwSource;
    const bool destination = query == MIXER_GETLINEINFOF_DESTINATION && d < 2;
    const bool source = query == MIXER_GETLINEINFOF_SOURCE && d == 1 && s < card->inputs.size();
    if (!Ours(mixer, flags) || line->cbStruct != sizeof *line || !(destination || source)) return MIXERR_INVALLINE;
    line->dwLineID = destination ? d : 2 + s;
    line->dwComponentType = source ? card->inputs[s].type
                            : d    ? MIXERLINE_COMPONENTTYPE_DST_WAVEIN
                                   : MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    line->cConnections = destination && d ? static_cast<DWORD>(card->inputs.size()) : 0;
    return MMSYSERR_NOERROR;
}

// Control ids: the selector is control 0, the volume of input i control 1 + i.
MMRESULT WINAPI Controls(HMIXEROBJ mixer, LPMIXERLINECONTROLSA query, DWORD flags) {
    const DWORD input = query->dwLineID - 2, type = query->dwControlType;
    const bool selector = query->dwLineID == 1 && type == card->selectorType;
    const bool volume = input < card->inputs.size() && type == MIXERCONTROL_CONTROLTYPE_VOLUME && !card->volumesGone;
    if (!Ours(mixer, flags) || (flags & MIXER_GETLINECONTROLSF_QUERYMASK) != MIXER_GETLINECONTROLSF_ONEBYTYPE ||
        query->cControls != 1 || query->cbmxctrl != sizeof(MIXERCONTROLA) || !(selector || volume))
        return MIXERR_INVALCONTROL;
    const DWORD items = selector ? static_cast<DWORD>(card->entries.size()) : 0;
    const DWORD multiple = items ? MIXERCONTROL_CONTROLF_MULTIPLE : 0;
    *query->pamxctrl = {sizeof(MIXERCONTROLA), selector ? 0 : 1 + input, type, multiple, items};
    return MMSYSERR_NOERROR;
}

// Reads or writes a control's values (the selection, or an input's volume), or reads the selector's
// item texts.
MMRESULT Details(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags, bool write) {
    const DWORD id = details->dwControlID, items = details->cMultipleItems;
    const bool texts = (flags & MIXER_GETCONTROLDETAILSF_QUERYMASK) == MIXER_GETCONTROLDETAILSF_LISTTEXT && !write;
    DWORD* values = id == 0 && items == card->entries.size()    ? card->selection.data()
                    : id && id <= card->inputs.size() && !items ? &card->inputs[id - 1].volume
                                                                : nullptr;
    if (!Ours(mixer, flags) || !values || details->cbStruct != sizeof *details || details->cChannels != 1 ||
        details->cbDetails != (texts ? sizeof(MIXERCONTROLDETAILS_LISTTEXTA) : sizeof(DWORD)))
        return MMSYSERR_INVALPARAM;
    if (texts) {
        auto* names = static_cast<MIXERCONTROLDETAILS_LISTTEXTA*>(details->paDetails);
        for (DWORD i = 0; i < items; ++i) names[i] = {0, card->entries[i], "input"};
        return card->listTextFails ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
    }
    auto* data = static_cast<DWORD*>(details->paDetails);
    DWORD* from = write ? data : values;
    std::copy(from, from + std::max<DWORD>(items, 1), write ? values : data);
    card->writes += write;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI GetDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS d, DWORD flags) { return Details(mixer, d, flags, false); }
MMRESULT WINAPI SetDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS d, DWORD flags) { return Details(mixer, d, flags, true); }

const YAudioMixerFunctions table = {GetId, Open, Close, Caps, LineInfo, Controls, GetDetails, SetDetails};

}  // namespace

SimulatedMixer::SimulatedMixer(std::vector<SimulatedInput> inputs, DWORD selectorType, std::vector<DWORD> entries,
                               std::vector<DWORD> selection)
    : inputs(std::move(inputs)), selectorType(selectorType), entries(std::move(entries)), selection(std::move(selection)) {
    card = this;
    YAudioMixer::SetFunctions(&table);
}

SimulatedMixer::~SimulatedMixer() { YAudioMixer::SetFunctions(nullptr); }

std::vector<DWORD> SimulatedMixer::Volumes() const {
    std::vector<DWORD> volumes;
    for (const SimulatedInput& input : inputs) volumes.push_back(input.volume);
    return volumes;
}
