// Scratch folders for tests that write files.
#pragma once
#include <sys/types.h>

#include <string>

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when the object goes, also
// when the test fails. Only the process that made it removes it: a forked death-test child leaves it
// to its parent.
struct ScratchDir {
    explicit ScratchDir(const std::string& tag);
    ScratchDir(ScratchDir&& other) noexcept;
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ScratchDir& operator=(ScratchDir&&) = delete;

    std::string path;
    pid_t owner;
};
