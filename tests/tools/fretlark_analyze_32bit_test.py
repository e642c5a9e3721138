#!/usr/bin/env python3
# The 32-bit fretlark-analyze under emulation prints, byte for byte, what the 64-bit one prints.
#
# usage: fretlark_analyze_32bit_test.py ANALYZE32 ANALYZE64 RUNNER...
#
# One file holds a few tones (each program start costs about a minute under emulation); it is
# analysed with the default options and with the precise estimate on overlapping blocks.
import math
import os
import struct
import subprocess
import sys
import tempfile
import wave

ANALYZE32, ANALYZE64, *RUNNER = sys.argv[1:]
with tempfile.TemporaryDirectory() as directory:
    path = os.path.join(directory, "tones.wav")
    with wave.open(path, "wb") as out:
        out.setparams((1, 2, 11025, 0, "NONE", "not compressed"))
        for frequency, amplitude in ((82.41, 16000), (108.73, 9000), (440.0, 3000), (1318.5, 20000), (27.5, 30000)):
            samples = [round(amplitude * math.sin(2 * math.pi * frequency * n / 11025 + 0.4)) for n in range(3 * 4096)]
            out.writeframes(struct.pack("<%dh" % len(samples), *samples))
    for options in ([], ["--precise", "--hop", "1024", "--mode", "chromatic", "--note", "-24"]):
        printed = [subprocess.run(RUNNER + [program] + options + [path], capture_output=True, timeout=900).stdout
                   for program in (ANALYZE32, ANALYZE64)]
        if len(printed[1].splitlines()) <= 10 or printed[0] != printed[1]:
            sys.exit("options %s: the 32-bit program printed\n%s\nthe 64-bit one\n%s" % (options, printed[0], printed[1]))
