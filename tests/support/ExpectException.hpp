#pragma once

#include <gtest/gtest.h>

#include "YSystemException.hpp"

// The kind, line and source file of the YSystemException that `action` throws, or "nothing".
template <class Action>
std::string ThrownBy(Action action) {
    try {
        action();
    } catch (const YSystemException& e) {
        return std::to_string(e.Kind()) + " " + std::to_string(e.Line()) + " " + e.SourceFile();
    }
    return "nothing";
}

#define EXPECT_YTHROW(statement, kind, line, source) \
    EXPECT_EQ(std::to_string(kind) + " " + std::to_string(line) + " " + (source), ThrownBy([&] { statement; }))
