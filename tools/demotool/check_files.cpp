// Files of effects under "demotool check": the light blob's control scenes, the shaft programs and
// the typing texts; and the report's bookkeeping.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "data/package.h"
#include "effects/light_blob/light_blob.h"
#include "scene/envelope.h"
#include "scene/lwo_reader.h"
#include "tools/demotool/check.h"

bool checkUse(CheckReport* report, const std::string& path, const std::string& by) {
    bool present = false;
    const DataPackage* pk = package();
    for (uint32_t i = 0; i < pk->entryCount && !present; ++i) present = path == pk->entries[i].name;
    if (report->usedBy.count(path)) return present;
    report->usedBy[path] = by;
    report->used.push_back(path);
    if (!present) report->missing.push_back(path + " (used by " + by + ")");
    return present;
}

void checkWarn(CheckReport* report, const std::string& path, const std::string& text) {
    std::string line = path + ": " + text;
    if (report->warned.insert(line).second) report->warnings.push_back(line);
}

const RawObject* checkObject(CheckReport* report, const std::string& path, const std::string& by) {
    if (!checkUse(report, path, by)) return nullptr;
    auto found = report->objects.find(path);
    if (found != report->objects.end()) return found->second;
    RawObject* object = readObject(path.c_str());
    if (!object) checkWarn(report, path, "the object cannot be read (see the message above)");
    report->objects[path] = object;
    return object;
}

bool checkText(const std::string& path, std::string* out) {
    DemoFile file = fileOpen(path.c_str(), "rb");
    if (!file) return false;
    out->assign(fileSize(file), '\0');
    fileSeek(file, 0, SEEK_SET);
    size_t got = out->empty() ? 0 : fileRead(&(*out)[0], 1, out->size(), file);
    out->resize(got);
    fileClose(file);
    return true;
}

void checkLightBlobScene(CheckReport* report, const std::string& path) {
    DemoFile file = fileOpen(path.c_str(), "r");
    if (!file) return;
    char word[256];
    bool found = false;
    while (!found && fileScan(file, "%255s", word) == 1) found = std::strcmp(word, "AddNullObject") == 0;
    int motions = 0;
    int low = -1;
    float depth = 0;
    Envelope channels[MOTION_CHANNELS] = {};
    while (found && motions < BLOB_MOTIONS && readMotion(channels, MOTION_CHANNELS, file)) {
        float y = evalEnvelope(&channels[1], 0);
        if (motions < BLOB_MOTIONS - 1 && y <= 0 && low < 0) low = motions;
        if (motions == BLOB_MOTIONS - 1) depth = y;
        for (Envelope& e : channels) releaseEnvelope(&e);
        ++motions;
    }
    for (Envelope& e : channels) releaseEnvelope(&e);
    fileClose(file);
    if (motions < BLOB_MOTIONS) {
        checkWarn(report, path, "it holds " + std::to_string(motions) +
                                    " nine-channel motions from its first null on; the light blob reads " +
                                    std::to_string(BLOB_MOTIONS));
        return;
    }
    if (low >= 0)
        checkWarn(report, path, "control height " + std::to_string(low) + " is not above 0 at the start");
    if (depth < 0) checkWarn(report, path, "the relief depth (motion 209) is below 0 at the start");
}

void checkProgramFile(CheckReport* report, const std::string& path, const char* header) {
    std::string text;
    if (!checkText(path, &text)) return;
    // The player compiles the whole entry: it must run from the header to "END".
    size_t last = text.find_last_not_of(" \t\r\n");
    if (text.compare(0, std::strlen(header), header) != 0 || last == std::string::npos || last < 2 ||
        text.compare(last - 2, 3, "END") != 0)
        checkWarn(report, path, std::string("it is not a complete program from \"") + header + "\" to \"END\"");
}

void checkTypingText(CheckReport* report, const std::string& path, int wanted) {
    std::string text;
    if (!checkText(path, &text)) return;
    // Entries: m:s:ms, blanks, then a character between single quotes.
    const char* p = text.c_str();
    int entries = 0;
    for (;;) {
        while (std::isspace(uint8_t(*p))) ++p;
        char* end;
        bool ok = true;
        for (int part = 0; part < 3 && ok; ++part) {
            if (part > 0) ok = *p++ == ':';
            if (!ok) break;
            std::strtol(p, &end, 10);
            ok = end != p;
            p = end;
        }
        while (ok && std::isspace(uint8_t(*p))) ++p;
        if (!ok || p[0] != '\'' || p[1] == '\0' || p[2] != '\'') break;
        p += 3;
        ++entries;
    }
    if (entries < wanted)
        checkWarn(report, path, "it holds " + std::to_string(entries) + " entries; the typing effect reads " +
                                    std::to_string(wanted));
}
