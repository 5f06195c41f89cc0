#include "data/package.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "base/report.h"

namespace {

DataPackage gPackage;
void (*gOpenHook)(void);
void (*gOpenObserver)(const char* path);

uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// zlib cannot expand data by more than about 1032:1; a larger declared size is a damaged header,
// not something worth trying to allocate.
const uint64_t kMaxInflateRatio = 1032;

// Inflates into gPackage.image, which grows with what the stream really yields: the declared size
// is only trusted once the data has produced it. Null on success, else the problem.
const char* inflateImage(const uint8_t* data, size_t size, uint32_t unpacked) {
    z_stream z = {};
    if (inflateInit(&z) != Z_OK) return "the compressed data cannot be inflated";
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size < UINT32_MAX ? size : UINT32_MAX);
    uint64_t capacity = uint64_t(size) * 4 + 65536;
    if (capacity > unpacked) capacity = unpacked;
    const char* problem = nullptr;
    uint64_t produced = 0;
    for (;;) {
        uint8_t* grown = static_cast<uint8_t*>(std::realloc(gPackage.image, capacity ? capacity : 1));
        if (!grown) {
            problem = "out of memory for the unpacked data";
            break;
        }
        gPackage.image = grown;
        z.next_out = gPackage.image + produced;
        z.avail_out = static_cast<uInt>(capacity - produced);
        int result = inflate(&z, Z_FINISH);
        produced = capacity - z.avail_out;
        if (result == Z_STREAM_END) {
            if (produced != unpacked) problem = "the inflated data has another size than declared";
            break;
        }
        // More output than declared, or the input ends or breaks before the stream does.
        if (produced == unpacked) {
            problem = "the inflated data has another size than declared";
            break;
        }
        if (result != Z_BUF_ERROR && result != Z_OK) {
            problem = "the compressed data cannot be inflated";
            break;
        }
        if (z.avail_out != 0) {
            problem = "the compressed data cannot be inflated";
            break;
        }
        capacity = capacity * 2 < unpacked ? capacity * 2 : unpacked;
    }
    inflateEnd(&z);
    return problem;
}

bool refuse(const char* label, const char* problem) {
    showError("The data package \"%s\" cannot be used: %s.", label, problem);
    std::free(gPackage.image);
    std::free(gPackage.entries);
    std::memset(&gPackage, 0, sizeof gPackage);
    return false;
}

// Walks the directory of the unpacked image, checking every record against the image's end.
bool readDirectory(const char* label) {
    DataPackage& pk = gPackage;
    if (pk.imageSize < 4) return refuse(label, "the directory is truncated");
    uint32_t count = readU32(pk.image);
    // Each record takes at least 1 + 1 + 16 + 4 bytes.
    if (uint64_t(count) * 22 > uint64_t(pk.imageSize) - 4)
        return refuse(label, "the directory is truncated");
    pk.entries = static_cast<PackageEntry*>(std::calloc(count ? count : 1, sizeof(PackageEntry)));
    if (!pk.entries) return refuse(label, "out of memory for the directory");
    uint64_t p = 4;
    for (uint32_t i = 0; i < count; ++i) {
        PackageEntry& e = pk.entries[i];
        p += 1;
        if (p > pk.imageSize) return refuse(label, "the directory is truncated");
        const uint8_t* name = pk.image + p;
        uint64_t left = pk.imageSize - p;
        const void* end = std::memchr(name, 0, left < PACKAGE_NAME_LENGTH ? left : uint64_t(PACKAGE_NAME_LENGTH));
        if (!end) {
            if (left < PACKAGE_NAME_LENGTH) return refuse(label, "the directory is truncated");
            return refuse(label, "a path is longer than 255 bytes");
        }
        size_t length = static_cast<const uint8_t*>(end) - name;
        std::memcpy(e.name, name, length + 1);
        for (size_t k = 0; k < length; ++k)
            if (e.name[k] == '\\') e.name[k] = '/';
        p += length + 1 + 16;
        if (p + 4 > pk.imageSize) return refuse(label, "the directory is truncated");
        e.size = readU32(pk.image + p);
        p += 4;
    }
    pk.directoryEnd = static_cast<uint32_t>(p);
    uint64_t offset = p;
    for (uint32_t i = 0; i < count; ++i) {
        PackageEntry& e = pk.entries[i];
        if (offset + e.size > pk.imageSize)
            return refuse(label, "an entry's data runs past the end of the package");
        e.offset = e.cursor = static_cast<uint32_t>(offset);
        offset += e.size;
    }
    pk.entryCount = count;
    return true;
}

}  // namespace

bool packageLoadBytes(const uint8_t* bytes, size_t size, const char* label) {
    packageRelease();
    if (size < 1) return refuse(label, "the file is empty");
    if (bytes[0] == 'c') {
        if (size < 5) return refuse(label, "the compressed header is truncated");
        uint32_t unpacked = readU32(bytes + 1);
        if (uint64_t(unpacked) > uint64_t(size - 5) * kMaxInflateRatio + 64)
            return refuse(label, "the declared unpacked size is impossible for its data");
        const char* problem = inflateImage(bytes + 5, size - 5, unpacked);
        if (problem) return refuse(label, problem);
        gPackage.imageSize = unpacked;
    } else {
        if (size - 1 > UINT32_MAX) return refuse(label, "the file is too large");
        gPackage.imageSize = static_cast<uint32_t>(size - 1);
        gPackage.image = static_cast<uint8_t*>(std::malloc(size));
        if (!gPackage.image) return refuse(label, "out of memory for the data");
        std::memcpy(gPackage.image, bytes + 1, size - 1);
    }
    return readDirectory(label);
}

bool packageLoad(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        showError("The data package \"%s\" cannot be opened.", path);
        return false;
    }
    std::vector<uint8_t> bytes;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(f) : -1;
    if (size >= 0 && std::fseek(f, 0, SEEK_SET) == 0) {
        bytes.resize(static_cast<size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    } else {
        ok = false;
    }
    std::fclose(f);
    if (!ok) {
        showError("The data package \"%s\" cannot be read.", path);
        return false;
    }
    return packageLoadBytes(bytes.data(), bytes.size(), path);
}

void packageRelease() {
    for (uint32_t i = 0; i < gPackage.entryCount; ++i)
        if (gPackage.entries[i].spool) std::fclose(gPackage.entries[i].spool);
    std::free(gPackage.entries);
    std::free(gPackage.image);
    std::memset(&gPackage, 0, sizeof gPackage);
}

const DataPackage* package() { return &gPackage; }

void packageSetOpenHook(void (*hook)(void)) { gOpenHook = hook; }

void packageSetOpenObserver(void (*observer)(const char* path)) { gOpenObserver = observer; }

DemoFile fileOpen(const char* path, const char* mode) {
    (void)mode;
    if (gOpenHook) gOpenHook();
    if (gOpenObserver) gOpenObserver(path);
    for (uint32_t i = 0; i < gPackage.entryCount; ++i)
        if (std::strcmp(gPackage.entries[i].name, path) == 0) return &gPackage.entries[i];
    return nullptr;
}

int fileClose(DemoFile file) {
    file->cursor = file->offset;
    return 0;
}

int fileSeek(DemoFile file, long delta, int origin) {
    int64_t base;
    switch (origin) {
        case 0: base = file->offset; break;
        case 1: base = file->cursor; break;
        case 2: base = int64_t(file->offset) + file->size; break;
        default: return 0;
    }
    int64_t target = base + delta;
    // A seek before the start is clamped there: the cursor never leaves its entry.
    if (target < file->offset) target = file->offset;
    int64_t end = int64_t(file->offset) + file->size;
    if (target > end) {
        file->cursor = static_cast<uint32_t>(end);
        return 1;
    }
    file->cursor = static_cast<uint32_t>(target);
    return 0;
}

size_t fileRead(void* buffer, size_t itemSize, size_t count, DemoFile file) {
    uint64_t wanted = uint64_t(itemSize) * count;
    uint64_t left = uint64_t(file->offset) + file->size - file->cursor;
    size_t n = static_cast<size_t>(wanted < left ? wanted : left);
    if (n) std::memcpy(buffer, gPackage.image + file->cursor, n);
    file->cursor += static_cast<uint32_t>(n);
    return n;
}

uint32_t fileSize(DemoFile file) { return file->size; }

uint32_t fileRemaining(DemoFile file) { return file->offset + file->size - file->cursor; }
