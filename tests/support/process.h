// Running the player and the tools as child processes.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

struct ProcessResult {
    int exitCode;    // -1 when killed by a signal or timed out
    int signal;      // the signal that ended it, 0 if none
    bool timedOut;
    std::string out;
    std::string err;
};

// Runs argv[0] with the extra environment entries ("NAME=value") and waits at most timeoutMs.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                         int timeoutMs = 60000, const std::string& workDir = "");

struct ChildProcess {
    pid_t pid;
    int errFd;  // read end of its standard error
};
ChildProcess startProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                          const std::string& workDir = "");
// Waits for the child; returns its result with the standard error it wrote.
ProcessResult waitProcess(ChildProcess child, int timeoutMs);

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// The program's path found through PATH, or empty.
std::string toolPath(const std::string& tool);
