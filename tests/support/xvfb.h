// A private X server for tests that need a display.
#pragma once
#include <sys/types.h>

#include <string>

struct XvfbServer {
    pid_t pid;
    std::string display;  // ":N"
};

// Starts Xvfb on a free display number; returns false (display empty) when it cannot.
bool startXvfb(XvfbServer* server, int width = 1024, int height = 768);
void stopXvfb(XvfbServer* server);
// One server for the whole test program, started on first use.
const XvfbServer* sharedXvfb();
// For tests that type into a window and take its picture: empty when the shared server, xdotool and
// xwd are there (their paths set), else what is missing.
std::string windowToolsMissing(std::string* xdotool, std::string* xwd);
