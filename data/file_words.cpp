#include "data/file_words.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cctype>

namespace {

// One signed decimal integer of at most 11 characters, the whole text.
bool parseInteger(const char* text, int64_t* value) {
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (end == text || *end || errno) return false;
    *value = v;
    return true;
}

}  // namespace

bool fileReadInteger(DemoFile file, int32_t* value) {
    char text[12];
    int64_t v;
    if (fileScan(file, " %11[-+0123456789]", text) != 1 || !parseInteger(text, &v)) return false;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *value = static_cast<int32_t>(v);
    return true;
}

bool fileReadTime(DemoFile file, int32_t* ms) {
    char text[12];
    int64_t part[3];
    if (fileScan(file, " %11[-+0123456789]", text) != 1 || !parseInteger(text, &part[0])) return false;
    // The colon and the number after it must follow without blanks: %[ skips none.
    for (int k = 1; k < 3; ++k)
        if (fileScan(file, ":%11[-+0123456789]", text) != 1 || !parseInteger(text, &part[k])) return false;
    int64_t total = part[0] * 60000 + part[1] * 1000 + part[2];
    if (total < INT32_MIN || total > INT32_MAX) return false;
    *ms = static_cast<int32_t>(total);
    return true;
}


bool fileReadWord(DemoFile file, char* word, size_t size, bool* cut) {
    *cut = false;
    if (size < 2) return false;
    char format[24];
    std::snprintf(format, sizeof format, "%%%zus", size - 1);
    if (fileScan(file, format, word) != 1) return false;
    if (std::strlen(word) < size - 1) return true;
    // The word filled the buffer: whatever follows without a blank belongs to it.
    char next = 0;
    if (fileScan(file, "%c", &next) == 1 && !std::isspace(static_cast<unsigned char>(next))) {
        *cut = true;
        fileScan(file, "%*s", nullptr);
    }
    return true;
}
