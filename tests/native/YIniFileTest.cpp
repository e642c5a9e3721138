#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

#include "FailingMemory.hpp"
#include "TemporaryDirectory.hpp"
#include "Unprivileged.hpp"
#include "YIniFile.hpp"
#include "YSystemException.hpp"

namespace {

namespace fs = std::filesystem;

std::string Text(const YString& s) { return std::string(s.CStr(), s.Length()); }

std::string Value(const YIniFile& ini, const char* section, const char* key) {
    YString value("junk");
    return ini.GetValue(section, key, value) ? Text(value) : "<missing: " + Text(value) + ">";
}

class YIniFileTest : public ::testing::Test {
protected:
    // Loads `bytes` as the file's content.
    void LoadBytes(const std::string& bytes) {
        WriteBytes(path, bytes);
        ini.SetFileName(path.c_str());
        ASSERT_TRUE(ini.Load());
    }

    bool TemporaryFileExists() const { return std::filesystem::exists(path + YIniFile::TemporarySuffix); }

    TemporaryDirectory directory;
    std::string path = directory.File("test.ini");
    YIniFile ini;
};

const char* const messyFile =
    "  ; file comment   \n"
    "top = level\n"
    "[Audio Input]   \n"
    " Mode=2\n"
    "[]\n"
    "Lost = 1\n"
    "; lost comment\n"
    "[ AudioInput]\n"
    "Lost = 2\n"
    "[AudioInput]\n"
    "\tWaveIn\t=\t1\t\n"
    "Note\n"
    "Formula = a=b\r\n"
    "Doubled = v\r\r\n"
    "\n"
    "; inside\n"
    "waveIN = 3\n"
    "= orphan\n"
    "[audio]\n"
    "Extra = x\n"
    "[Empty]\n";

TEST_F(YIniFileTest, SavingNormalisesTheLayoutAndKeepsCommentsOrderAndFirstSpellings) {
    LoadBytes(messyFile);
    ini.SetValue("empty", "Stored", "s");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(TextFileLines({"; file comment", "top = level", "", "[Audio]", "Mode = 2", "Extra = x", "", "[AudioInput]",
                             "WaveIn = 3", "Note = ", "Formula = a=b", "Doubled = v", "; inside", "", "[Empty]", "Stored = s"}),
              ReadBytes(path));
    EXPECT_FALSE(TemporaryFileExists());
}

TEST_F(YIniFileTest, LookupsIgnoreCaseSkipCommentsAndNeverFindSectionZero) {
    LoadBytes(messyFile);
    EXPECT_EQ("3", Value(ini, "audioinput", "WAVEIN"));
    EXPECT_EQ("", Value(ini, "AudioInput", "Note"));
    EXPECT_EQ("<missing: >", Value(ini, "", "top"));
    EXPECT_EQ(4, ini.KeyCount("AudioInput"));
    EXPECT_EQ(0, ini.KeyCount("Empty"));
    EXPECT_EQ(-1, ini.KeyCount("Missing"));
    YString key("junk");
    EXPECT_TRUE(ini.KeyAt("AudioInput", 1, key));
    EXPECT_EQ("Note", Text(key));
    EXPECT_FALSE(ini.KeyAt("AudioInput", 4, key));
    EXPECT_EQ("", Text(key));
    EXPECT_FALSE(ini.KeyAt("Missing", 0, key));
}

TEST_F(YIniFileTest, StoresKeepPlacesAndSpellingsAndARemovedKeyComesBackAtTheEnd) {
    LoadBytes("[Tuning]\nRootFrequency = 440\n; kept\nCurrentTuning = Standard\n");
    ini.SetValue("TUNING", "rootfrequency", "442");
    EXPECT_EQ("442", Value(ini, "Tuning", "RootFrequency"));
    EXPECT_TRUE(ini.RemoveKey("tuning", "RootFrequency"));
    EXPECT_EQ("<missing: >", Value(ini, "Tuning", "RootFrequency"));
    EXPECT_FALSE(ini.RemoveKey("Tuning", "RootFrequency"));
    EXPECT_FALSE(ini.RemoveKey("Nowhere", "RootFrequency"));
    ini.SetValue("Tuning", "ROOTFREQUENCY", "443");
    ini.SetValue("New", "Key", "v");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(TextFileLines({"", "[Tuning]", "; kept", "CurrentTuning = Standard", "ROOTFREQUENCY = 443", "", "[New]", "Key = v"}),
              ReadBytes(path));
}

TEST_F(YIniFileTest, OnlyAStoreMakesTheDestructorRewriteTheFile) {
    const std::string original = "  [Tuning]  \nRootFrequency=440\n\n\n";
    WriteBytes(path, original);
    {
        YIniFile reader;
        reader.SetFileName(path.c_str());
        ASSERT_TRUE(reader.Load());
    }
    EXPECT_EQ(original, ReadBytes(path));
    {
        YIniFile writer;
        writer.SetFileName(path.c_str());
        writer.SetValue("Tuning", "RootFrequency", "440");
        ASSERT_TRUE(writer.Load());
        EXPECT_FALSE(writer.IsModified());
        writer.SetValue("Tuning", "RootFrequency", "440");
    }
    EXPECT_EQ(TextFileLines({"", "[Tuning]", "RootFrequency = 440"}), ReadBytes(path));
}

TEST_F(YIniFileTest, AFailedLoadLeavesSectionZeroAlone) {
    LoadBytes("[Tuning]\nRootFrequency = 440\n");
    std::string missing = directory.File("missing.ini");
    ini.SetFileName(missing.c_str());
    EXPECT_FALSE(ini.Load());
    EXPECT_EQ("Opening INI file (" + missing + ") failed.", Text(ini.LastError()));
    EXPECT_EQ(-1, ini.KeyCount("Tuning"));
    // A directory opens on some systems but cannot be read; the load must end all the same.
    ini.SetFileName(directory.Directory().c_str());
    EXPECT_FALSE(ini.Load());
}

TEST_F(YIniFileTest, AFileThatCannotBeCreatedOrReplacedIsReportedAndNothingIsWritten) {
    WriteBytes(directory.File("plain"), "");
    std::filesystem::create_directory(path);
    const std::pair<std::string, const char*> cases[] = {{directory.File("missing") + "/test.ini", "Creating"},
                                                         {directory.File("plain") + "/test.ini", "Creating"},
                                                         {std::string(), "Creating"},
                                                         {path, "Replacing"}};
    for (const auto& [unwritable, step] : cases) {
        SCOPED_TRACE(unwritable);
        ini.SetFileName(unwritable.c_str());
        ini.SetValue("Tuning", "RootFrequency", "441");
        EXPECT_FALSE(ini.Save());
        EXPECT_EQ(step + (" INI file (" + unwritable + ") failed."), Text(ini.LastError()));
        EXPECT_FALSE(ini.IsModified());
    }
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(TemporaryFileExists());
    EXPECT_FALSE(std::filesystem::exists(YIniFile::TemporarySuffix));
}

#ifndef _WIN32
TEST_F(YIniFileTest, AWriteThatFailsPartWayKeepsTheOldFile) {
    const std::string original = "[Tuning]\nRootFrequency = 440\n";
    LoadBytes(original);
    // The temporary file lands on a device that is always full.
    std::filesystem::create_symlink("/dev/full", path + YIniFile::TemporarySuffix);
    ini.SetValue("Tunings", "Standard", YString(std::string(5000, '0').c_str()));
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ("Writing INI file (" + path + ") failed.", Text(ini.LastError()));
    // Reading the device in its place would never end.
    ASSERT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path)));
    EXPECT_EQ(original, ReadBytes(path));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(path + YIniFile::TemporarySuffix)));
}
#endif

// A save keeps the file (natively its permission bits), writes it in place where it cannot be
// replaced, and never overwrites a read-only file.
TEST_F(YIniFileTest, SavesKeepTheFileWriteInPlaceWhenTheyMustAndSpareAReadOnlyFile) {
    auto save = [&](const char* value) {
        ini.SetValue("Tuning", "RootFrequency", value);
        return ini.Save();
    };
    auto holds = [&](const char* value) {
        return ReadBytes(path) == TextFileLines({"", "[Tuning]", ("RootFrequency = " + std::string(value)).c_str()});
    };
    RunUnprivileged(directory.Directory(), [&] {
        LoadBytes("[Tuning]\n");
#ifdef _WIN32
        // Another program holds the file open, sharing writes, and then not sharing at all.
        HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, holder);
        EXPECT_TRUE(save("441") && holds("441"));
        CloseHandle(holder);
        holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_FALSE(save("442"));
        CloseHandle(holder);
        EXPECT_TRUE(holds("441"));
        // Something that takes no file holds the temporary name, also for the read-only file below.
        fs::create_directory(path + YIniFile::TemporarySuffix);
        EXPECT_TRUE(save("443") && holds("443"));
#else
        fs::permissions(path, fs::perms(0600));
        EXPECT_TRUE(save("441") && holds("441"));
        EXPECT_EQ(fs::perms(0600), fs::status(path).permissions());
        // A program folder that takes no new file, with a writable settings file in it.
        fs::permissions(directory.Directory(), fs::perms(0555));
        EXPECT_TRUE(save("443") && holds("443"));
        fs::permissions(directory.Directory(), fs::perms(0755));
#endif
        // Read-only: overwritten neither by a replace nor in place.
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        EXPECT_FALSE(save("444"));
        EXPECT_TRUE(holds("443"));
        EXPECT_FALSE(fs::is_regular_file(path + YIniFile::TemporarySuffix));
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    });
}

TEST_F(YIniFileTest, RunningOutOfMemoryWhileSavingKeepsTheOldFile) {
    const std::string original = "[Tuning]\nRootFrequency = 440\n";
    LoadBytes(original);
    // Ever longer lines, so that the line buffer grows (and may fail) after the first lines are out.
    for (int length : {10, 40, 100, 400}) ini.SetValue("Tunings", YString(std::string(length, 'k').c_str()), "v");
    bool saved = false;
    int successes = 0;
    for (; !saved && successes < 100; ++successes) {
        ini.SetValue("Tuning", "RootFrequency", "441");
        try {
            FailingMemory memory(successes);
            saved = ini.Save();
            EXPECT_EQ(saved, memory.Refused() == 0);
        } catch (const YSystemException& e) {
            EXPECT_EQ(YSystemException::KindNoMemory, e.Kind());
        }
        if (!saved) {
            EXPECT_EQ(original, ReadBytes(path)) << successes;
        }
        EXPECT_FALSE(TemporaryFileExists()) << successes;
    }
    EXPECT_TRUE(saved);
    EXPECT_GT(successes, 3);
}

}  // namespace
