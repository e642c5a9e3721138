#!/usr/bin/env python3
"""fretlark-listen end to end, under Wine, while the test-audio daemon plays a tone to the device
"Monitor of ToneSink" (TEST_AUDIO_TONE names the file; empty for silence).

usage: fretlark_listen_test.py LISTEN ANALYZE RUNNER... --case CASE

A tone case captures a few blocks and compares each with what fretlark-analyze reports for the
same tone file: the samples arrive unchanged, so the raw frequency must lie within 0.01 Hz of the
file's (a captured block may start anywhere in the file, and the frequency moves a little with the
phase), and the note, string and harmonic must be those the tone stands for.
"""
import os
import subprocess
import sys
import unittest

HEADER = "block,time_s,input_level,signal_level,raw_hz,measured_hz,note,string,harmonic,cents"
TONE_DEVICE = 1  # "Monitor of ToneSink"; device 0 is the daemon's default source
SILENT_BLOCK_HZ = "2753.558350"  # bin 1023 without interpolation: every magnitude is 0

# case: (options, note, string, harmonic)
TONES = {
    "low-e": ([], "E2", "0", "1"),
    "a-string": ([], "A2", "1", "1"),
    "a4": (["--mode", "chromatic", "--note", "0"], "A4", "", "1"),
    "1k": (["--mode", "chromatic", "--note", "2"], "B4", "", "2"),
    # Fast updates: a result for every 1024 samples, each for the latest 4096.
    "a-string-fast": (["--hop", "1024"], "A2", "1", "1"),
}

LISTEN = ANALYZE = None
RUNNER = []
CASE = None


def run(program, *args):
    result = subprocess.run(RUNNER + [program] + list(args), capture_output=True, text=True, timeout=90)
    lines = [line.rstrip("\r") for line in result.stdout.splitlines()]
    errors = [line.rstrip("\r") for line in result.stderr.splitlines() if line.strip()]
    return result.returncode, lines, errors


def rows(lines):
    return [line.split(",") for line in lines]


class ListenTest(unittest.TestCase):
    def listen(self, *options, seconds="3"):
        hop = int(options[options.index("--hop") + 1]) if "--hop" in options else 4096
        code, lines, errors = run(LISTEN, "--device", str(TONE_DEVICE), "--seconds", seconds, *options)
        self.assertEqual(0, code, errors)
        self.assertEqual("# device %d: Monitor of ToneSink" % TONE_DEVICE, lines[0])
        self.assertEqual(HEADER, lines[1])
        blocks = rows(lines[2:])
        # The first block needs 4096 samples, then one follows every hop: with the default about
        # 2.7 a second, with fast updates about 10.8.
        self.assertGreaterEqual(len(blocks), (float(seconds) - 1) * 11025 / hop / 2, lines)
        for index, block in enumerate(blocks):
            self.assertEqual(10, len(block), block)
            self.assertEqual(str(index), block[0])
            self.assertEqual("%.6f" % (index * hop / 11025), block[1])
            self.assertEqual(block[4], block[5], "no calibration: measured equals raw")
        # The first block may still hold what the device had before the tone reached it.
        return blocks[1:]

    def test_case(self):
        getattr(self, "case_" + CASE.replace("-", "_"))()

    def tone_case(self):
        options, note, string, harmonic = TONES[CASE]
        tone = os.environ.get("TEST_AUDIO_TONE", "")
        self.assertTrue(tone, "no tone plays")
        code, lines, errors = run(ANALYZE, *options, tone)
        self.assertEqual(0, code, errors)
        expected = rows(lines[1:])
        self.assertGreater(len(expected), 10)
        frequencies = [float(row[4]) for row in expected]
        cents = [int(row[9]) for row in expected]
        for row in expected:
            self.assertEqual([note, string, harmonic], row[6:9], "the file itself")

        blocks = self.listen(*options)
        # The private sound server now and then repeats or drops a few milliseconds while it mixes,
        # and a block with such a seam may measure a little apart, in cents too; most blocks have none.
        near = [block for block in blocks if min(frequencies) - 0.01 <= float(block[4]) <= max(frequencies) + 0.01]
        self.assertGreater(2 * len(near), len(blocks), (frequencies, blocks))
        for block in blocks:
            self.assertEqual([note, string, harmonic], block[6:9], block)
        for block in near:
            self.assertGreaterEqual(int(block[9]), min(cents) - 1, block)
            self.assertLessEqual(int(block[9]), max(cents) + 1, block)

    case_low_e = case_a_string = case_a4 = case_1k = case_a_string_fast = tone_case

    def case_silence(self):
        self.assertEqual("", os.environ.get("TEST_AUDIO_TONE", ""))
        for block in self.listen():
            self.assertEqual(["0", "0", SILENT_BLOCK_HZ, SILENT_BLOCK_HZ], block[2:6], block)

    def refused(self, *args):
        code, lines, errors = run(LISTEN, *args)
        self.assertEqual(2, code, (args, lines, errors))
        self.assertEqual([], lines, args)
        self.assertEqual(1, len(errors), errors)
        self.assertTrue(errors[0].startswith("fretlark-listen: "), errors)
        return errors[0]

    def case_no_server(self):
        message = self.refused("--seconds", "1")
        self.assertRegex(message, r"^fretlark-listen: can't open wave-input device 0: \S")

    def case_bad_input(self):
        self.assertRegex(self.refused("--device", "9", "--seconds", "1"), r"can't open wave-input device 9: \S")
        for option in ("--device -1", "--device one", "--seconds 0", "--seconds nan", "--mode bass"):
            self.assertIn(option.split()[0], self.refused(*option.split()))
        self.assertIn("unknown option --volume", self.refused("--volume", "3"))
        self.assertIn("tone.wav", self.refused("tone.wav"))


if __name__ == "__main__":
    arguments = sys.argv[1:]
    if "--case" not in arguments or len(arguments) < 4:
        sys.exit(__doc__)
    at = arguments.index("--case")
    CASE = arguments[at + 1]
    LISTEN, ANALYZE, *RUNNER = arguments[:at]
    unittest.main(argv=[sys.argv[0]], verbosity=2)
