#include "effects/effect_check.h"

#include <cstring>

#include "effects/effect_binding.h"

void checkRowFile(EffectCheck* check, const EffectBinding* row) {
    if (row->fileName[0]) check->use(check, row->fileName);
}

void checkRowFileLines(EffectCheck* check, const EffectBinding* row) {
    char path[EFFECT_FILE_NAME];
    for (const char* start = row->fileName; *start;) {
        const char* end = std::strchr(start, '\n');
        const size_t length = end ? size_t(end - start) : std::strlen(start);
        const size_t kept = length < sizeof path ? length : sizeof path - 1;
        std::memcpy(path, start, kept);
        path[kept] = '\0';
        check->use(check, path);
        if (!end) break;
        start = end + 1;
    }
}
