// A hidden window with a GL context on the private X server, probed like the player's.
#pragma once
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/demo_context.h"
#include "platform/platform.h"
#include "render/device_caps.h"
#include "tests/support/ci.h"
#include "tests/support/xvfb.h"

// A program the driver rejects ends the process with code 0, which would read as a pass: leaving
// the process inside a test fails instead. Death-test statements that are meant to end the process
// set exitExpected first.
inline bool& exitExpected() {
    static bool expected = false;
    return expected;
}
inline bool& insideDeviceTest() {
    static bool inside = false;
    return inside;
}
inline void failPrematureExit() {
    if (!insideDeviceTest() || exitExpected()) return;
    std::fprintf(stderr, "the process ended inside a device test\n");
    if (sharedXvfb()->pid > 0) kill(sharedXvfb()->pid, SIGTERM);
    _exit(1);
}

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) registered = std::atexit(failPrematureExit) == 0;
        if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
        insideDeviceTest() = true;
        setenv("DISPLAY", sharedXvfb()->display.c_str(), 1);
        platformSetInteractive(false);
        ASSERT_TRUE(platformInit(true));
        WindowRequest request = {"device", 0, 0, 64, 64, false, true, 32, 24, 8, 0};
        window = platformCreateWindow(&request);
        if (!window) {
            platformShutdown();
            SKIP_OUTSIDE_CI("no GL context");
        }
    }
    void TearDown() override {
        insideDeviceTest() = false;
        platformInjectExtensions(nullptr, nullptr);
        platformSetEntryPointFilter(nullptr);
        if (window) platformDestroyWindow(window);
        window = nullptr;
        platformShutdown();
    }
    void probe() { probeDeviceCaps(deviceCaps(), &settings); }

    PlatformWindow* window = nullptr;
    Settings settings = {};
};
