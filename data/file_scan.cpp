// Formatted reads over package entries: every text format of the player goes through here.
#include <cstring>

#include "base/c_locale.h"
#include "data/package.h"

int fileScan(DemoFile file, const char* format, void* target) {
    if (file->size == 0) return EOF;
    if (!file->spool) {
        // A read-only stream straight over the entry's bytes: no copy, nothing on disk.
        file->spool = fmemopen(package()->image + file->offset, file->size, "r");
        if (!file->spool) return EOF;
    }
    std::fseek(file->spool, static_cast<long>(file->cursor - file->offset), SEEK_SET);
    locale_t previous = uselocale(cLocale());
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int result = std::fscanf(file->spool, format, target);
#pragma GCC diagnostic pop
    uselocale(previous);
    long position = std::ftell(file->spool);
    if (position >= 0) file->cursor = file->offset + static_cast<uint32_t>(position);
    return result;
}

FILE* fileStream(DemoFile file) {
    // A stream that owns its buffer, so it outlives the package.
    // One spare byte: glibc keeps the last byte of a full buffer for its terminating zero.
    FILE* stream = fmemopen(nullptr, size_t(file->size) + 1, "w+b");
    if (!stream) return nullptr;
    if (file->size) std::fwrite(package()->image + file->offset, 1, file->size, stream);
    std::fseek(stream, static_cast<long>(file->cursor - file->offset), SEEK_SET);
    return stream;
}
