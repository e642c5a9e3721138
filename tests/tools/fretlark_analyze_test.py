#!/usr/bin/env python3
"""Runs fretlark-analyze on generated WAV files, on notes of sampled instruments rendered by
tools/instrument-tones, and on each kind of bad input.

usage: fretlark_analyze_test.py PROGRAM [RUNNER...]
RUNNER, when given, is the command that runs PROGRAM (for example tools/wine-run STATE_DIR).
"""
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import unittest

PROGRAM = None
RUNNER = []
INSTRUMENT_TONES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "instrument-tones")
HEADER = "block,time_s,input_level,signal_level,raw_hz,measured_hz,note,string,harmonic,cents"
BLOCK = 4096
RATE = 11025


def run(*args):
    # Files, not pipes: under Wine a service that a run happens to start would hold a pipe open.
    with tempfile.TemporaryFile("w+") as output, tempfile.TemporaryFile("w+") as error:
        code = subprocess.run(RUNNER + [PROGRAM] + list(args), stdout=output, stderr=error, timeout=120).returncode
        output.seek(0)
        error.seek(0)
        return code, [line.rstrip("\r\n") for line in output], [line.rstrip("\r\n") for line in error if line.strip()]


def tone_samples(frequency, count, amplitude=12000, phase=0.3):
    return [round(amplitude * math.sin(2 * math.pi * frequency * n / RATE + phase)) for n in range(count)]


def chunk(name, data, size=None):
    return name + struct.pack("<I", len(data) if size is None else size) + data


def riff(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def fmt(tag=1, channels=1, rate=RATE, bits=16):
    align = channels * bits // 8
    return chunk(b"fmt ", struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits))


def wave_file(samples, channels=1, rate=RATE):
    return riff(fmt(channels=channels, rate=rate), chunk(b"data", struct.pack("<%dh" % len(samples), *samples)))


class AnalyzeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.directory = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.directory.cleanup()

    def path(self, name):
        return os.path.join(self.directory.name, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as out:
            out.write(data)
        return self.path(name)

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
        path = self.write("e2.wav", wave_file(tone_samples(82.41 * 2 ** (10 / 1200), BLOCK * 5 // 2)))
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
        path = self.write("a4.wav", wave_file(tone_samples(440.0, BLOCK)))
        for options, result in (
            (["--mode", "chromatic", "--note", "0"], ["A4", "", "1", "0"]),
            # An octave below the tone, so it is taken as the second harmonic.
            (["--mode=chromatic", "--note=-12"], ["A3", "", "2", "0"]),
            # Against a root of 445 Hz the same tone is about 20 cents flat.
            (["--mode", "chromatic", "--root", "445"], ["A4", "", "1", "-20"]),
            # 660 Hz: half of it is 4.98 semitones below A4.
            (["--calibration", "1.5", "--mode", "chromatic"], ["A4", "", "2", "-498"]),
            # A string chosen by hand stays chosen, however far the tone lies from it.
            (["--string", "2"], ["D3", "2", "1", "1900"]),
            (["--tuning", "-29,-24,-19,-14,-10,0"], ["A4", "5", "1", "0"]),
        ):
            [row] = self.rows(*options, path)
            self.assertEqual(result, row[6:], options)

    def test_matching_carries_over_blocks_at_or_below_10_hz(self):
        # With the calibration at 0.5, a 13 Hz block is measured below 10 Hz and keeps the match
        # of the 220 Hz block before it (the A string's octave).
        samples = tone_samples(440.0, BLOCK) + tone_samples(13.0, BLOCK, amplitude=20000)
        first, second = self.rows("--calibration", "0.5", self.write("carry.wav", wave_file(samples)))
        self.assertLess(float(second[5]), 10)
        self.assertEqual(["A2", "1", "2"], first[6:9])
        self.assertEqual(first[6:], second[6:])

    def test_hop_1024_analyses_the_latest_block_every_1024_samples_and_precise_is_exact(self):
        path = self.write("hop.wav", wave_file(tone_samples(82.41, BLOCK * 3)))
        default, hop = self.rows(path), self.rows("--hop", "1024", path)
        self.assertEqual(9, len(hop), "one row once 4096 samples are there, then one per 1024")
        self.assertEqual(["%.6f" % (index * 1024 / RATE) for index in range(9)], [row[1] for row in hop])
        # Every fourth row analyses the very samples of a default row.
        self.assertEqual([row[2:] for row in default], [row[2:] for row in hop[::4]])
        for row in self.rows("--precise", "--hop=1024", path):
            self.assertAlmostEqual(82.41, float(row[4]), delta=0.001)
            self.assertEqual(["E2", "0", "1", "0"], row[6:])

    def test_precise_pitch_finds_the_fundamental_where_the_strongest_peak_is_a_harmonic(self):
        # Notes of the sound font where the default takes a harmonic for the tone: a clean electric
        # guitar's low E shows as the B string, a nylon guitar's high E at its third harmonic, an
        # electric bass's E1 at its third harmonic. Within the note (2.6 s) Precise Pitch shows the
        # note played, after the attack within a few cents of its true fundamental.
        for program, note, options, shown in ((27, 40, [], ["E2", "0", "1"]), (24, 64, [], ["E4", "5", "1"]),
                                              (33, 28, ["--mode", "chromatic", "--auto-note"], ["E1", "", "1"])):
            path = self.path("p%d-n%d.wav" % (program, note))
            rendered = subprocess.run([INSTRUMENT_TONES, "note", str(program), str(note), "0", path],
                                      capture_output=True, text=True, timeout=300)
            self.assertEqual(0, rendered.returncode, rendered.stderr)
            truth = float(rendered.stdout)
            within = lambda rows: [row for row in rows if float(row[1]) + BLOCK / RATE <= 2.6]
            self.assertTrue(all(row[6:9] != shown for row in within(self.rows(*options, path))), (program, note))
            precise = within(self.rows("--precise", *options, path))
            self.assertGreaterEqual(len(precise), 5, (program, note))
            for row in precise:
                self.assertEqual(shown, row[6:9], (program, note))
                # The pitch glides during the attack.
                if float(row[1]) > 0.3:
                    self.assertLess(abs(1200 * math.log2(float(row[5]) / truth)), 5, (program, note, row))
        # Without fluidsynth the tool names the package to install.
        missing = subprocess.run([INSTRUMENT_TONES, "note", "27", "40", "0", self.path("none.wav")], capture_output=True,
                                 text=True, env=dict(os.environ, PATH=self.path("nothing")), timeout=60)
        self.assertEqual(2, missing.returncode)
        self.assertIn("install the Debian package fluidsynth", missing.stderr)

    def test_precise_pitch_shows_nothing_for_silence_noise_and_clicks(self):
        # A block each of silence, noise and clicks, then a tone: only the tone's block prints a
        # line, under its own number and time; the default analysis prints every block.
        generator = random.Random(5)
        clicks = [0] * BLOCK
        for n in range(0, BLOCK, 700):
            clicks[n] = 30000
        samples = ([0] * BLOCK + [round(generator.gauss(0, 4000)) for _ in range(BLOCK)] + clicks
                   + tone_samples(110.0, BLOCK))
        path = self.write("quiet.wav", wave_file(samples))
        self.assertEqual(4, len(self.rows(path)))
        [row] = self.rows("--precise", "--mode", "chromatic", "--auto-note", path)
        self.assertEqual(["3", "%.6f" % (3 * BLOCK / RATE), "A2", "", "1", "0"], row[:2] + row[6:])

    def test_chunks_before_the_data_are_skipped_with_their_padding(self):
        data = chunk(b"data", struct.pack("<%dh" % BLOCK, *tone_samples(440.0, BLOCK)))
        path = self.write("list.wav", riff(fmt(), chunk(b"LIST", b"abc") + b"\0", data))
        [row] = self.rows("--mode", "chromatic", path)
        self.assertEqual(["A4", "", "1", "0"], row[6:])

    def test_file_without_a_full_block_prints_the_header_only(self):
        for name, count in (("short.wav", BLOCK - 1), ("empty.wav", 0)):
            code, lines, errors = run(self.write(name, wave_file(tone_samples(440, count))))
            self.assertEqual((0, [HEADER], []), (code, lines, errors))

    def test_unreadable_foreign_and_damaged_files_are_refused(self):
        self.expect_refused([self.path("missing.wav")], "cannot open", "missing.wav")
        self.expect_refused([self.directory.name])
        full = chunk(b"data", bytes(2 * BLOCK))
        for name, data, word in (
            ("text.wav", b"this is not a wave file at all", "not a RIFF/WAVE"),
            ("tiny.wav", b"RIFF", "not a RIFF/WAVE"),
            ("stereo.wav", wave_file([0] * 2 * BLOCK, channels=2), "unsupported format"),
            ("8bit.wav", riff(fmt(bits=8), chunk(b"data", bytes([128] * BLOCK))), "unsupported format"),
            ("44k.wav", wave_file([0] * BLOCK, rate=44100), "unsupported format"),
            ("float.wav", riff(fmt(tag=3, bits=32), chunk(b"data", bytes(8))), "unsupported format"),
            ("nofmt.wav", riff(chunk(b"data", bytes(8))), "no fmt chunk"),
            ("nodata.wav", riff(fmt()), "no data chunk"),
            ("shortfmt.wav", riff(chunk(b"fmt ", struct.pack("<HH", 1, 1))), "fmt chunk"),
            ("cut.wav", riff(fmt(), full[:-100]), "truncated data chunk"),
            ("odd.wav", riff(fmt(), chunk(b"data", bytes(2 * BLOCK + 1)) + b"\0"), "odd-sized data chunk"),
            ("huge.wav", riff(fmt(), chunk(b"data", bytes(16), size=0xFFFFFFFF)), "truncated data chunk"),
            ("cutlist.wav", riff(fmt(), chunk(b"LIST", b"abc", size=99)), "truncated chunk"),
        ):
            self.expect_refused([self.write(name, data)], word)

    def test_bad_options_are_refused(self):
        path = self.write("ok.wav", wave_file(tone_samples(440, BLOCK)))
        for option in ("--mode bass", "--string 6", "--string -1", "--string 2x", "--note 40", "--note -49", "--root 437",
                       "--root 446", "--root 440.5", "--calibration 2.01", "--calibration 0.49", "--calibration nan",
                       "--tuning -29,-24,-19,-14,-10", "--tuning -29,-24,-19,-14,-10,-5,0", "--tuning -29,-24,-19,-14,-10,40",
                       "--volume 3", "--hop 2048", "--hop 0"):
            name, value = option.split()
            self.expect_refused([name, value, path], name)
        self.expect_refused([path, "--note"], "needs a value")
        self.expect_refused([path, "--precise=1"], "takes no value")
        self.expect_refused([path, "--auto-note=1"], "takes no value")
        self.expect_refused([], "no WAV file")
        self.expect_refused([path, path], "more than one")


if __name__ == "__main__":
    PROGRAM = sys.argv[1]
    RUNNER = sys.argv[2:]
    unittest.main(argv=[sys.argv[0], "-v"])
