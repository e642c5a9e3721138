#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "YArray.hpp"

// The mixer services that YAudioMixer uses, one pointer each. The default table holds the
// system's functions; a test installs its own to stand in for a sound card's mixer.
struct YAudioMixerFunctions {
    MMRESULT(WINAPI* getId)(HMIXEROBJ object, UINT* mixerId, DWORD flags);
    MMRESULT(WINAPI* open)(LPHMIXER mixer, UINT mixerId, DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
    MMRESULT(WINAPI* close)(HMIXER mixer);
    MMRESULT(WINAPI* getDevCaps)(UINT_PTR mixerId, LPMIXERCAPSA caps, UINT capsSize);
    MMRESULT(WINAPI* getLineInfo)(HMIXEROBJ mixer, LPMIXERLINEA line, DWORD flags);
    MMRESULT(WINAPI* getLineControls)(HMIXEROBJ mixer, LPMIXERLINECONTROLSA controls, DWORD flags);
    MMRESULT(WINAPI* getControlDetails)(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);
    MMRESULT(WINAPI* setControlDetails)(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);
};

// One device of the system's audio mixer. It walks to a destination line and one of its source
// lines by component type, finds a control of a type on the line it stands on, and reads and
// writes that control's unsigned values: one value for all channels, or one per item of a list
// control. The mixer's failures come back as false; only misuse of the value operations throws.
class YAudioMixer {
public:
    static constexpr const char* SourceFile = "Cpp/YAudioMixer";
    static constexpr int LineGetValue = 217;
    static constexpr int LineSetValue = 276;
    static constexpr int LineSetValues = 311;

    YAudioMixer();
    virtual ~YAudioMixer();
    YAudioMixer(const YAudioMixer&) = delete;
    YAudioMixer& operator=(const YAudioMixer&) = delete;

    // Opens the mixer that belongs to `objectId` as `flags` describe it (MIXER_OBJECTF_WAVEIN: a
    // wave-input device index).
    bool Open(unsigned objectId, unsigned flags);
    // Opens mixer `id` without notifications; callers close an open mixer first.
    bool OpenById(unsigned id);
    void Close();
    bool IsOpen() const { return handle != nullptr; }

    // The line that FindControl searches becomes the destination, or the source, found.
    bool SelectDestination(unsigned componentType);
    bool SelectSource(unsigned destinationType, unsigned sourceType);
    // The one control of that type on the selected line; a failed search keeps the control
    // found before.
    bool FindControl(unsigned controlType);

    // The control's value for all channels at once; a control with several items throws.
    bool GetValue(unsigned& value);
    bool SetValue(unsigned value);
    // One value per item of a list control (one for any other control). SetValues throws when
    // `values` does not hold exactly that many.
    bool GetValues(YArray<unsigned>& values);
    bool SetValues(const YArray<unsigned>& values);
    // The first item of the list control that stands for an input of `componentType`; false when
    // none does or the item texts cannot be read.
    bool FindListItem(unsigned componentType, unsigned& index);

    // Replaces the mixer services; null restores the system's.
    static void SetFunctions(const YAudioMixerFunctions* functions);

private:
    HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(handle); }
    bool HasItems() const { return (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) != 0; }
    int ItemCount() const { return HasItems() ? static_cast<int>(control.cMultipleItems) : 1; }
    bool FindSource(unsigned sourceType);
    MIXERCONTROLDETAILS Details(void* items, DWORD itemSize) const;
    bool ReadDetails(void* items, DWORD itemSize, DWORD query);
    bool WriteDetails(const void* items);

    HMIXER handle = nullptr;
    unsigned mixerId = static_cast<unsigned>(-1);
    MIXERLINEA destinationLine;
    MIXERLINEA sourceLine;
    MIXERCONTROLA control;
    unsigned lineId = static_cast<unsigned>(-1);
};
