#include "Notes.hpp"

#include <cmath>

#include "YString.hpp"

const char* const NoteNameTable[13] = {"A", "A#", "B", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A"};

double NoteFrequency(int semitones, double root) { return root * std::exp(std::log(2.0) * semitones / 12); }

void NoteName(int semitones, YString& out, unsigned flags) {
    out.SetLength(0);
    // Wide arithmetic: the octave's offsets must not overflow at the ends of the int range.
    const long long n = semitones;
    if (flags & NOTE_NAME) {
        const long long index = n >= 0 ? n % 12 : n % 12 + 12;
        out += NoteNameTable[index];
    }
    if (flags & NOTE_OCTAVE) {
        const long long octave = n >= 0 ? (n + 9) / 12 : (n - 2) / 12;
        out.AppendFormat("%1d", static_cast<int>(octave + 4));
    }
}
