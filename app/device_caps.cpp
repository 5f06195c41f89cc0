#include "app/device_caps.h"

#include <GL/gl.h>

#include <cstring>

DeviceCaps* deviceCaps() {
    static DeviceCaps caps;
    return &caps;
}

namespace {
void copyString(char* out, size_t size, GLenum name) {
    const char* text = reinterpret_cast<const char*>(glGetString(name));
    std::strncpy(out, text ? text : "", size - 1);
    out[size - 1] = 0;
}
}  // namespace

void readDriverStrings(DeviceCaps* caps) {
    copyString(caps->renderer, sizeof caps->renderer, GL_RENDERER);
    copyString(caps->vendor, sizeof caps->vendor, GL_VENDOR);
    copyString(caps->version, sizeof caps->version, GL_VERSION);
}

bool hasGlExtension(const char* name) {
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!all || !*name) return false;
    size_t length = std::strlen(name);
    for (const char* p = all; (p = std::strstr(p, name)) != nullptr; p += length) {
        bool startsWord = p == all || p[-1] == ' ';
        bool endsWord = p[length] == ' ' || p[length] == 0;
        if (startsWord && endsWord) return true;
    }
    return false;
}
