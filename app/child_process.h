// Programs the player runs as child processes (the video encoder): started with their standard input
// from a pipe the player writes, their output kept in an unnamed temporary file for the report.
#pragma once
#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

struct ChildProgram {
    pid_t pid;   // 0 = not running
    int input;   // write end of its standard input; -1 = none (it reads nothing)
    FILE* log;   // its standard output and error
};

// The program's full path when it is on PATH (or the name already holds a slash and is executable).
bool findProgram(const std::string& name, std::string* path);
// Starts argv[0] (a full path); withInput gives it a pipe as standard input. False with *error.
bool childStart(ChildProgram* child, const std::vector<std::string>& argv, bool withInput, std::string* error);
// Writes all bytes to its standard input; false when it has gone (a broken pipe never ends the player).
bool childWrite(ChildProgram* child, const void* bytes, size_t size);
// Closes its input, waits for it and returns its exit status (-1 when killed); *lastLine = the last
// non-empty line it printed.
int childFinish(ChildProgram* child, std::string* lastLine);
