#!/usr/bin/env python3
# Runs fretlark-analyze on generated WAV files, on notes of sampled instruments rendered by
# tools/instrument-tones, and on each kind of bad input.
#
# usage: fretlark_analyze_test.py PROGRAM [RUNNER...]
# RUNNER, when given, is the command that runs PROGRAM (for example tools/wine-run STATE_DIR).
import math
import os
import struct
import subprocess
import sys
import tempfile
import unittest

HEADER = "block,time_s,input_level,signal_level,raw_hz,measured_hz,note,string,harmonic,cents"
BLOCK, RATE = 4096, 11025
INSTRUMENT_TONES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "instrument-tones")


def run(*args):
    # Files, not pipes: under Wine a service that a run happens to start would hold a pipe open.
    with tempfile.TemporaryFile("w+") as output, tempfile.TemporaryFile("w+") as error:
        code = subprocess.run(RUNNER + [PROGRAM] + list(args), stdout=output, stderr=error, timeout=120).returncode
        output.seek(0)
        error.seek(0)
        return code, [line.rstrip("\r\n") for line in output], [line.rstrip("\r\n") for line in error if line.strip()]


def write(name, data):
    with open(os.path.join(DIRECTORY, name), "wb") as out:
        out.write(data)
    return out.name


def tone(frequency, count, amplitude=12000):
    return [round(amplitude * math.sin(2 * math.pi * frequency * n / RATE + 0.3)) for n in range(count)]


def chunk(name, data, size=None):
    return name + struct.pack("<I", len(data) if size is None else size) + data


def riff(*chunks):
    return b"RIFF" + struct.pack("<I", 4 + sum(map(len, chunks))) + b"WAVE" + b"".join(chunks)


def fmt(tag=1, channels=1, rate=RATE, bits=16):
    align = channels * bits // 8
    return chunk(b"fmt ", struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits))


def wave_file(samples, before=b"", **format):
    return riff(fmt(**format), before, chunk(b"data", struct.pack("<%dh" % len(samples), *samples)))


class AnalyzeTest(unittest.TestCase):
    def rows(self, *args):
        code, lines, errors = run(*args)
        self.assertEqual((0, [], HEADER), (code, errors, lines[0]))
        return [line.split(",") for line in lines[1:]]

    def test_one_line_per_full_block_and_options_choose_mode_target_root_calibration_and_tuning(self):
        # Two and a half blocks of a low E string, slightly sharp, after a chunk skipped with its padding
        # byte: the half block is not analysed.
        e2 = wave_file(tone(82.41 * 2 ** (10 / 1200), BLOCK * 5 // 2), before=chunk(b"LIST", b"abc") + b"\0")
        rows = self.rows(write("e2.wav", e2))
        self.assertEqual([["0", "0.000000", "E2", "0", "1"], ["1", "0.371519", "E2", "0", "1"]],
                         [row[:2] + row[6:9] for row in rows])
        # The input level is the mean of |sin|, 2/pi of the amplitude: 7639; uncalibrated, measured is raw.
        for row in rows:
            self.assertTrue(abs(int(row[2]) - 7639) < 60 and abs(float(row[5]) - 82.89) < 1.4 and row[4] == row[5], row)
        a4 = write("a4.wav", wave_file(tone(440.0, BLOCK)))
        # A4 in chromatic mode; an octave below the tone, so it is taken as the second harmonic; against a
        # root of 445 Hz about 20 cents flat; calibrated to 660 Hz, whose half is 4.98 semitones below A4;
        # a string chosen by hand stays chosen, however far the tone lies from it; the tuning given.
        for options, result in ((["--mode", "chromatic", "--note", "0"], ["A4", "", "1", "0"]),
                                (["--mode=chromatic", "--note=-12"], ["A3", "", "2", "0"]),
                                (["--mode", "chromatic", "--root", "445"], ["A4", "", "1", "-20"]),
                                (["--calibration", "1.5", "--mode", "chromatic"], ["A4", "", "2", "-498"]),
                                (["--string", "2"], ["D3", "2", "1", "1900"]),
                                (["--tuning", "-29,-24,-19,-14,-10,0"], ["A4", "5", "1", "0"])):
            [row] = self.rows(*options, a4)
            self.assertEqual(result, row[6:], options)

    def test_hop_1024_analyses_the_latest_block_every_1024_samples_and_precise_is_exact_or_silent(self):
        path = write("hop.wav", wave_file(tone(82.41, BLOCK * 3)))
        default, hop = self.rows(path), self.rows("--hop", "1024", path)
        self.assertEqual(["%.6f" % (index * 1024 / RATE) for index in range(9)], [row[1] for row in hop])
        # Every fourth row analyses the very samples of a default row.
        self.assertEqual([row[2:] for row in default], [row[2:] for row in hop[::4]])
        for row in self.rows("--precise", "--hop=1024", path):
            self.assertTrue(abs(float(row[4]) - 82.41) < 0.001 and row[6:] == ["E2", "0", "1", "0"], row)
        # A block of silence has no fundamental: it prints no line; the tone's block keeps its number and time.
        quiet = write("quiet.wav", wave_file([0] * BLOCK + tone(110.0, BLOCK)))
        [row] = self.rows("--precise", "--mode", "chromatic", "--auto-note", quiet)
        self.assertEqual(["1", "%.6f" % (BLOCK / RATE), "A2", "", "1", "0"], row[:2] + row[6:])

    def test_precise_pitch_finds_the_fundamental_of_recorded_notes_where_the_strongest_peak_is_a_harmonic(self):
        # Notes of the sound font where the default takes a harmonic for the tone: a clean electric
        # guitar's low E shows as the B string, a nylon guitar's high E at its third harmonic, an
        # electric bass's E1 at its third harmonic. Within the note (2.6 s) Precise Pitch shows the
        # note played, after the attack within a few cents of its true fundamental.
        for program, note, options, shown in ((27, 40, [], ["E2", "0", "1"]), (24, 64, [], ["E4", "5", "1"]),
                                              (33, 28, ["--mode", "chromatic", "--auto-note"], ["E1", "", "1"])):
            path = os.path.join(DIRECTORY, "p%d-n%d.wav" % (program, note))
            rendered = subprocess.run([INSTRUMENT_TONES, "note", str(program), str(note), "0", path],
                                      capture_output=True, text=True, timeout=300)
            self.assertEqual(0, rendered.returncode, rendered.stderr)
            truth = float(rendered.stdout)
            within = lambda rows: [row for row in rows if float(row[1]) + BLOCK / RATE <= 2.6]
            self.assertTrue(all(row[6:9] != shown for row in within(self.rows(*options, path))), (program, note))
            precise = within(self.rows("--precise", *options, path))
            self.assertGreaterEqual(len(precise), 5, (program, note))
            for row in precise:
                # The pitch glides during the attack.
                self.assertTrue(row[6:9] == shown and (float(row[1]) <= 0.3 or abs(1200 * math.log2(float(row[5]) / truth)) < 5),
                                (program, note, row))
        # Without fluidsynth the tool names the package to install.
        missing = subprocess.run([INSTRUMENT_TONES, "note", "27", "40", "0", path], capture_output=True, text=True,
                                 env=dict(os.environ, PATH=os.path.join(DIRECTORY, "nothing")), timeout=60)
        self.assertEqual((2, True), (missing.returncode, "install the Debian package fluidsynth" in missing.stderr))

    def test_files_it_cannot_read_and_options_it_cannot_take_give_one_line_and_exit_code_2(self):
        # Without a full block there is nothing to analyse, which is no error.
        for count in (BLOCK - 1, 0):
            self.assertEqual((0, [HEADER], []), run(write("short.wav", wave_file(tone(440, count)))))
        path = write("ok.wav", wave_file(tone(440, BLOCK)))
        missing = os.path.join(DIRECTORY, "missing.wav")
        cases = [([missing], "cannot open " + missing), ([DIRECTORY], DIRECTORY), ([], "no WAV file"),
                 ([path, "--note"], "needs a value"), ([path, "--precise=1"], "takes no value"),
                 ([path, "--auto-note=1"], "takes no value"), ([path, path], "more than one")]
        for data, word in (
            (b"this is not a wave file at all", "not a RIFF/WAVE"), (b"RIFF", "not a RIFF/WAVE"),
            (wave_file([0] * 2 * BLOCK, channels=2), "unsupported format"),
            (wave_file([0] * BLOCK, rate=44100), "unsupported format"),
            (riff(fmt(bits=8), chunk(b"data", bytes([128] * BLOCK))), "unsupported format"),
            (riff(fmt(tag=3, bits=32), chunk(b"data", bytes(8))), "unsupported format"),
            (riff(chunk(b"data", bytes(8))), "no fmt chunk"), (riff(fmt()), "no data chunk"),
            (riff(chunk(b"fmt ", struct.pack("<HH", 1, 1))), "fmt chunk"),
            (riff(fmt(), chunk(b"data", bytes(2 * BLOCK))[:-100]), "truncated data chunk"),
            (riff(fmt(), chunk(b"data", bytes(16), size=0xFFFFFFFF)), "truncated data chunk"),
            (riff(fmt(), chunk(b"data", bytes(2 * BLOCK + 1)) + b"\0"), "odd-sized data chunk"),
            (riff(fmt(), chunk(b"LIST", b"abc", size=99)), "truncated chunk"),
        ):
            cases.append(([write("bad%d.wav" % len(cases), data)], word))
        for option in ("--mode bass", "--string 6", "--string -1", "--string 2x", "--note 40", "--note -49", "--root 437",
                       "--root 446", "--root 440.5", "--calibration 2.01", "--calibration 0.49", "--calibration nan",
                       "--tuning -29,-24,-19,-14,-10", "--tuning -29,-24,-19,-14,-10,-5,0",
                       "--tuning -29,-24,-19,-14,-10,40", "--volume 3", "--hop 2048", "--hop 0"):
            cases.append((option.split() + [path], option.split()[0]))
        for args, word in cases:
            code, lines, errors = run(*args)
            self.assertEqual((2, [], 1), (code, lines, len(errors)), (args, errors))
            self.assertTrue(errors[0].startswith("fretlark-analyze: ") and word in errors[0], (word, errors))


if __name__ == "__main__":
    PROGRAM, RUNNER = sys.argv[1], sys.argv[2:]
    with tempfile.TemporaryDirectory() as DIRECTORY:
        passed = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result.wasSuccessful()
    sys.exit(0 if passed else 1)
