#!/usr/bin/env python3
"""fretlark.exe end to end under Wine, as a user meets it: copied into an empty directory and
started while the test-audio daemon plays a tone (TEST_AUDIO_TONE names the file), or with no sound
server at all. fretlark-drive reads the window's texts and the display's pixels from the screen.

usage: fretlark_window_test.py PROGRAM DRIVE ANALYZE RUNNER... --case CASE

The tone cases compare the window with what fretlark-analyze reports for the same tone file, check
the lit bars against the shown difference by the display's rules, switch to chromatic tuning and
close the window: exit code 0 and the first run's settings file. The tuning-dialog case creates a
tuning in Setup > Tuning, makes it current and checks the window and the settings file that follow.
close the window: exit code 0 and the first run's settings file.

The calibration cases work the wizard: the automatic measurement for real, and the external
source, during which the test switches the sound between the tone and silence.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

FIRST_RUN_SETTINGS = ("\r\n[AudioInput]\r\nWaveIn = 0\r\nCalibration = 1.000000\r\nSource = 0\r\nInputLevel = 64\r\n"
                      "NoiseLevel = 2\r\n\r\n[Tuning]\r\nRootFrequency = 440\r\nCurrentTuning = Standard\r\n\r\n"
                      "[Tunings]\r\nStandard = -29, -24, -19, -14, -10, -5\r\n")
IDC_DISPLAY = "1011"
IDM_CHROMATIC_TUNING = "40011"
IDM_TUNING = "40005"
TUNING_SETTINGS, CREATE_TUNING = "Tuning Settings", "Create Tuning"
IDOK, IDC_CREATE_TUNING, IDC_STRING_SLIDER_0, IDC_ROOT_STEP, IDC_TUNING_LIST = "1", "1022", "1026", "1040", "1060"
IDC_TUNING_NAME = "1061"
VK_LEFT = "37"
IDM_AUDIO_SOURCE = "40002"
IDM_PRECISE_PITCH, IDM_FAST_UPDATES, IDM_AUTO_NOTE = "40014", "40015", "40016"
IDC_MEASURED_FREQUENCY, IDC_TARGET_NOTE, IDC_NOTE_LABEL, IDC_OCTAVE_UP = "1006", "1010", "1066", "1063"
INSTRUMENT_TONES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "instrument-tones")
AUDIO_SOURCE = "Audio Source Settings"
IDM_CALIBRATE = "40012"
IDM_ABOUT = "40003"
WIZARD = "Sample Rate Calibration Wizard"
BACK, NEXT, FINISH, CANCEL = "12323", "12324", "12325", "2"
RESET, AUTOMATIC, EXTERNAL_SOURCE, FEXT = "1074", "1070", "1071", "1072"
TIME_LEFT, WAIT_TEXT, RAW, REFERENCE, RATE, STATUS = "1078", "1088", "1083", "1084", "1085", "1076"
SILENCE_PEAK = " 2753.56"  # a silent block's flat spectrum peaks at the top of the range
# The external source: a card 0.67 % slow hears the 1510 Hz reference at 1500 Hz.
TONE_HZ, REFERENCE_HZ = "1500", 1510

PROGRAM = DRIVE = ANALYZE = CASE = None
RUNNER = []


def drive(*args, timeout=60):
    result = subprocess.run(RUNNER + [DRIVE] + list(args), capture_output=True, text=True, timeout=timeout)
    return result.returncode, dict(line.rstrip("\r").split("=", 1) for line in result.stdout.splitlines() if "=" in line)


def dialog(caption):
    """The controls of the dialog with that caption (see `fretlark-drive in CAPTION controls`), or
    None when it does not show within five seconds."""
    code, controls = drive("in", caption, "controls")
    return controls if code == 0 else None


def wait_until(condition, seconds=15):
    """Polls `condition` until it gives something true; that, or None when the time is up."""
    end = time.monotonic() + seconds
    while True:
        result = condition()
        if result or time.monotonic() > end:
            return result or None
        time.sleep(0.1)


def shows(controls, control):
    return controls is not None and controls.get(control + ".visible") == "1"


def enabled_buttons(wizard):
    return "".join(letter for button, letter in ((BACK, "b"), (NEXT, "n"), (FINISH, "f"))
                   if wizard.get(button + ".enabled") == "1")


def play(sound):
    """Makes the test's sound server play a frequency, or silence. Its runtime directory lies in
    the directory of the test-audio tool, which stands beside wine-run."""
    directory = os.path.dirname(os.environ["PULSE_RUNTIME_PATH"])
    arguments = ["silence", directory] if sound == "silence" else ["play", directory, sound]
    subprocess.run([os.path.join(os.path.dirname(RUNNER[0]), "test-audio")] + arguments, check=True, timeout=30)


def bmp_pixels(path):
    """(width, height, pixel(x, y) -> (r, g, b)) of a 24-bit bottom-up BMP."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) // 4 * 4

    def pixel(x, y):
        b, g, r = data[offset + (height - 1 - y) * stride + 3 * x:][:3]
        return r, g, b
    return width, height, pixel


def lit_bars(width, height, semitones):
    """The grid bars the display lights for a difference, by its rules: from the centre (moved
    onto the bar grid) towards the difference, none when it lies beyond the scale."""
    scale = width - 20
    centre = (width + 1) // 2
    reach = int(scale * semitones / 2 / 1.5)
    def on_grid(x):
        return x - int((x - 10) - 4 * int((x - 10) / 4))
    if semitones >= 0:
        first = on_grid(centre)
        last = first + reach
    else:
        first, last = on_grid(centre + reach), centre
    if first < 10 or last > width - 10:
        return set()
    return set(range(first, last + 1, 4))


def first_values(settings):
    """{(section, key): value} of a settings file as the tuner reads it: names without regard to
    letter case, the first of a key's lines."""
    values, section = {}, ""
    for line in settings.splitlines():
        line = line.strip()
        if line.startswith(b"[") and b"]" in line:
            section = line[1:line.index(b"]")].strip().lower().decode("latin-1")
        elif b"=" in line:
            key, value = line.split(b"=", 1)
            values.setdefault((section, key.strip().lower().decode("latin-1")), value.strip())
    return values


class Tuner:
    """fretlark.exe running from a directory of its own."""

    def __init__(self, directory, prefix=()):
        self.directory = directory
        program = os.path.join(directory, "fretlark.exe")
        shutil.copy(PROGRAM, program)
        self.process = subprocess.Popen(list(prefix) + RUNNER + [program], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def exit_code(self):
        return self.process.wait(timeout=30)

    def end(self):
        """Ends a tuner that a failed test left running, so that it cannot answer for the next."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class WindowTest(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="fretlark-window-")
        self.addCleanup(shutil.rmtree, self.directory, True)

    def test_case(self):
        getattr(self, "case_" + CASE.replace("-", "_"))()

    def analysis(self):
        tone = os.environ.get("TEST_AUDIO_TONE", "")
        self.assertTrue(tone, "no tone plays")
        result = subprocess.run(RUNNER + [ANALYZE, tone], capture_output=True, text=True, timeout=60)
        self.assertEqual(0, result.returncode, result.stderr)
        return [line.rstrip("\r").split(",") for line in result.stdout.splitlines()[1:]]

    def steady_view(self):
        """The texts and the display's pixels of one and the same result."""
        capture = os.path.join(self.directory, "display.bmp")
        for _ in range(10):
            code, before = drive("texts")
            self.assertEqual(0, code)
            self.assertEqual(0, drive("capture", IDC_DISPLAY, capture)[0])
            _, after = drive("texts")
            if before == after:
                return before, bmp_pixels(capture)
        self.fail("the window never held still")

    def check_tone(self, string_label):
        rows = self.analysis()
        tuner = Tuner(self.directory)
        code, started = drive("wait", "20")
        self.assertEqual(0, code, "no main window")
        self.assertEqual(0, drive("result", "10")[0], "no result shown")
        texts, (width, height, pixel) = self.steady_view()

        self.assertEqual("Fretlark - Standard", texts["caption"])
        self.assertEqual("E,A,D,G,B,E", texts["strings"])
        self.assertEqual("111111", texts["strings_visible"])
        self.assertEqual("0000", texts["chromatic_visible"])
        notes = {row[6] for row in rows}
        self.assertEqual(1, len(notes), "the tone file is one note")
        self.assertEqual(notes.pop(), texts["target"])
        self.assertEqual(string_label, texts["strings"].split(",")[int(rows[0][7])])
        self.assertEqual(rows[0][8], texts["harmonic"].strip())
        measured = [float(row[5]) for row in rows]
        self.assertLessEqual(min(measured) - 0.006, float(texts["measured"]))
        self.assertGreaterEqual(max(measured) + 0.006, float(texts["measured"]))
        cents = int(texts["difference"])
        self.assertIn(cents, {int(row[9]) for row in rows})

        # Every bar of the scale, just above the bars' foot: lit as the shown difference says.
        foot = height - 1 - 11 - 5
        lit = lit_bars(width, height, cents / 100)
        self.assertTrue(lit)
        centre = (width + 1) // 2
        for x in range(10, width - 9, 4):
            colour = pixel(x, foot)
            if x not in lit:
                self.assertEqual((32, 32, 32), colour, "bar %d is unlit" % x)
            elif abs(x - centre) <= 10:
                self.assertEqual((0, 255, 0), colour, "bar %d is green" % x)
            else:
                self.assertEqual((255, 255, 0), colour, "bar %d is yellow" % x)

        drive("command", IDM_CHROMATIC_TUNING)
        _, chromatic = drive("texts")
        self.assertEqual("Fretlark", chromatic["caption"])
        self.assertEqual("A4", chromatic["note"])
        self.assertEqual("000000", chromatic["strings_visible"])
        self.assertEqual("1111", chromatic["chromatic_visible"])

        drive("close")
        self.assertEqual(0, tuner.exit_code())
        with open(os.path.join(self.directory, "fretlark.ini"), newline="") as settings:
            self.assertEqual(FIRST_RUN_SETTINGS, settings.read())
        print("start-up to the window shown: %s ms" % started["startup_ms"])

    def case_low_e(self):
        self.check_tone("E")

    def case_a_string_flat(self):
        self.check_tone("A")

    def case_tuning_dialog(self):
        tuner = Tuner(self.directory)
        self.assertEqual(0, drive("wait", "20")[0], "no main window")
        drive("open", IDM_TUNING)
        code, opened = drive("in", TUNING_SETTINGS, "controls")
        self.assertEqual(0, code, "no Tuning Settings dialog")
        self.assertEqual(("Standard", "0", "440"), (opened["1060.items"], opened["1060.selected"], opened["1044"]))
        self.assertEqual(["A0", "C8", "E2", "A2", "D3", "G3", "B3", "E4"], [opened[str(id)] for id in [1048, 1049] + list(range(1050, 1056))])
        # The root frequency stops at 445 and at 438.
        for direction, clicks, stop in (("up", "8", "445"), ("down", "8", "438")):
            drive("in", TUNING_SETTINGS, "arrow", IDC_ROOT_STEP, direction, clicks)
            self.assertEqual(stop, drive("in", TUNING_SETTINGS, "controls")[1]["1044"])

        drive("in", TUNING_SETTINGS, "click", IDC_CREATE_TUNING)
        drive("in", CREATE_TUNING, "type", IDC_TUNING_NAME, "Drop -_D")
        _, create = drive("in", CREATE_TUNING, "controls")
        self.assertEqual("Drop_D", create[IDC_TUNING_NAME], "the blank and the dash are refused")
        drive("in", CREATE_TUNING, "click", IDOK)
        self.assertEqual(0, drive("gone", CREATE_TUNING, "5")[0])
        drive("in", TUNING_SETTINGS, "key", IDC_STRING_SLIDER_0, VK_LEFT, "2")
        drive("in", TUNING_SETTINGS, "item", IDC_TUNING_LIST, "1", "double")
        drive("in", TUNING_SETTINGS, "arrow", IDC_ROOT_STEP, "up", "3")
        _, edited = drive("in", TUNING_SETTINGS, "controls")
        self.assertEqual(("Standard,Drop_D", "1", "D2", "441"),
                         (edited["1060.items"], edited["1060.selected"], edited["1050"], edited["1044"]))
        drive("in", TUNING_SETTINGS, "click", IDOK)
        self.assertEqual(0, drive("gone", TUNING_SETTINGS, "5")[0])

        _, main = drive("texts")
        self.assertEqual("Fretlark - Drop_D", main["caption"])
        self.assertEqual("D,A,D,G,B,E", main["strings"])
        drive("close")
        self.assertEqual(0, tuner.exit_code())
        with open(os.path.join(self.directory, "fretlark.ini"), newline="") as settings:
            self.assertEqual(FIRST_RUN_SETTINGS.replace("RootFrequency = 440\r\nCurrentTuning = Standard",
                                                        "RootFrequency = 441\r\nCurrentTuning = Drop_D")
                             + "Drop_D = -31, -24, -19, -14, -10, -5\r\n", settings.read())

    def case_no_server(self):
        tuner = Tuner(self.directory)
        code, seen = drive("boxes", "8")
        self.assertEqual(0, code)
        self.assertEqual("1", seen["box_count"])
        self.assertEqual("Fretlark Error/Can't Open Wave Input Device.|", seen["box"])
        self.assertEqual("0", seen["main_window"])
        self.assertEqual(1, tuner.exit_code())
        _, again = drive("boxes", "0")
        self.assertEqual("0", again["box_count"], "exactly one box")

    def click(self, caption, control):
        self.assertEqual("1", drive("in", caption, "click", control)[1].get("clicked"), "%s cannot be clicked" % control)

    def start_tuner(self):
        tuner = Tuner(self.directory)
        self.addCleanup(tuner.end)
        return tuner

    def stored_rate_after_closing(self, tuner):
        """Closes the tuner and gives the calibration rate of its settings file, rounded as the
        wizard's result page shows it."""
        drive("close")
        self.assertEqual(0, tuner.exit_code())
        with open(os.path.join(self.directory, "fretlark.ini"), newline="") as settings:
            return "%.5f" % float(settings.read().split("Calibration = ")[1].split("\r\n")[0])

    def wizard_page(self, control, condition=lambda wizard: True, seconds=15):
        """The wizard once its page with `control` shows and `condition` holds."""
        wizard = wait_until(lambda: (lambda w: w if shows(w, control) and condition(w) else None)(dialog(WIZARD)), seconds)
        self.assertTrue(wizard, "the wizard's page with %s" % control)
        return wizard

    def main_window_measures(self, accept):
        """Whether the main window comes to show a measured frequency that `accept` takes."""
        return wait_until(lambda: accept(float(drive("texts")[1].get("measured", "0"))))

    def open_external_source(self):
        drive("open", IDM_CALIBRATE)
        self.wizard_page(EXTERNAL_SOURCE)
        self.click(WIZARD, EXTERNAL_SOURCE)

    def enter_reference(self, reference):
        """Types Fext and goes on to the page that listens."""
        drive("in", WIZARD, "set", FEXT, reference)
        self.click(WIZARD, NEXT)
        wizard = self.wizard_page(RATE, lambda w: enabled_buttons(w) == "bn")
        self.assertEqual("%8.2f" % float(reference), wizard[REFERENCE])
        self.assertFalse(shows(wizard, TIME_LEFT))

    def refused_reference(self, reference):
        """The message that refuses Fext, once the wizard has stayed on its first page."""
        drive("in", WIZARD, "set", FEXT, reference)
        self.click(WIZARD, NEXT)
        box = wait_until(lambda: drive("boxes", "0.1")[1].get("box"))
        self.wizard_page(FEXT, lambda w: w.get(FEXT + ".enabled") == "1")
        return box

    def case_calibrate_external(self):
        rows = self.analysis()
        raw = [float(row[4]) for row in rows]
        tuner = self.start_tuner()
        self.assertEqual(0, drive("result", "20")[0])

        def tone_rate(wizard):
            """Whether the page shows a block of the tone, and Fext over its frequency as the rate (to
            the rounding of the frequency shown)."""
            shown = float(wizard[RAW] or 0)
            return min(raw) - 0.01 <= shown <= max(raw) + 0.01 and abs(REFERENCE_HZ / shown - float(wizard[RATE])) < 1e-5

        # Fext lies within 100 to 4000 Hz, or the wizard stays where it is.
        self.open_external_source()
        out_of_range = "Error/Illegal frequency value.|Valid frequencies: [100..4000]"
        self.assertEqual(out_of_range, self.refused_reference("99.9"))
        self.assertEqual(out_of_range, self.refused_reference("4000.1"))
        self.assertEqual("Error/Illegal Real Number", self.refused_reference("440 Hz"))
        for reference in ("100", "4000"):
            self.enter_reference(reference)
            self.click(WIZARD, BACK)
            self.wizard_page(FEXT)

        # While the page measures, the main window goes on showing every block; a block without a
        # tone gives no calibration (though Fext over the silent block's peak would pass for one).
        self.enter_reference(str(REFERENCE_HZ))
        self.wizard_page(RATE, tone_rate)
        play("silence")
        self.wizard_page(RATE, lambda w: w[RAW] == SILENCE_PEAK and w[RATE] == "1.000000")
        self.assertTrue(self.main_window_measures(lambda hz: hz > 2700))
        # Back and Cancel both give the blocks back to the main window.
        self.click(WIZARD, BACK)
        self.wizard_page(EXTERNAL_SOURCE)
        play(TONE_HZ)
        self.assertTrue(self.main_window_measures(lambda hz: hz < 2000))
        self.click(WIZARD, NEXT)
        self.wizard_page(RATE, tone_rate)
        self.click(WIZARD, CANCEL)
        self.assertEqual(0, drive("gone", WIZARD, "5")[0], "the wizard closes")
        play("silence")
        self.assertTrue(self.main_window_measures(lambda hz: hz == float(SILENCE_PEAK)), "measured as before")

        # Finish stores the rate that stood at Next; the main window then measures the tone at Fext.
        play(TONE_HZ)
        self.open_external_source()
        self.enter_reference(str(REFERENCE_HZ))
        self.wizard_page(RATE, tone_rate)
        self.click(WIZARD, NEXT)
        result = self.wizard_page(STATUS, lambda w: enabled_buttons(w) == "f")
        rate = float(result[STATUS].split(": ")[1])
        self.click(WIZARD, FINISH)
        self.assertTrue(self.main_window_measures(lambda hz: min(raw) * rate - 0.01 <= hz <= max(raw) * rate + 0.01))
        self.assertEqual("%.5f" % rate, self.stored_rate_after_closing(tuner))
        self.assertAlmostEqual(REFERENCE_HZ / float(TONE_HZ), rate, delta=0.001)

    def case_calibrate_automatic(self):
        # The user's guide lies beside the program, in Windows text, titled like the about box.
        with open(os.path.join(os.path.dirname(PROGRAM), "README.TXT"), "rb") as guide:
            text = guide.read()
        self.assertNotIn(b"\n", text.replace(b"\r\n", b""), "Windows line ends only")
        with open(os.path.join(self.directory, "fretlark.ini"), "w") as settings:
            settings.write("[AudioInput]\nCalibration = 1.25\n")
        tuner = self.start_tuner()
        # A newly started sound server delivers the first block a second or two late, and the
        # capture position stands still until then: the measurement starts once results come.
        self.assertEqual(0, drive("result", "20")[0])
        drive("open", IDM_ABOUT)
        about = dialog("About Fretlark")
        self.assertEqual("https://fretlark.example.org/", about["1068"])
        self.assertEqual(text.split(b"\r\n")[0].decode(), about["1089"].upper())
        drive("in", "About Fretlark", "close")
        self.assertEqual(0, drive("gone", "About Fretlark", "5")[0], "the about box closes")

        # Reset: Next passes the measurement by, and Finish takes the stored 1.25 back to 1.
        self.assertTrue(self.main_window_measures(lambda hz: hz > 540))
        drive("open", IDM_CALIBRATE)
        start = self.wizard_page(RESET, lambda w: enabled_buttons(w) == "n")
        self.assertEqual(("1", "1", "1", "440", "1", "0"),
                         tuple(start[key] for key in (RESET + ".visible", RESET + ".enabled", RESET + ".checked", FEXT,
                                                      FEXT + ".visible", FEXT + ".enabled")))
        self.click(WIZARD, NEXT)
        self.assertEqual("No calibration.", self.wizard_page(STATUS, lambda w: enabled_buttons(w) == "f")[STATUS])
        self.click(WIZARD, FINISH)
        self.assertTrue(self.main_window_measures(lambda hz: hz < 450))

        drive("open", IDM_CALIBRATE)
        self.wizard_page(AUTOMATIC)
        self.click(WIZARD, AUTOMATIC)
        self.click(WIZARD, NEXT)
        running = self.wizard_page(TIME_LEFT, lambda w: enabled_buttons(w) == "" and w[TIME_LEFT] != "Time left: 29 sec")
        self.assertEqual("Calibration will take 30 seconds. Please wait...", running[WAIT_TEXT])
        self.assertRegex(running[TIME_LEFT], r"^Time left: (2[0-8]|1?[0-9]) sec$")
        result = self.wizard_page(STATUS, lambda w: enabled_buttons(w) == "f", seconds=40)
        self.assertFalse(shows(result, TIME_LEFT))
        measured, rate = (float(line.split(": ")[1]) for line in result[STATUS].split("|"))
        self.assertAlmostEqual(1.0, rate, delta=0.005)
        self.assertAlmostEqual(measured / 11025, rate, delta=1e-5)
        self.click(WIZARD, FINISH)
        self.assertEqual("%.5f" % rate, self.stored_rate_after_closing(tuner))
        print("automatic calibration: %s" % result[STATUS])

    def case_unwritable_settings(self):
        # A directory where the settings file belongs: it can be neither read nor written.
        os.mkdir(os.path.join(self.directory, "fretlark.ini"))
        tuner = Tuner(self.directory)
        self.assertEqual(0, drive("result", "20")[0])
        drive("close")
        self.assertEqual(0, tuner.exit_code())
        self.assertEqual(["fretlark.exe", "fretlark.ini"], sorted(os.listdir(self.directory)))

    def case_server_killed(self):
        """The sound server goes away while the tuner runs: no crash, no hang, a normal end."""
        audio = os.path.join(self.directory, "audio")
        test_audio = os.path.join(os.path.dirname(RUNNER[0]), "test-audio")
        subprocess.run([test_audio, "start", audio], check=True, capture_output=True)
        self.addCleanup(subprocess.run, [test_audio, "stop", audio], capture_output=True)
        subprocess.run([test_audio, "play", audio, "110"], check=True)
        tuner = Tuner(self.directory, [test_audio, "exec", audio])
        self.assertEqual(0, drive("shows", IDC_TARGET_NOTE, "A2", "20")[0], "no result shown")
        with open(os.path.join(audio, "runtime", "pid")) as pid:
            os.kill(int(pid.read()), 9)
        for _ in range(3):
            time.sleep(1)
            code, texts = drive("texts")
            self.assertEqual((0, "Fretlark - Standard"), (code, texts.get("caption")), "the window answers")
        drive("command", IDM_CHROMATIC_TUNING)
        self.assertEqual("Fretlark", drive("texts")[1]["caption"])
        self.assertEqual("0", drive("boxes", "0")[1]["box_count"], "no error box")
        drive("close")
        self.assertEqual(0, tuner.exit_code())
        with open(os.path.join(self.directory, "fretlark.ini"), newline="") as settings:
            self.assertEqual(FIRST_RUN_SETTINGS, settings.read())

    def case_settings_made_read_only(self):
        """The settings file turns read-only during the run: the tuner ends normally, the file stays."""
        settings = os.path.join(self.directory, "fretlark.ini")
        stored = FIRST_RUN_SETTINGS.replace("RootFrequency = 440", "RootFrequency = 443")
        with open(settings, "w", newline="") as out:
            out.write(stored)
        tuner = Tuner(self.directory)
        self.assertEqual(0, drive("result", "20")[0])
        drive("command", IDM_PRECISE_PITCH)  # something to save
        os.chmod(settings, 0o444)
        drive("close")
        self.assertEqual(0, tuner.exit_code())
        with open(settings, newline="") as kept:
            self.assertEqual(stored, kept.read())
        self.assertEqual(["fretlark.exe", "fretlark.ini"], sorted(os.listdir(self.directory)))

    def case_garbage_settings(self):
        """Settings files of every kind of damage: the tuner starts on repaired values, and a file that
        is no text (here with every byte value) stays as it was."""
        corpus = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fuzz", "corpus", "ini_load_fuzzer")
        damaged = []
        for name in sorted(os.listdir(corpus)):
            with open(os.path.join(corpus, name), "rb") as sample:
                damaged.append(sample.read())
        for first_byte in (0, 32):
            damaged.append(bytes(range(first_byte, 256)) * 8 +
                           b"\n[AudioInput]\nWaveIn = 99\nSource = \xff\n[Tuning]\nRootFrequency = 1e309\n")
        for garbage in damaged:
            with open(os.path.join(self.directory, "fretlark.ini"), "wb") as out:
                out.write(garbage)
            tuner = Tuner(self.directory)
            self.assertEqual(0, drive("result", "20")[0], garbage[:40])
            drive("close")
            self.assertEqual(0, tuner.exit_code())
            with open(os.path.join(self.directory, "fretlark.ini"), "rb") as repaired:
                kept = repaired.read()
            if b"\0" in garbage:
                self.assertEqual(garbage, kept)
                continue
            values = first_values(kept)
            self.assertIn(values.get(("audioinput", "wavein")), (b"0", b"1"), values)
            self.assertIn(values.get(("audioinput", "source")), (b"0", b"1", b"2"), values)
            self.assertTrue(438 <= int(values.get(("tuning", "rootfrequency"), b"0")) <= 445, values)

    def case_audio_source(self):
        """Setup > Audio Source on the virtual sound card, as a user of its second device works it."""
        with open(os.path.join(self.directory, "fretlark.ini"), "w", newline="") as settings:
            settings.write(FIRST_RUN_SETTINGS.replace("WaveIn = 0", "WaveIn = 1").replace("1.000000", "1.500000")
                           .replace("Source = 0", "Source = 2").replace("InputLevel = 64", "InputLevel = 40"))
        tuner = Tuner(self.directory)
        self.assertEqual(0, drive("result", "20")[0], "no result shown")
        drive("open", IDM_AUDIO_SOURCE)
        code, shown = drive("in", AUDIO_SOURCE, "controls")
        self.assertEqual(0, code, "no dialog")
        # Wine's mixer has a microphone but no line input and no input selector: the mixer's default.
        self.assertEqual({"1013.items": "PulseAudio|Monitor of ToneSink", "1013.selected": "1",
                          "1069": "Monitor of ToneSink", "1015.enabled": "0", "1016.enabled": "1",
                          "1017.checked": "1", "1047.enabled": "0", "1047.position": str(64 - 40),
                          "1046.position": str(16 - 2)},
                         {key: shown[key] for key in ("1013.items", "1013.selected", "1069", "1015.enabled",
                                                      "1016.enabled", "1017.checked", "1047.enabled", "1047.position",
                                                      "1046.position")})

        # The other device at once; Cancel takes it back, and the moved slider too.
        drive("in", AUDIO_SOURCE, "select", "1013", "0")
        self.assertEqual("PulseAudio", drive("in", AUDIO_SOURCE, "controls")[1]["1069"])
        drive("in", AUDIO_SOURCE, "slide", "1046", "0")
        drive("in", AUDIO_SOURCE, "click", "2")
        self.assertEqual(0, drive("gone", AUDIO_SOURCE, "5")[0], "Cancel ends the dialog")
        drive("open", IDM_AUDIO_SOURCE)
        code, shown = drive("in", AUDIO_SOURCE, "controls")
        self.assertEqual(("1", "Monitor of ToneSink", str(16 - 2)), (shown["1013.selected"], shown["1069"], shown["1046.position"]))

        # OK stores the threshold; the mixer's default that Wine's mixer forces is no choice of the user's.
        # The device and its calibration are those of before the cancelled change.
        drive("in", AUDIO_SOURCE, "slide", "1046", "4")
        drive("in", AUDIO_SOURCE, "click", "1")
        self.assertEqual(0, drive("gone", AUDIO_SOURCE, "5")[0], "OK ends the dialog")
        drive("close")
        self.assertEqual(0, tuner.exit_code())
        with open(os.path.join(self.directory, "fretlark.ini"), newline="") as settings:
            self.assertEqual(FIRST_RUN_SETTINGS.replace("WaveIn = 0", "WaveIn = 1").replace("1.000000", "1.500000")
                             .replace("NoiseLevel = 2", "NoiseLevel = 12").replace("Source = 0", "Source = 2")
                             .replace("InputLevel = 64", "InputLevel = 40"), settings.read())

    def case_emulated(self):
        """The 32-bit program under emulation of 32-bit code: what it shows for the low E string and
        what it writes when closed. Its exit code is not judged: under emulation the platform's own
        teardown may crash after the program has finished, as a forty-line capture program does."""
        rows = self.analysis()
        tuner = Tuner(self.directory)
        self.assertEqual(0, drive("result", "900", timeout=960)[0], "no result shown")
        texts = drive("texts")[1]
        self.assertEqual(("Fretlark - Standard", "E2", "   82.41", "1"),
                         (texts["caption"], texts["target"], texts["required"], texts["harmonic"]))
        measured = [float(row[5]) for row in rows]
        self.assertTrue(min(measured) - 0.006 <= float(texts["measured"]) <= max(measured) + 0.006, texts)
        drive("close")
        try:
            tuner.process.wait(timeout=900)
        except subprocess.TimeoutExpired:
            tuner.process.kill()
        with open(os.path.join(self.directory, "fretlark.ini"), newline="") as settings:
            self.assertEqual(FIRST_RUN_SETTINGS, settings.read())

    def case_analysis_options(self):
        """View > Precise Pitch, Fast Updates and Automatic Note: on at once, kept for the next run.
        Precise Pitch shows a clean electric guitar's low E (rendered from the sound font) as the E
        string, where the default sees the B string; Automatic Note follows the tone until an octave
        is chosen by hand."""
        recorded = os.path.join(self.directory, "clean-electric-low-e.wav")
        subprocess.run([INSTRUMENT_TONES, "note", "27", "40", "0", recorded], check=True, capture_output=True, timeout=300)
        tuner = Tuner(self.directory)
        self.assertEqual(0, drive("result", "20")[0], "no result shown")
        drive("command", IDM_PRECISE_PITCH)
        drive("command", IDM_FAST_UPDATES)
        # The low E string, where the default reads 82.60 Hz.
        play("82.41")
        switched = time.time()
        code, shown = drive("shows", IDC_TARGET_NOTE, "E2", "10")
        self.assertEqual(0, code, "the new note never showed")
        print("from the new tone to its note in the window: %.0f ms" % (int(shown["at_ms"]) - 1000 * switched))
        self.assertEqual(0, drive("shows", IDC_MEASURED_FREQUENCY, "82.41", "5")[0], "precise pitch reads 82.41 Hz")
        play("110")
        self.assertEqual(0, drive("shows", IDC_TARGET_NOTE, "A2", "10")[0])
        play(recorded)
        self.assertEqual(0, drive("shows", IDC_TARGET_NOTE, "E2", "10")[0], "the recorded low E on the E string")

        drive("command", IDM_CHROMATIC_TUNING)
        drive("command", IDM_AUTO_NOTE)
        self.assertEqual(0, drive("shows", IDC_NOTE_LABEL, "E2", "10")[0], "the note found")
        play("110")
        self.assertEqual(0, drive("shows", IDC_NOTE_LABEL, "A2", "10")[0], "the label follows the tone")
        drive("command", IDC_OCTAVE_UP)
        self.assertEqual(0, drive("shows", IDC_NOTE_LABEL, "A3", "5")[0], "an octave up by hand")
        play("82.41")
        self.assertEqual(0, drive("shows", IDC_MEASURED_FREQUENCY, "82.41", "10")[0])
        self.assertEqual(("A3", "A3"), (drive("texts")[1]["note"], drive("texts")[1]["target"]), "set by hand, it stays")
        drive("command", IDM_AUTO_NOTE)
        self.assertEqual(0, drive("shows", IDC_NOTE_LABEL, "E2", "10")[0], "on again, it follows the tone")
        drive("close")
        self.assertEqual(0, tuner.exit_code())
        settings = os.path.join(self.directory, "fretlark.ini")
        chosen = FIRST_RUN_SETTINGS + "\r\n[Analysis]\r\nPrecisePitch = 1\r\nFastUpdates = 1\r\nAutoNote = 1\r\n"
        with open(settings, newline="") as stored:
            self.assertEqual(chosen, stored.read())

        again = Tuner(self.directory)
        self.assertEqual(0, drive("shows", IDC_MEASURED_FREQUENCY, "82.41", "20")[0], "precise pitch from the start")
        drive("command", IDM_CHROMATIC_TUNING)
        self.assertEqual(0, drive("shows", IDC_NOTE_LABEL, "E2", "10")[0], "automatic note from the start")
        drive("close")
        self.assertEqual(0, again.exit_code())
        with open(settings, newline="") as stored:
            self.assertEqual(chosen, stored.read())

if __name__ == "__main__":
    CASE = sys.argv[sys.argv.index("--case") + 1]
    arguments = sys.argv[1:sys.argv.index("--case")]
    PROGRAM, DRIVE, ANALYZE = arguments[:3]
    RUNNER = arguments[3:]
    unittest.main(argv=[sys.argv[0]])
