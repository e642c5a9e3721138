#pragma once

#include <gtest/gtest.h>

#include "TemporaryDirectory.hpp"
#include "TunerSettings.hpp"
#include "TuningModel.hpp"

// Gives each test a settings file of its own in a new directory, and leaves theSettings without a
// file and unmodified afterwards, so that nothing is saved when the test program ends.
class TunerSettingsFixture : public ::testing::Test {
protected:
    void TearDown() override {
        theSettings.SetFileName("");
        theSettings.Load();
        SetTuningLoadedHook(nullptr);
    }

    // Makes `bytes` the settings file and loads it into theSettings.
    void LoadFile(const std::string& bytes) {
        WriteBytes(settingsPath, bytes);
        theSettings.SetFileName(settingsPath.c_str());
        ASSERT_TRUE(theSettings.Load());
    }

    static std::string Stored(const char* section, const char* key) {
        YString value;
        return theSettings.GetValue(section, key, value) ? std::string(value.CStr(), value.Length()) : "<missing>";
    }

    TemporaryDirectory directory;
    std::string settingsPath = directory.File("fretlark.ini");
};
