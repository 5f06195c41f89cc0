// Numbers of the text scripts read through the file interface: integers and m:s:ms times.
#pragma once
#include <cstddef>
#include <cstdint>

#include "data/package.h"

// An integer after optional blanks. Nothing but the blanks is consumed when none stands there.
bool fileReadInteger(DemoFile file, int32_t* value);
// m:s:ms with no blanks around the colons, in milliseconds. The parts are not range-limited.
bool fileReadTime(DemoFile file, int32_t* ms);
// One whitespace-separated word into word (size bytes with its NUL). A longer word is read whole and
// cut to fit, with *cut set, so that it never spills into the next word. False at the end of the file.
bool fileReadWord(DemoFile file, char* word, size_t size, bool* cut);
