#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "YSystemException.hpp"

// Runs `action` and checks that it throws a YSystemException of the given kind, line and source.
template <class Action>
::testing::AssertionResult ThrowsYSystemException(Action action, int kind, int line, const char* sourceFile) {
    try {
        action();
    } catch (const YSystemException& e) {
        if (e.Kind() == kind && e.Line() == line && std::strcmp(e.SourceFile(), sourceFile) == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "threw kind " << e.Kind() << " line " << e.Line() << " source " << e.SourceFile()
                                             << ", expected kind " << kind << " line " << line << " source " << sourceFile;
    }
    return ::testing::AssertionFailure() << "nothing was thrown, expected kind " << kind << " line " << line;
}

#define EXPECT_YTHROW(statement, kind, line, source) \
    EXPECT_TRUE(ThrowsYSystemException([&] { statement; }, kind, line, source))
