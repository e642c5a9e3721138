#include "YAudioMixer.hpp"

#include <cstring>

#include "YSystemException.hpp"

// The records keep the system's layout; on the 32-bit platform that is 168 and 148 bytes.
#ifndef _WIN64
static_assert(sizeof(MIXERLINEA) == 168, "a mixer line record of the 32-bit platform");
static_assert(sizeof(MIXERCONTROLA) == 148, "a mixer control record of the 32-bit platform");
#endif

namespace {

const YAudioMixerFunctions systemFunctions = {
    mixerGetID,           mixerOpen,          mixerClose,         mixerGetDevCapsA,       mixerGetLineInfoA,
    mixerGetLineControlsA, mixerGetControlDetailsA, mixerSetControlDetails,
};

const YAudioMixerFunctions* mixer = &systemFunctions;

[[noreturn]] void Misuse(int line) {
    throw YSystemException(YSystemException::KindIllegalParameter, line, YAudioMixer::SourceFile);
}

}  // namespace

void YAudioMixer::SetFunctions(const YAudioMixerFunctions* functions) { mixer = functions ? functions : &systemFunctions; }

YAudioMixer::YAudioMixer() {
    std::memset(&destinationLine, 0, sizeof destinationLine);
    std::memset(&sourceLine, 0, sizeof sourceLine);
    std::memset(&control, 0, sizeof control);
}

YAudioMixer::~YAudioMixer() { Close(); }

bool YAudioMixer::Open(unsigned objectId, unsigned flags) {
    UINT id = 0;
    if (mixer->getId(reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(objectId)), &id, flags) != MMSYSERR_NOERROR)
        return false;
    return OpenById(id);
}

bool YAudioMixer::OpenById(unsigned id) {
    mixerId = id;
    HMIXER opened = nullptr;
    if (mixer->open(&opened, id, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
    handle = opened;
    return true;
}

void YAudioMixer::Close() {
    if (!handle) return;
    mixer->close(handle);
    handle = nullptr;
    mixerId = static_cast<unsigned>(-1);
}

bool YAudioMixer::SelectDestination(unsigned componentType) {
    MIXERCAPSA caps;
    if (mixer->getDevCaps(mixerId, &caps, sizeof caps) != MMSYSERR_NOERROR) return false;
    for (DWORD d = 0; d < caps.cDestinations; ++d) {
        destinationLine.cbStruct = sizeof destinationLine;
        destinationLine.dwDestination = d;
        if (mixer->getLineInfo(Object(), &destinationLine, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION) !=
            MMSYSERR_NOERROR)
            return false;
        if (destinationLine.dwComponentType == componentType) {
            lineId = destinationLine.dwLineID;
            return true;
        }
    }
    return false;
}

bool YAudioMixer::SelectSource(unsigned destinationType, unsigned sourceType) {
    return SelectDestination(destinationType) && FindSource(sourceType);
}

// Among the source lines connected to the destination found last.
bool YAudioMixer::FindSource(unsigned sourceType) {
    for (DWORD s = 0; s < destinationLine.cConnections; ++s) {
        sourceLine.cbStruct = sizeof sourceLine;
        sourceLine.dwDestination = destinationLine.dwDestination;
        sourceLine.dwSource = s;
        if (mixer->getLineInfo(Object(), &sourceLine, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) != MMSYSERR_NOERROR)
            return false;
        if (sourceLine.dwComponentType == sourceType) {
            lineId = sourceLine.dwLineID;
            return true;
        }
    }
    return false;
}

bool YAudioMixer::FindControl(unsigned controlType) {
    MIXERCONTROLA found;
    std::memset(&found, 0, sizeof found);
    found.cbStruct = sizeof found;
    MIXERLINECONTROLSA query = {};
    query.cbStruct = sizeof query;
    query.dwLineID = lineId;
    query.dwControlType = controlType;
    query.cControls = 1;
    query.cbmxctrl = sizeof found;
    query.pamxctrl = &found;
    if (mixer->getLineControls(Object(), &query, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR)
        return false;
    control = found;
    return true;
}

bool YAudioMixer::GetValue(unsigned& value) {
    if (HasItems()) Misuse(LineGetValue);
    MIXERCONTROLDETAILS_UNSIGNED item = {};
    if (!ReadDetails(&item, sizeof item, MIXER_GETCONTROLDETAILSF_VALUE)) return false;
    value = item.dwValue;
    return true;
}

bool YAudioMixer::SetValue(unsigned value) {
    if (HasItems()) Misuse(LineSetValue);
    MIXERCONTROLDETAILS_UNSIGNED item = {value};
    return WriteDetails(&item);
}

bool YAudioMixer::GetValues(YArray<unsigned>& values) {
    values.SetSize(ItemCount());
    return ReadDetails(values.Data(), sizeof(MIXERCONTROLDETAILS_UNSIGNED), MIXER_GETCONTROLDETAILSF_VALUE);
}

bool YAudioMixer::SetValues(const YArray<unsigned>& values) {
    if (values.Count() != ItemCount()) Misuse(LineSetValues);
    return WriteDetails(values.Data());
}

bool YAudioMixer::FindListItem(unsigned componentType, unsigned& index) {
    YArray<MIXERCONTROLDETAILS_LISTTEXTA> items;
    items.SetSize(ItemCount());
    // Texts that could not be read say nothing about the items.
    if (!ReadDetails(items.Data(), sizeof(MIXERCONTROLDETAILS_LISTTEXTA), MIXER_GETCONTROLDETAILSF_LISTTEXT)) return false;
    for (int i = 0; i < items.Count(); ++i) {
        if (items[i].dwParam2 == componentType) {
            index = static_cast<unsigned>(i);
            return true;
        }
    }
    return false;
}

// The items of `control` for one channel: as many as the control has, or one value for a
// control without items.
MIXERCONTROLDETAILS YAudioMixer::Details(void* items, DWORD itemSize) const {
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = 1;
    details.cMultipleItems = HasItems() ? control.cMultipleItems : 0;
    details.cbDetails = itemSize;
    details.paDetails = items;
    return details;
}

bool YAudioMixer::ReadDetails(void* items, DWORD itemSize, DWORD query) {
    MIXERCONTROLDETAILS details = Details(items, itemSize);
    return mixer->getControlDetails(Object(), &details, MIXER_OBJECTF_HMIXER | query) == MMSYSERR_NOERROR;
}

bool YAudioMixer::WriteDetails(const void* items) {
    MIXERCONTROLDETAILS details = Details(const_cast<void*>(items), sizeof(MIXERCONTROLDETAILS_UNSIGNED));
    return mixer->setControlDetails(Object(), &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
           MMSYSERR_NOERROR;
}
