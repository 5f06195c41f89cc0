// Typing texts: a plain text with a few timing settings becomes the timed character list the
// typing effect reads, one entry per typed character.
#pragma once
#include <string>
#include <vector>

// Entries the player reads from every typing text.
enum { TYPING_ENTRY_COUNT = 527 };
// Padding entries come this long after the last typed one: no scene lasts that long.
enum { TYPING_PAD_DELAY_MS = 3600000 };

struct TypingEntry {
    int timeMs;
    char character;
};

struct TypingSettings {
    int startMs;       // time of the first character
    int intervalMs;    // between characters
    int jitterMs;      // each interval varies by up to this much either way
    int linePauseMs;   // extra before the character after a new line
    int stopPauseMs;   // extra after . , : ; ! ?
    unsigned seed;
};

// Source format: '#' comment lines and settings lines ("@start 0:1:200", "@interval 30",
// "@jitter 10", "@line_pause 250", "@stop_pause 120", "@seed 7") up to a line "@text"; every line
// after it is typed, each line end becoming '&' (new line) except after the last line. Tabs become
// '~' (four columns). Other characters must be printable ASCII. On failure, error names the line.
bool parseTypingSource(const std::string& source, TypingSettings* settings, std::string* text, std::string* error);

// Times for every character of text; then, up to `count` entries, spaces TYPING_PAD_DELAY_MS after
// the last one. False when the text has more than count characters.
bool timeTypingText(const TypingSettings& settings, const std::string& text, int count,
                    std::vector<TypingEntry>* entries, std::string* error);

// The file: one entry a line, "m:s:ms" (seconds and milliseconds in range), two tabs, the
// character between single quotes.
std::string formatTypingEntries(const std::vector<TypingEntry>& entries);
