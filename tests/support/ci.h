// Tests that need something the machine may lack (a display, a locale, the validation files) skip on
// a developer's machine, saying why, but fail under CI: a green CI run has run every test.
#pragma once
#include <gtest/gtest.h>

#include <string>

// CI is set to anything but "", "0" or "false".
bool runningUnderCi();

// Use in a test body or a fixture's SetUp: returns from it.
#define SKIP_OUTSIDE_CI(reason)                                                                      \
    do {                                                                                             \
        const std::string skipReason = (reason);                                                     \
        if (runningUnderCi()) GTEST_FAIL() << skipReason << " (CI is set: this test must run)";      \
        GTEST_SKIP() << skipReason;                                                                  \
    } while (0)
