#!/usr/bin/env python3
# fretlark-listen end to end under Wine, recording from "Monitor of ToneSink" of the test-audio daemon.
#
# usage: fretlark_listen_test.py LISTEN TEST_AUDIO AUDIO_DIR SOUND RUNNER...
#
# The run starts on the steady tone that plays, and after its first line the test switches the
# daemon to SOUND: four tones, one after another, and silence.
import os
import subprocess
import sys
import unittest

HEADER = "block,time_s,input_level,signal_level,raw_hz,measured_hz,note,string,harmonic,cents"
# The note of a line within 1 Hz of a tone of the sound, with Automatic Note.
NOTES = {82.41: "E2", 110: "A2", 440: "A4", 1000: "B5"}


def listen(*args, env=None):
    return subprocess.Popen(RUNNER + [LISTEN] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)


class ListenTest(unittest.TestCase):
    def test_fast_updates_precise_pitch_and_automatic_note_on_tones_and_silence(self):
        run = listen("--device", "1", "--seconds", "10", "--hop", "1024", "--precise", "--mode", "chromatic", "--auto-note")
        lines = [run.stdout.readline().rstrip("\n") for _ in range(3)]
        subprocess.run(SWITCH, check=True)
        out, errors = run.communicate()
        lines += out.splitlines()
        self.assertEqual(0, run.returncode, errors)
        self.assertEqual(["# device 1: Monitor of ToneSink", HEADER], lines[:2])
        rows = [line.split(",") for line in lines[2:]]
        # Blocks without a clear fundamental (the silence) print no line but keep their numbers.
        numbers = [int(row[0]) for row in rows]
        self.assertEqual(0, numbers[0])
        self.assertEqual(sorted(set(numbers)), numbers)
        self.assertGreater(numbers[-1] + 1, len(numbers), "no block of the silence was left out")
        seen = set()
        for row in rows:
            self.assertEqual("%.6f" % (int(row[0]) * 1024 / 11025), row[1], row)
            self.assertEqual(row[4], row[5], "without calibration the measured frequency is the raw one")
            for tone, note in NOTES.items():
                if abs(float(row[4]) - tone) < 1:
                    self.assertEqual([note, "", "1"], row[6:9], row)
                    seen.add(tone)
        self.assertEqual(set(NOTES), seen)

    def test_usage_and_what_is_refused(self):
        run = listen("--help")
        usage = run.communicate()[0].splitlines()
        self.assertEqual((0, "usage: fretlark-listen [options]"), (run.returncode, usage[0]))
        nowhere = dict(os.environ, PULSE_SERVER="unix:/nonexistent")  # no sound server: no device opens
        for args, env, message in ((["--seconds", "1"], nowhere, r"can't open wave-input device 0: .*\S"),
                                   (["--seconds", "0"], None, r"--seconds must be .*")):
            run = listen(*args, env=env)
            out, errors = run.communicate()
            self.assertEqual((2, ""), (run.returncode, out))
            self.assertRegex(errors, "^fretlark-listen: " + message + "\n$")


if __name__ == "__main__":
    if len(sys.argv) < 6:
        sys.exit("usage: fretlark_listen_test.py LISTEN TEST_AUDIO AUDIO_DIR SOUND RUNNER...")
    LISTEN, audio, directory, sound, *RUNNER = sys.argv[1:]
    SWITCH = [audio, "play", directory, sound]
    unittest.main(argv=sys.argv[:1], verbosity=2)
