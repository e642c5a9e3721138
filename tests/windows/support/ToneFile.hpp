#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The sound that the test-audio daemon plays to the wave-input device "Monitor of ToneSink".

using Samples = std::vector<std::int16_t>;

// The samples of a 16-bit mono WAV file (a Unix path, as the test scripts give it); empty when it
// cannot be read.
Samples ReadWave(std::string path);

// The file that plays now (TEST_AUDIO_TONE), empty while the device hears silence.
std::string PlayingTone();

// The index of the wave-input device "Monitor of ToneSink"; -1 when there is none.
int ToneDevice();
// Dispatches the messages of this thread until `done` holds or `seconds` have passed.
void DispatchUntil(const std::function<bool()>& done, double seconds);

// Records from the device "Monitor of ToneSink" with `capture` (a YWaveIn or the tuner's analyzer:
// opened, started, and at the end closed) until `done` holds or `seconds` have passed. Empty, or
// why it could not record.
template <class Capture>
std::string RecordTone(Capture& capture, const std::function<bool()>& done, double seconds) {
    int device = ToneDevice();
    if (device < 0) return "no device \"Monitor of ToneSink\"; is the test-audio daemon running?";
    if (!capture.Open(static_cast<unsigned>(device))) return capture.GetErrorText();
    capture.Start();
    DispatchUntil(done, seconds);
    capture.Close();
    return "";
}

// Where `block` starts in the looping `tone`, or -1 when it is nowhere in it.
//
// The private sound server now and then repeats or drops a few milliseconds of a stream while it
// mixes (seen here on an idle machine as well as a loaded one), and a block that holds such a
// seam is no piece of the file. Captures therefore require most blocks, not all, to be pieces of
// the file, and report the others; a capture path that changed samples would match none.
long OffsetIn(const Samples& tone, const Samples& block);

// A monotonic clock in seconds.
double Seconds();

// Whether enough of `checked` blocks were found in the tone file despite the server's seams.
inline bool MostBlocksMatched(int matched, int checked) { return 2 * matched > checked; }
