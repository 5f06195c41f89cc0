#include "tools/content/typing_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/content/noise.h"

namespace {

bool parseTime(const char* text, int* ms) {
    int m = 0, s = 0, f = 0, used = 0;
    if (std::sscanf(text, "%d:%d:%d%n", &m, &s, &f, &used) != 3 || text[used] != '\0' || m < 0 || s < 0 || f < 0)
        return false;
    *ms = f + 1000 * s + 60000 * m;
    return true;
}

bool parseCount(const char* text, int* value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 0 || v > 600000) return false;
    *value = int(v);
    return true;
}

}  // namespace

bool parseTypingSource(const std::string& source, TypingSettings* settings, std::string* text, std::string* error) {
    *settings = TypingSettings{1000, 40, 0, 0, 0, 1};
    text->clear();
    size_t pos = 0;
    int lineNumber = 0;
    bool inText = false, firstTextLine = true;
    while (pos <= source.size()) {
        size_t end = source.find('\n', pos);
        bool last = end == std::string::npos;
        std::string line = source.substr(pos, last ? std::string::npos : end - pos);
        pos = last ? source.size() + 1 : end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (inText) {
            // A final line end does not start an empty line.
            if (last && line.empty()) break;
            if (!firstTextLine) text->push_back('&');
            firstTextLine = false;
            for (char c : line) {
                if (c == '\t') c = '~';
                if (c < 32 || c > 126) {
                    *error = "line " + std::to_string(lineNumber) + ": only printable ASCII can be typed";
                    return false;
                }
                text->push_back(c);
            }
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        char key[32] = {0}, value[64] = {0};
        int fields = std::sscanf(line.c_str(), "%31s %63s", key, value);
        bool ok = true;
        if (!std::strcmp(key, "@text") && fields == 1) inText = true;
        else if (fields != 2) ok = false;
        else if (!std::strcmp(key, "@start")) ok = parseTime(value, &settings->startMs);
        else if (!std::strcmp(key, "@interval")) ok = parseCount(value, &settings->intervalMs);
        else if (!std::strcmp(key, "@jitter")) ok = parseCount(value, &settings->jitterMs);
        else if (!std::strcmp(key, "@line_pause")) ok = parseCount(value, &settings->linePauseMs);
        else if (!std::strcmp(key, "@stop_pause")) ok = parseCount(value, &settings->stopPauseMs);
        else if (!std::strcmp(key, "@seed")) {
            int seed = 0;
            ok = parseCount(value, &seed);
            settings->seed = unsigned(seed);
        } else ok = false;
        if (!ok) {
            *error = "line " + std::to_string(lineNumber) + ": cannot read \"" + line + "\"";
            return false;
        }
    }
    if (!inText) {
        *error = "no @text line";
        return false;
    }
    if (settings->jitterMs >= settings->intervalMs && settings->jitterMs > 0) {
        *error = "@jitter must be smaller than @interval, so characters keep their order";
        return false;
    }
    return true;
}

bool timeTypingText(const TypingSettings& settings, const std::string& text, int count,
                    std::vector<TypingEntry>* entries, std::string* error) {
    if (int(text.size()) > count) {
        *error = "text has " + std::to_string(text.size()) + " characters, more than the " + std::to_string(count) +
                 " entries";
        return false;
    }
    Rng rng = rngSeed(settings.seed);
    entries->clear();
    int time = settings.startMs;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i > 0) {
            int jitter = settings.jitterMs ? rngBelow(&rng, 2 * settings.jitterMs + 1) - settings.jitterMs : 0;
            time += settings.intervalMs + jitter;
            char before = text[i - 1];
            if (before == '&') time += settings.linePauseMs;
            if (std::strchr(".,:;!?", before)) time += settings.stopPauseMs;
        }
        entries->push_back(TypingEntry{time, text[i]});
    }
    int padTime = (entries->empty() ? settings.startMs : time) + TYPING_PAD_DELAY_MS;
    while (int(entries->size()) < count) entries->push_back(TypingEntry{padTime, ' '});
    return true;
}

std::string formatTypingEntries(const std::vector<TypingEntry>& entries) {
    std::string out;
    char line[64];
    for (const TypingEntry& e : entries) {
        std::snprintf(line, sizeof line, "%d:%d:%d\t\t'%c'\n", e.timeMs / 60000, e.timeMs / 1000 % 60, e.timeMs % 1000,
                      e.character);
        out += line;
    }
    return out;
}
