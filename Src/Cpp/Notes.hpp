#pragma once

class YString;

// Notes are counted in semitones from the root note A4 (offset 0); names use sharps and octave
// numbers that change between B and C.

// The note names from A upwards; the 13th entry, A again, is where the negative multiples of 12
// land.
extern const char* const NoteNameTable[13];

// Flags of NoteName.
constexpr unsigned NOTE_OCTAVE = 2;
constexpr unsigned NOTE_NAME = 4;

// root * 2^(semitones / 12).
double NoteFrequency(int semitones, double root);

// Replaces `out` by the note's name (NOTE_NAME), followed by its octave number (NOTE_OCTAVE), for
// example "E2", "A#" or "-1".
void NoteName(int semitones, YString& out, unsigned flags);
