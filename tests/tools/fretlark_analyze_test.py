#!/usr/bin/env python3
"""Runs fretlark-analyze on generated WAV files and on each kind of bad input.

usage: fretlark_analyze_test.py PROGRAM [RUNNER...]
RUNNER, when given, is the command that runs PROGRAM (for example tools/wine-run STATE_DIR).
"""
import math
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import wave

PROGRAM = None
RUNNER = []
HEADER = "block,time_s,input_level,signal_level,raw_hz,measured_hz,note,string,harmonic,cents"
BLOCK = 4096
RATE = 11025


def run(*args):
    result = subprocess.run(RUNNER + [PROGRAM] + list(args), capture_output=True, text=True, timeout=120)
    lines = [line.rstrip("\r") for line in result.stdout.splitlines()]
    errors = [line.rstrip("\r") for line in result.stderr.splitlines() if line.strip()]
    return result.returncode, lines, errors


def tone_samples(frequency, count, amplitude=12000, phase=0.3):
    return [round(amplitude * math.sin(2 * math.pi * frequency * n / RATE + phase)) for n in range(count)]


class AnalyzeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.directory = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.directory.cleanup()

    def path(self, name):
        return os.path.join(self.directory.name, name)

    def write_wave(self, name, samples, rate=RATE, channels=1, width=2):
        path = self.path(name)
        with wave.open(path, "wb") as out:
            out.setnchannels(channels)
            out.setsampwidth(width)
            out.setframerate(rate)
            if width == 2:
                out.writeframes(struct.pack("<%dh" % len(samples), *samples))
            else:
                out.writeframes(bytes(samples))
        return path

    def write_bytes(self, name, data):
        path = self.path(name)
        with open(path, "wb") as out:
            out.write(data)
        return path

    @staticmethod
    def riff(chunks):
        body = b"WAVE" + b"".join(chunks)
        return b"RIFF" + struct.pack("<I", len(body)) + body

    @staticmethod
    def fmt(tag=1, channels=1, rate=RATE, bits=16):
        block_align = channels * bits // 8
        return b"fmt " + struct.pack("<IHHIIHH", 16, tag, channels, rate, rate * block_align, block_align, bits)

    def expect_refused(self, args, *words):
        code, lines, errors = run(*args)
        self.assertEqual(2, code, (args, lines, errors))
        self.assertEqual(1, len(errors), errors)
        self.assertTrue(errors[0].startswith("fretlark-analyze: "), errors)
        for word in words:
            self.assertIn(word, errors[0])
        self.assertEqual([], lines)

    def rows(self, *args):
        code, lines, errors = run(*args)
        self.assertEqual((0, []), (code, errors))
        self.assertEqual(HEADER, lines[0])
        return [line.split(",") for line in lines[1:]]

    def test_one_line_per_full_block_with_the_guitar_string(self):
        # Two and a half blocks of a low E string, slightly sharp: the half block is not analysed.
        path = self.write_wave("e2.wav", tone_samples(82.41 * 2 ** (10 / 1200), BLOCK * 5 // 2))
        rows = self.rows(path)
        self.assertEqual(["0", "1"], [row[0] for row in rows])
        self.assertEqual(["0.000000", "0.371519"], [row[1] for row in rows])
        for row in rows:
            self.assertEqual(10, len(row))
            self.assertEqual(["E2", "0", "1"], row[6:9])
            self.assertAlmostEqual(12000 * 2 / math.pi, int(row[2]), delta=60)
            self.assertAlmostEqual(82.89, float(row[5]), delta=1.4)
            self.assertEqual(row[4], row[5])

    def test_options_choose_mode_target_root_calibration_and_tuning(self):
        path = self.write_wave("a4.wav", tone_samples(440.0, BLOCK))
        [row] = self.rows("--mode", "chromatic", "--note", "0", path)
        self.assertEqual(["A4", "", "1", "0"], row[6:])
        # An octave below the tone, so it is taken as the second harmonic.
        [row] = self.rows("--mode=chromatic", "--note=-12", path)
        self.assertEqual(["A3", "", "2", "0"], row[6:])
        # Against a root of 445 Hz the same tone is about 20 cents flat.
        [row] = self.rows("--mode", "chromatic", "--root", "445", path)
        self.assertEqual(["A4", "", "1", "-20"], row[6:])
        [row] = self.rows("--calibration", "1.5", "--mode", "chromatic", path)
        self.assertAlmostEqual(float(row[4]) * 1.5, float(row[5]), places=5)
        self.assertEqual(["A4", "", "2", "-498"], row[6:])  # 660 Hz: half of it is 4.98 semitones below A4
        # A string chosen by hand stays chosen, however far the tone lies from it.
        [row] = self.rows("--string", "2", path)
        self.assertEqual(["D3", "2", "1", "1900"], row[6:])
        [row] = self.rows("--tuning", "-29,-24,-19,-14,-10,0", path)
        self.assertEqual(["A4", "5", "1", "0"], row[6:])

    def test_matching_carries_over_blocks_at_or_below_10_hz(self):
        # With the calibration at 0.5, a 13 Hz block is measured below 10 Hz and keeps the match
        # of the 220 Hz block before it (the A string's octave).
        samples = tone_samples(440.0, BLOCK) + tone_samples(13.0, BLOCK, amplitude=20000)
        path = self.write_wave("carry.wav", samples)
        first, second = self.rows("--calibration", "0.5", path)
        self.assertLess(float(second[5]), 10)
        self.assertEqual(["A2", "1", "2"], first[6:9])
        self.assertEqual(first[6:], second[6:])

    def test_file_without_a_full_block_prints_the_header_only(self):
        for name, count in (("short.wav", BLOCK - 1), ("empty.wav", 0)):
            code, lines, errors = run(self.write_wave(name, tone_samples(440, count)))
            self.assertEqual((0, [HEADER], []), (code, lines, errors))

    def test_unreadable_or_foreign_files_are_refused(self):
        self.expect_refused([self.path("missing.wav")], "cannot open", "missing.wav")
        self.expect_refused([self.directory.name])
        self.expect_refused([self.write_bytes("text.wav", b"this is not a wave file at all")], "not a RIFF/WAVE")
        self.expect_refused([self.write_bytes("tiny.wav", b"RIFF")], "not a RIFF/WAVE")

    def test_other_formats_are_refused(self):
        self.expect_refused([self.write_wave("stereo.wav", [0] * 2 * BLOCK, channels=2)], "unsupported format")
        self.expect_refused([self.write_wave("8bit.wav", [128] * BLOCK, width=1)], "unsupported format")
        self.expect_refused([self.write_wave("44k.wav", [0] * BLOCK, rate=44100)], "unsupported format")
        data = b"data" + struct.pack("<I", 8) + bytes(8)
        self.expect_refused([self.write_bytes("float.wav", self.riff([self.fmt(tag=3, bits=32), data]))], "unsupported format")
        self.expect_refused([self.write_bytes("nofmt.wav", self.riff([data]))], "no fmt chunk")
        self.expect_refused([self.write_bytes("nodata.wav", self.riff([self.fmt()]))], "no data chunk")
        self.expect_refused([self.write_bytes("shortfmt.wav", self.riff([b"fmt " + struct.pack("<IHH", 4, 1, 1)]))], "fmt chunk")

    def test_truncated_or_odd_data_is_refused(self):
        full = b"data" + struct.pack("<I", 2 * BLOCK) + bytes(2 * BLOCK)
        self.expect_refused([self.write_bytes("cut.wav", self.riff([self.fmt(), full[:-100]]))], "truncated data chunk")
        odd = b"data" + struct.pack("<I", 2 * BLOCK + 1) + bytes(2 * BLOCK + 1) + b"\0"
        self.expect_refused([self.write_bytes("odd.wav", self.riff([self.fmt(), odd]))], "odd-sized data chunk")
        huge = b"data" + struct.pack("<I", 0xFFFFFFFF) + bytes(16)
        self.expect_refused([self.write_bytes("huge.wav", self.riff([self.fmt(), huge]))], "truncated data chunk")
        self.expect_refused([self.write_bytes("cutlist.wav", self.riff([self.fmt(), b"LIST" + struct.pack("<I", 99) + b"abc"]))], "truncated chunk")

    def test_chunks_before_the_data_are_skipped_with_their_padding(self):
        samples = tone_samples(440.0, BLOCK)
        data = b"data" + struct.pack("<I", 2 * BLOCK) + struct.pack("<%dh" % BLOCK, *samples)
        odd_list = b"LIST" + struct.pack("<I", 3) + b"abc" + b"\0"
        path = self.write_bytes("list.wav", self.riff([self.fmt(), odd_list, data]))
        [row] = self.rows("--mode", "chromatic", path)
        self.assertEqual(["A4", "", "1", "0"], row[6:])

    def test_bad_options_are_refused(self):
        path = self.write_wave("ok.wav", tone_samples(440, BLOCK))
        for args, word in ((["--mode", "bass"], "--mode"), (["--string", "6"], "--string"), (["--string", "-1"], "--string"),
                           (["--string", "2x"], "--string"), (["--note", "40"], "--note"), (["--note", "-49"], "--note"),
                           (["--root", "437"], "--root"), (["--root", "446"], "--root"), (["--root", "440.5"], "--root"),
                           (["--calibration", "2.01"], "--calibration"), (["--calibration", "0.49"], "--calibration"),
                           (["--calibration", "nan"], "--calibration"), (["--tuning", "-29,-24,-19,-14,-10"], "--tuning"),
                           (["--tuning", "-29,-24,-19,-14,-10,-5,0"], "--tuning"), (["--tuning", "-29,-24,-19,-14,-10,40"], "--tuning"),
                           (["--volume", "3"], "--volume")):
            self.expect_refused(args + [path], word)
        self.expect_refused([path, "--note"], "needs a value")
        self.expect_refused([], "no WAV file")
        self.expect_refused([path, path], "more than one")


if __name__ == "__main__":
    PROGRAM = sys.argv[1]
    RUNNER = sys.argv[2:]
    unittest.main(argv=[sys.argv[0], "-v"])
