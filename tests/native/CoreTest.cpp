#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "Notes.hpp"
#include "TunerAnalysis.hpp"
#include "TunerSettingsFixture.hpp"
#include "TunerState.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr const char* StringSource = "Cpp/YString";
constexpr double Pi = 3.141592653589793;
constexpr int Rate = 11025;
constexpr double Bin = Rate / 4096.0;
const std::vector<int> standard = {-29, -24, -19, -14, -10, -5};

std::string Text(const YString& s) { return std::string(s.CStr(), s.Length()); }

// The library's foundation: strings, arrays, byte buffers, exceptions.

TEST(YString, GrowsInSixteenByteStepsAndWhatFailsLeavesItAsItWas) {
    YString s, other("x");
    EXPECT_TRUE(*s.CStr() == '\0' && s.Capacity() == 0u);  // the empty view allocates nothing
    s = "hello";
    s.SetLength(16);
    EXPECT_TRUE(Text(s) == "hello           " && s.Capacity() == 33u);
    s.SetLength(-4);
    EXPECT_TRUE(s.IsEmpty() && s.Capacity() == 33u);  // never shrinks
    s = "abcdefghij";
    s += s;
    s = s.CStr() + 15;
    s.SetLength(62);
    {
        FailingMemory noMemory;
        s += 'x';  // 63 characters fill the 65 bytes; a 64th needs a bigger block
        EXPECT_YTHROW(s += 'y', YSystemException::KindNoMemory, 72, StringSource);
        EXPECT_YTHROW(s += other, YSystemException::KindNoMemory, 72, StringSource);
        EXPECT_YTHROW(other = s, YSystemException::KindNoMemory, 72, StringSource);
        // The terminated view needs no memory, even where a 64th character would need a new block.
        EXPECT_TRUE(std::strlen(s.CStr()) == 63 && Text(other) == "x");
    }
    EXPECT_YTHROW(s[-1], YSystemException::KindOutOfRange, 479, StringSource);
    EXPECT_YTHROW(static_cast<const YString&>(s)[63], YSystemException::KindOutOfRange, 487, StringSource);
    s = "keep";
    EXPECT_YTHROW(s.Format("%s", std::string(1024, 'x').c_str()), YSystemException::KindUnknown, 544, StringSource);
    EXPECT_YTHROW(s.AppendFormat("%s", std::string(1024, 'x').c_str()), YSystemException::KindUnknown, 595, StringSource);
    s.AppendFormat("%d", -1);
    EXPECT_TRUE(s[0] == 'k' && Text(s) == "keep-1");
}

TEST(YString, SearchesTokensNumbersAndComparisonsStopAtTheEndsOfTheText) {
    const YString s("E2 A2 E2");
    s.CStr();  // puts the terminating NUL behind the text, which is no character of it
    // A negative start counts as 0; a match may not run past the end; an empty one is never found.
    EXPECT_EQ((std::vector<int>{0, 6, 7, -1, -1, 3, 3, -1, -1}),
              (std::vector<int>{s.Find('E', -5), s.Find('E', 1), s.ReverseFind('2'), s.ReverseFind('x'), s.Find('\0'),
                                s.Find("A", 0), s.Find("A2", -1), s.Find("E2 ", 6), s.Find("", 0)}));
    EXPECT_EQ("A2|E2|A2|E2", Text(s.Range(3, 4)) + "|" + Text(s.Range(6, 99)) + "|" + Text(s.Mid(3, 2)) + "|" + Text(s.Mid(6, 9)));
    YString cut("E2 A2 E2");
    cut.Delete(2, 3);  // what follows moves up
    EXPECT_EQ("E2 E2", Text(cut));
    // Tokens and the index of the separator that ended each; a NUL byte is text, no separator.
    YString list;
    for (char c : "a;b,,c\0 "s) list += c;
    std::string tokens;
    for (int index = 0; !list.IsEmpty(); tokens += "|" + std::to_string(index) + "|") tokens += Text(list.NextToken(";,", index));
    EXPECT_EQ("a|0|b|1||1|c\0 |-1|"s, tokens);

    int value = -1, end = -1;
    double number = -1.0;
    EXPECT_TRUE(YString("x -7abc").ToInt(value, 1, end) && value == -7 && end == 4);
    EXPECT_TRUE(YString("x1.5x").ToDouble(number, 1, end) && number == 1.5 && end == 4);
    // Nothing is written when nothing parses; an empty string is not range-checked.
    EXPECT_FALSE(YString("abc").ToInt(value) || YString("").ToInt(value, 7) || YString("abc").ToDouble(number));
    EXPECT_TRUE(value == -7 && number == 1.5);
    EXPECT_YTHROW(YString("12").ToInt(value, 2), YSystemException::KindOutOfRange, 387, StringSource);
    // Numbers beyond 32 bits saturate, as a 32-bit strtol does on every platform.
    EXPECT_TRUE(YString("99999999999").ToInt(value) && value == 2147483647);
    // Characters compare as signed bytes, 0xE9 before every ASCII letter; CompareNoCase takes the sign
    // from the unconverted characters: 'c' (0x63) > 'D' (0x44).
    EXPECT_EQ((std::vector<int>{-1, -1, 1, 0, -1, 1, -1}),
              (std::vector<int>{YString("a").Compare("b"), YString("a").Compare("ab"), YString("ab").Compare(nullptr),
                                s.Compare("E2 A2 E2"), YString("\xE9").Compare("a"), YString("abc").CompareNoCase("ABD"),
                                YString("").CompareNoCase("a")}));
}

TEST(YArrays, OnlyANewSizeReplacesTheElementsAndGrowingNeverMovesThem) {
    YArray<YString> fixed;
    {
        FailingMemory noMemory;
        EXPECT_YTHROW(fixed.SetSize(2), YSystemException::KindNoMemory, 72, "hpp/YArray");
    }
    fixed.SetSize(2);
    fixed[0] = fixed[1] = "low E";  // each element is destroyed when the array goes
    fixed.SetSize(2);
    EXPECT_YTHROW(static_cast<const YArray<YString>&>(fixed)[2], YSystemException::KindOutOfRange, 113, "hpp/YArray");
    EXPECT_YTHROW(fixed.SetCursor(2), YSystemException::KindOutOfRange, 187, "hpp/YArray");
    EXPECT_EQ("low E", fixed[1]);
    fixed.SetSize(0);
    EXPECT_EQ(nullptr, fixed.Data());

    YDynArray<int> a;
    a.SetSize(39);
    EXPECT_EQ(39, a.Add());
    a[19] = 19;
    a.Last() = 39;
    const int* last = &a[39];
    a.SetSize(1000);  // thirty blocks more: the elements stay where they are
    EXPECT_TRUE(&a[39] == last && a[39] == 39);
    a.SetSize(10);
    EXPECT_YTHROW(a[10], YSystemException::KindOutOfRange, 173, "hpp/YDynArray");
    a.SetSize(40);
    // Block 0 survived; block 1 (elements 32 to 63) was given back and comes back default-constructed.
    EXPECT_TRUE(a[19] == 19 && a[39] == 0);
    a.RemoveAll();
    EXPECT_YTHROW(a.Last(), YSystemException::KindOutOfRange, 239, "hpp/YDynArray");

    // Running out of memory, in turn, for a new table, a new table's first block, a grown table, a
    // grown table's second new block, and a shrunk table, which still takes the new count.
    const std::vector<int> cases[] = {{0, 0, 1, 108}, {0, 1, 1, 119}, {32, 0, 33, 130}, {32, 2, 100, 139}, {70, 0, 10, 159}};
    for (const auto& c : cases) {
        const int count = c[0], successes = c[1], newCount = c[2], line = c[3], kept = std::min(count, newCount);
        YDynArray<int> b;
        b.SetSize(count);
        for (int i = 0; i < count; ++i) b[i] = i;
        const int* first = count > 0 ? &b[0] : nullptr;
        {
            FailingMemory noMemory(successes);
            EXPECT_YTHROW(b.SetSize(newCount), YSystemException::KindNoMemory, line, "hpp/YDynArray");
        }
        ASSERT_EQ(kept, b.Count()) << line;
        EXPECT_TRUE(kept == 0 || (first == &b[0] && b[kept - 1] == kept - 1)) << line;
    }
}

// What the capture relies on: resizing keeps the bytes that fit, a size of 0 frees the block and
// copies are deep; the rest of the class only has to stay inside its buffers.
TEST(YByteBuffer, ResizingKeepsTheBytesThatFitAndCopiesAreDeep) {
    YByteBuffer buffer(4), copy;
    std::memcpy(buffer.Data(), "\x01\x02\x03\x04", 4);
    buffer.SetSize(8);
    copy = buffer;
    copy[0] = 9;
    buffer.SetSize(2);
    EXPECT_TRUE(std::memcmp(copy.Data(), "\x09\x02\x03\x04", 4) == 0 && std::memcmp(buffer.Data(), "\x01\x02", 2) == 0);
    buffer.SetSize(0);
    EXPECT_EQ(nullptr, buffer.Data());
    EXPECT_YTHROW(buffer.Put(0, copy), YSystemException::KindOutOfRange, 187, "Cpp/YByteBuffer");
}

// The settings file and the tunings stored in it.

class Settings : public TunerSettingsFixture {
protected:
    // Starts up with `devices` wave-input devices on the settings file as it is, or on `file`; the
    // start-up values in the order of their keys in a new file.
    std::vector<double> StartUp(int devices) {
        LoadSettings(directory.Directory().c_str(), devices);
        return {double(waveInDevice),   calibrationRate, double(inputSource),
                double(recordingLevel), rootFrequency,   double(noiseThreshold)};
    }
    std::vector<double> StartUp(const std::string& file, int devices) {
        WriteBytes(settingsPath, file);
        return StartUp(devices);
    }

    static std::vector<int> CurrentTuning() {
        int offsets[TuningStringCount] = {};
        LoadCurrentTuning(offsets);
        return std::vector<int>(offsets, offsets + TuningStringCount);
    }

    // Stores A4 = `value` and saves; true when the save did and the file holds just that.
    bool SavesRoot(const char* value) {
        theSettings.SetValue("Tuning", "RootFrequency", value);
        return theSettings.Save() && ReadBytes(settingsPath) == TextFileLines({"", "[Tuning]", ("RootFrequency = "s + value).c_str()});
    }
};

TEST_F(Settings, AFirstRunWritesTheFourteenLineFileAndARunThatStoresNothingLeavesItAlone) {
    calibrationRate = rootFrequency = waveInDevice = inputSource = noiseThreshold = recordingLevel = 3;  // none a default
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ((std::vector<double>{0, 1.0, 0, 64, 440.0, 2}), StartUp(1));
        EXPECT_EQ(standard, CurrentTuning());
        EXPECT_EQ(run == 0, theSettings.IsModified());  // only the first run writes the file at exit
        theSettings.Save();
        EXPECT_EQ(TextFileLines({"", "[AudioInput]", "WaveIn = 0", "Calibration = 1.000000", "Source = 0", "InputLevel = 64",
                                 "NoiseLevel = 2", "", "[Tuning]", "RootFrequency = 440", "CurrentTuning = Standard", "",
                                 "[Tunings]", "Standard = -29, -24, -19, -14, -10, -5"}),
                  ReadBytes(settingsPath));
    }
    EXPECT_TRUE(theSettings.RemoveKey("tunings", "standard") && theSettings.IsModified());  // a change to save like any store
    EXPECT_TRUE(StartUp(0)[0] == 0 && theSettings.IsModified());  // without devices even 0 is out of range
}

// Keys of any case, blanks and tabs, CR LF line ends, a byte-order mark and a Ctrl-Z an editor left,
// comments, repeated keys and sections, lines under a header without a name: what the start-up
// finds, and how the file looks once saved.
TEST_F(Settings, StartUpOnAHandEditedFileRepairsValuesInPlaceAndSavingNormalisesTheLayout) {
    EXPECT_EQ((std::vector<double>{1, 1.5, 0, 64, 445, 0}),
              StartUp("\xEF\xBB\xBF  ; my tuner   \r\ntop = level\r\n[Audio Input]   \r\n Mode=2\r\n[]\r\nLost = 1\r\n; lost\r\n[ AudioInput]\r\n"
                      "Lost = 2\r\n[AudioInput]\r\n\twaveIn\t=\t9\t\r\nCalibration = 1.5x\r\nInputLevel = 80\r\nNote\r\n"
                      "Formula = a=\x1A" "b\rc\r\n\r\n; inside\r\nWAVEIN = 1\r\r\n= orphan\r\nNoiseLevel=0\r\n[Tuning]\r\n"
                      "RootFrequency = 445\r\nCurrentTuning = open_g \r\n[tunings]\r\nOpen_G = -29, -24, -17, -14, -12, -5\r\n"
                      "[audio]\r\nExtra = x\r\n[Empty]\r\n\x1A"s, 2));
    EXPECT_EQ((std::vector<int>{-29, -24, -17, -14, -12, -5}), CurrentTuning());
    EXPECT_EQ("<missing> <missing> ", Stored("", "top") + " " + Stored("Audio", "Lost") + " " + Stored("AudioInput", "Note"));
    // A key stored again after its removal comes back at the end of its section.
    EXPECT_TRUE(theSettings.RemoveKey("audioinput", "Note") && !theSettings.RemoveKey("AudioInput", "Note") &&
                !theSettings.RemoveKey("Nowhere", "Note"));
    theSettings.SetValue("AUDIOINPUT", "NOTE", "n");
    theSettings.SetValue("empty", "Stored", "s");
    ASSERT_TRUE(theSettings.Save());
    EXPECT_EQ(TextFileLines({"; my tuner", "top = level", "", "[Audio]", "Mode = 2", "Extra = x", "", "[AudioInput]", "waveIn = 1",
                             "Calibration = 1.5x", "InputLevel = 64", "Formula = a=\x1A" "b\rc", "; inside", "NoiseLevel = 0", "Source = 0",
                             "NOTE = n", "", "[Tuning]", "RootFrequency = 445", "CurrentTuning = open_g", "", "[tunings]",
                             "Open_G = -29, -24, -17, -14, -12, -5", "", "[Empty]", "Stored = s"}),
              ReadBytes(settingsPath));
}

TEST_F(Settings, NumbersThatDoNotParseOrLieOutsideTheirRangesBecomeDefaultsAndAFileThatIsNoTextIsNeverOverwritten) {
    EXPECT_EQ((std::vector<double>{0, 1.0, 0, 0, 440, 2}),
              StartUp("[AudioInput]\nWaveIn = 2\nCalibration = abc\nSource = -1\nInputLevel = 0\nNoiseLevel = 17\n"
                      "[Tuning]\nRootFrequency = 437\n[Analysis]\nPrecisePitch = 1\nFastUpdates = yes\nAutoNote = 1\n",
                      2));
    // The analysis options stay out of the file until they are used.
    EXPECT_TRUE(precisePitch && !fastUpdates && autoNote);
    EXPECT_EQ("0 1.000000 0", Stored("AudioInput", "WaveIn") + " " + Stored("AudioInput", "Calibration") + " " +
                                  Stored("Analysis", "FastUpdates"));
    for (const char* calibration : {"nan", "inf", "2.0000001", "0.4999"})
        EXPECT_EQ(1.0, StartUp("[AudioInput]\nCalibration = "s + calibration, 2)[1]) << calibration;
    // What text editors make of the file: a UTF-16 one, one with a NUL byte or another control
    // character, is no text the tuner reads: it runs on the defaults and leaves the file as it is.
    const std::string custom = TextFileLines({"[Tuning]", "RootFrequency = 443"});
    std::string utf16 = "\xFF\xFE";
    for (char c : custom) utf16 += {c, '\0'};
    for (const std::string& bytes : {utf16, "\xFF\xFE"s, "\xFE\xFF"s, std::string(custom).insert(5, 1, '\0'), std::string(custom).insert(5, "\x1B")}) {
        EXPECT_EQ(440.0, StartUp(bytes, 1)[4]);
        EXPECT_TRUE(!theSettings.Save() && ReadBytes(settingsPath) == bytes);
    }
}

// A save that fails part-way, out of memory or on a full disk, leaves the old file as it was and no
// temporary file behind.
TEST_F(Settings, ASaveThatFailsPartWayKeepsTheOldFile) {
    const std::string original = TextFileLines({"", "[Tuning]", "RootFrequency = 440"}), temporary = settingsPath + YIniFile::TemporarySuffix;
    LoadFile(original);
    // Ever longer lines, so that the line buffer grows (and may fail) after the first lines are out.
    for (int length : {10, 40, 100, 400}) theSettings.SetValue("Tunings", YString(std::string(length, 'k').c_str()), "v");
    int successes = 0;
    for (bool saved = false; !saved && successes < 100; ++successes) {
        theSettings.SetValue("Tuning", "RootFrequency", "441");
        FailingMemory memory(successes);
        const std::string thrown = ThrownBy([&] { saved = theSettings.Save(); });
        EXPECT_TRUE(thrown == "nothing" || thrown.substr(0, 2) == std::to_string(YSystemException::KindNoMemory) + " ") << thrown;
        EXPECT_TRUE((saved || ReadBytes(settingsPath) == original) && !fs::exists(temporary)) << successes;
    }
    EXPECT_TRUE(successes > 3 && successes < 100);
#ifndef _WIN32
    const std::string saved = ReadBytes(settingsPath);
    fs::create_symlink("/dev/full", temporary);
    theSettings.SetValue("Tuning", "RootFrequency", "442");
    EXPECT_FALSE(theSettings.Save());
    EXPECT_EQ("Writing INI file (" + settingsPath + ") failed.", theSettings.LastError().CStr());
    EXPECT_TRUE(ReadBytes(settingsPath) == saved && !fs::exists(fs::symlink_status(temporary)));
#endif
}

// A save keeps the file (natively its permission bits) or writes it in place where it cannot be
// replaced, and never overwrites a file it may not write or could not read: the old file stays.
TEST_F(Settings, SavesThatCannotTakeTheFilesPlaceWriteItInPlaceOrFailAndTheOldFileStays) {
    const std::string folder = directory.File("folder"), missing = directory.File("missing");
    fs::create_directory(folder);
    const std::pair<std::string, const char*> cases[] = {{missing + "/fretlark.ini", "Creating"}, {"", "Creating"}, {folder, "Replacing"}};
    for (const auto& [unwritable, step] : cases) {
        theSettings.SetFileName(unwritable.c_str());
        EXPECT_FALSE(SavesRoot("441") || theSettings.IsModified()) << unwritable;
        EXPECT_EQ(step + (" INI file (" + unwritable + ") failed."), theSettings.LastError().CStr());
    }
    EXPECT_TRUE(fs::is_directory(folder) && !fs::exists(folder + YIniFile::TemporarySuffix));
    theSettings.SetFileName(missing.c_str());
    EXPECT_FALSE(theSettings.Load() || theSettings.KeyCount("Tuning") != -1);
    EXPECT_EQ("Opening INI file (" + missing + ") failed.", theSettings.LastError().CStr());
    // A folder opens on some systems but cannot be read: the load must end all the same.
    theSettings.SetFileName(folder.c_str());
    EXPECT_FALSE(theSettings.Load());

    const std::string custom = TextFileLines({"", "[Tuning]", "RootFrequency = 443"});
#ifndef _WIN32
    // Root reads and writes every file whatever its permission bits say: root runs the rest as user
    // nobody, to whom the directory then belongs, and is root again when the test ends.
    const passwd* nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
    struct Root {
        bool again;
        ~Root() {
            if (again && (seteuid(0) != 0 || setegid(0) != 0)) std::abort();
        }
    } root{nobody && chown(directory.Directory().c_str(), nobody->pw_uid, nobody->pw_gid) == 0 &&
           setegid(nobody->pw_gid) == 0 && seteuid(nobody->pw_uid) == 0};
    WriteBytes(settingsPath, custom);
    fs::permissions(settingsPath, fs::perms::owner_write);  // unreadable, but writable
    EXPECT_EQ(440.0, StartUp(1)[4]);
    fs::permissions(settingsPath, fs::perms(0640));
    EXPECT_TRUE(theSettings.IsModified() && !theSettings.Save() && ReadBytes(settingsPath) == custom);
    LoadFile(custom);
    EXPECT_TRUE(SavesRoot("441") && fs::status(settingsPath).permissions() == fs::perms(0640));
    // A program folder that takes no new file, with a writable settings file in it.
    fs::permissions(directory.Directory(), fs::perms(0555));
    EXPECT_TRUE(SavesRoot("442"));
    fs::permissions(directory.Directory(), fs::perms(0755));
#else
    LoadFile(custom);
    EXPECT_TRUE(SavesRoot("442"));
#endif
    fs::permissions(settingsPath, fs::perms(0444));  // read-only
    EXPECT_FALSE(SavesRoot("444") || fs::exists(settingsPath + YIniFile::TemporarySuffix));
    EXPECT_EQ(TextFileLines({"", "[Tuning]", "RootFrequency = 442"}), ReadBytes(settingsPath));
    fs::permissions(settingsPath, fs::perms(0644));
}

// Values and the offsets they give; none: unreadable, and then the current tuning gives way to
// "Standard", whose unreadable entry gives way to the standard notes in turn.
TEST_F(Settings, TuningsAreSixCommaSeparatedNumbersAndAnUnreadableCurrentOneGivesWayToStandard) {
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"-31,-24,-19,-14,-10,-5", {-31, -24, -19, -14, -10, -5}}, {" 1 ,\t2, 3,4 , 5,6 ", {1, 2, 3, 4, 5, 6}},
        {"1, 2, 3, 4, 5, 6, 7", {1, 2, 3, 4, 5, 6}}, {"12abc, +2, 3, 4, 5, 6", {12, 2, 3, 4, 5, 6}},
        {"1, 2, 3", {}}, {"1, x, 3, 4, 5, 6", {}}, {"1, , 3, 4, 5, 6", {}}, {"1, 2, 3, 4, 5,", {}}};
    for (const auto& [value, offsets] : cases) {
        LoadFile("[Tuning]\nCurrentTuning = t\n[Tunings]\nStandard = 1, x\nT = "s + value + "\n");
        EXPECT_EQ(offsets.empty() ? standard : offsets, CurrentTuning()) << value;
        EXPECT_EQ(offsets.empty() ? "Standard" : "t", Stored("Tuning", "CurrentTuning")) << value;
        EXPECT_EQ(offsets.empty(), theSettings.IsModified()) << value;
    }
    // Names the user gives: 1 to 20 ASCII letters, digits and underscores (\xE9 is e acute in Latin-1).
    for (const char* name : {"Drop_D", "a", "_1", "ABCDEFGHIJ0123456789"}) EXPECT_TRUE(IsValidTuningName(name)) << name;
    for (const char* name : {"", "Drop D", "Drop-D", "ABCDEFGHIJ0123456789K", "Caf\xE9", "a=b", "[x]"})
        EXPECT_FALSE(IsValidTuningName(name)) << name;
}

// Pitch analysis: the transform, the block analysis and note matching.

// Signed 16-bit little-endian samples, as the capture device delivers them (the host is little-endian too).
YByteBuffer Pcm(const std::vector<int>& samples) {
    const std::vector<std::int16_t> pcm(samples.begin(), samples.end());
    YByteBuffer buffer(static_cast<int>(2 * pcm.size()));
    buffer.Put(0, pcm.data(), buffer.Size());
    return buffer;
}

// A tone, and on request its second harmonic at half the amplitude (-6 dB) and white noise 20 dB below
// both (at 0 Hz only the noise, of a standard deviation 0.079 times the amplitude).
std::vector<int> Tone(double frequency, double amplitude, int count = 4096, std::mt19937* noise = nullptr) {
    std::normal_distribution<double> gauss(0, amplitude * 0.079);
    std::vector<int> samples(count);
    for (int n = 0; n < count; ++n) {
        const double phase = 2 * Pi * frequency * n / Rate;
        samples[n] = static_cast<int>(std::lround(amplitude * std::sin(phase + frequency) +
                                                  (noise ? amplitude / 2 * std::sin(2 * phase) + gauss(*noise) : 0)));
    }
    return samples;
}

// Random blocks of sizes with and without paired stages, odd and even, against the transform as
// defined, summed directly: X[0] and X[N/2] share the first slot of the result, which the spectrum
// turns into the signed end values and the magnitudes between them, scaled by 1/N.
TEST(Yfft, ResultsAndSpectraAreThoseOfTheDefinition) {
    Yfft fft;
    EXPECT_YTHROW(fft.Load(Pcm({1, 2, 3, 4}), Yfft::FormatPcm16), YSystemException::KindUnknown, 107, "Cpp/Yfft");
    EXPECT_YTHROW(fft.Init(0), YSystemException::KindUnknown, 29, "Cpp/Yfft");
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    for (int m : {2, 3, 6, 11, 12}) {
        fft.Init(m);  // replaces the tables
        const int size = fft.Size();
        std::vector<int> x(size);
        for (int& value : x) value = sample(random);
        fft.Load(Pcm(x), Yfft::FormatPcm16);
        fft.Load(Pcm(std::vector<int>(size, 9)), 2);  // other formats load nothing
        fft.Transform();
        const YfftComplex* result = m % 2 == 1 ? fft.Work() : fft.Other();
        std::vector<std::complex<double>> transform(size / 2);
        for (int n = 0; n < size; ++n) transform[0] += std::complex<double>(x[n], n % 2 == 0 ? x[n] : -x[n]);
        for (int k = 0; k < size / 2; ++k) {
            for (int n = 0; n < size && k > 0; ++n)
                transform[k] += std::polar(double(x[n]), -2 * Pi * (static_cast<long long>(k) * n % size) / size);
            ASSERT_LT(std::abs(transform[k] - std::complex<double>(result[k].re, result[k].im)), 1e-4) << m << " " << k;
        }
        YArray<double> spectrum;
        fft.GetSpectrum(spectrum);
        for (int k = 0; k <= size / 2; ++k) {
            const double expected = k == 0 ? transform[0].real() : k == size / 2 ? transform[0].imag() : std::abs(transform[k]);
            EXPECT_NEAR(expected / size, spectrum[k], 1e-6) << m << " " << k;
        }
    }
}

class PitchAnalysis : public ::testing::Test {
protected:
    void SetUp() override {
        calibrationRate = 1.0;
        precisePitch = autoNote = false;
        rootFrequency = 440.0;
        tunerMode = TunerModeGuitar;
        autoString = true;
        selectedString = noteIndex = 0;
        std::copy(standard.begin(), standard.end(), analysis.StringOffsets);
        analysis.Setup();
    }

    // Matches each frequency in turn: the selected string afterwards, the harmonic, the difference and
    // the target note (that of the selected string in guitar mode).
    void ExpectMatches(std::initializer_list<std::vector<double>> matches) {
        for (const std::vector<double>& match : matches) {
            measuredFrequency = match[0];
            analysis.MatchNote();
            EXPECT_EQ(std::vector<double>(match.begin() + 1, match.end()),
                      (std::vector<double>{double(selectedString), double(harmonicNumber), semitoneDifference, double(noteIndex)}))
                << match[0] << " Hz";
        }
    }

    TunerAnalysis analysis;
};

TEST_F(PitchAnalysis, OnlyFullBlocksAreMeasuredAndThePeakIsInterpolatedTowardsTheLargerNeighbour) {
    rawFrequency = measuredFrequency = inputLevel = signalLevel = cpuLoad = -1;
    const YByteBuffer tone = Pcm(Tone(440, 10000));
    // A count of 8192 bytes in a buffer that is shorter must not read past its end either.
    EXPECT_FALSE(analysis.AnalyzeBlock(tone, 8190, Rate, 7) || analysis.AnalyzeBlock(tone, 16384, Rate, 7) ||
                 analysis.AnalyzeBlock(Pcm(Tone(440, 8000, 2000)), 8192, Rate, 7));
    EXPECT_TRUE(inputLevel == -1 && signalLevel == -1 && rawFrequency == -1 && measuredFrequency == -1 && cpuLoad == -1);
    // Silence: all bins equal, so the highest one, without interpolation.
    EXPECT_TRUE(analysis.AnalyzeBlock(Pcm(std::vector<int>(4096, 0)), 8192, Rate, 3));
    EXPECT_TRUE(inputLevel == 0 && signalLevel == 0 && rawFrequency == 2753.558349609375 && measuredFrequency == rawFrequency &&
                cpuLoad == 3);
    // The peak bin holds about half the amplitude, spread over two bins.
    EXPECT_TRUE(analysis.AnalyzeBlock(tone, 8192, Rate, 12));
    EXPECT_TRUE(signalLevel > 2500 && signalLevel < 5000 && cpuLoad == 12) << signalLevel;
    EXPECT_NEAR(440, rawFrequency, Bin / 2);
    // The precise estimate reads the low E string to half a cent (its goal is a fifth) with the second
    // harmonic at -6 dB and white noise 20 dB down.
    std::mt19937 random(2026);
    precisePitch = true;
    EXPECT_TRUE(analysis.AnalyzeBlock(Pcm(Tone(82.1, 16000, 4096, &random)), 8192, Rate, 0));
    EXPECT_NEAR(82.1, rawFrequency, 0.024);
    // Where the third harmonic is three times as strong as the fundamental, it still reads the fundamental.
    std::vector<int> weak = Tone(82.41, 4000), third = Tone(3 * 82.41, 12000);
    std::transform(weak.begin(), weak.end(), third.begin(), weak.begin(), std::plus<>());
    EXPECT_TRUE(analysis.AnalyzeBlock(Pcm(weak), 8192, Rate, 0));
    EXPECT_NEAR(82.41, rawFrequency, 0.05);

    // Silence, noise, clicks and a hum of a fraction of a step have no fundamental: the precise
    // analysis publishes nothing, so that the previous result stays.
    std::vector<int> silence(4096, 0), noise = Tone(0, 38000, 4096, &random), clicks(silence), hum = Tone(110, 1.2);
    for (int n = 0; n < 4096; n += 1500) clicks[n] = 30000;
    for (const std::vector<int>& samples : {silence, noise, clicks, hum}) {
        rawFrequency = measuredFrequency = inputLevel = signalLevel = -1;
        EXPECT_FALSE(analysis.AnalyzeBlock(Pcm(samples), 8192, Rate, 0));
        EXPECT_TRUE(inputLevel == -1 && signalLevel == -1 && rawFrequency == -1 && measuredFrequency == -1);
    }
    precisePitch = false;

    // Spectra zero but for the bins given with their magnitudes, and the frequency found in bins:
    // equal neighbours move it upwards, equal maxima keep the higher bin, the range's outer
    // neighbours count but are never the peak.
    const std::vector<std::vector<double>> spectra[] = {
        {{99, 0.5}, {100, 1.0}, {101, 0.5}, {100.25}}, {{200, 3.0}, {201, 3.0}, {200.5}}, {{4, 0.9}, {5, 1.0}, {1500, 50.0}, {4.55}}};
    YArray<double> spectrum;
    spectrum.SetSize(2049);
    double peak = 0;
    for (const auto& bins : spectra) {
        spectrum.Fill(0.0);
        for (std::size_t i = 0; i + 1 < bins.size(); ++i) spectrum[static_cast<int>(bins[i][0])] = bins[i][1];
        EXPECT_NEAR(bins.back()[0] * Bin, TunerAnalysis::PeakFrequency(spectrum, Rate, peak), 1e-9) << bins.back()[0];
    }
    // A spectrum without the highest bin's right neighbour is refused, not read past its end.
    spectrum.SetSize(1024);
    spectrum.Fill(1.0);
    EXPECT_YTHROW(TunerAnalysis::PeakFrequency(spectrum, Rate, peak), YSystemException::KindOutOfRange, 113, "hpp/YArray");
}

TEST_F(PitchAnalysis, NotesAreMatchedToTheChromaticTargetOrTheNearestStringOrTheOctaveAboveAndNamedFromA4) {
    // At 95 Hz no string lies within reach, and the first string stands.
    ExpectMatches({{110.0, 1, 1, 0.0, -24}, {112.0, 1, 1, 0.31, -24}, {10.0, 1, 1, 0.31, -24}, {-440.0, 1, 1, 0.31, -24},
                   {80.0, 0, 1, -0.51, -29}, {164.81, 0, 2, 0.0, -29}, {700.0, 5, 2, 1.04, -5}, {95.0, 0, 1, 2.46, -29},
                   {329.0, 5, 1, -0.03, -5}});
    // The automatic choice stays selected when the user takes over: the A string would match
    // exactly, but the high E is the one being tuned.
    autoString = false;
    ExpectMatches({{110.0, 5, 1, -19.0, -5}});
    // Far from the fundamental and the octave, the fundamental stands however far off it is.
    selectedString = 1;
    ExpectMatches({{120.0, 1, 1, 1.51, -24}, {200.0, 1, 2, -1.65, -24}, {230.0, 1, 2, 0.77, -24}, {2000.0, 1, 1, 50.21, -24}});
    // Equal strings leave the lower index.
    autoString = true;
    std::fill(std::begin(analysis.StringOffsets), std::end(analysis.StringOffsets), -19);
    ExpectMatches({{150.0, 0, 1, 0.37, -19}});
    // With the automatic note, the note nearest the tone within A0 .. C8 becomes the chromatic target.
    autoNote = true;
    tunerMode = TunerModeChromatic;
    ExpectMatches({{445.0, 0, 1, 0.2, 0}, {452.0, 0, 1, 0.47, 0}, {454.0, 0, 1, -0.46, 1}, {82.41, 0, 1, 0.0, -29},
                   {20.0, 0, 1, -5.51, -48}, {5000.0, 0, 1, 3.08, 39}});
    rootFrequency = 442.0;
    ExpectMatches({{442.0, 0, 1, 0.0, 0}});
    // Differences are rounded to hundredths, halves upwards.
    EXPECT_EQ((std::vector<double>{0.13, -0.12}),
              (std::vector<double>{TunerAnalysis::RoundedToHundredths(0.125), TunerAnalysis::RoundedToHundredths(-0.125)}));
    // Octaves change between B and C; the ends of the int range still give a name and an octave.
    std::string names;
    for (int semitones : {0, 3, -1, -29, -9, -12, -13, -48, 39, -58, -57, INT_MIN, INT_MAX, 12, -10, 5}) {
        YString out = "previous text";
        NoteName(semitones, out, semitones == 12 ? NOTE_NAME : semitones == -10 ? NOTE_OCTAVE : semitones == 5 ? 0 : 6);
        names.append(out.CStr()).append(" ");
    }
    EXPECT_EQ("A4 C5 G#4 E2 C4 A3 G#3 A0 C8 B-1 C0 C#-178956966 E178956975 A 3  ", names);
}

}  // namespace
