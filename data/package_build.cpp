// Writing package files: used by the package tool and the tests.
#include <zlib.h>

#include <cstring>

#include "data/package.h"

std::vector<uint8_t> packageBuild(const PackageSource* entries, int count, bool compress) {
    std::vector<uint8_t> image;
    auto put32 = [&image](uint32_t v) {
        for (int i = 0; i < 4; ++i) image.push_back(uint8_t(v >> (8 * i)));
    };
    put32(static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) {
        size_t length = std::strlen(entries[i].name);
        if (length >= PACKAGE_NAME_LENGTH) return {};
        image.push_back(0);
        image.insert(image.end(), entries[i].name, entries[i].name + length + 1);
        image.insert(image.end(), 16, 0);
        put32(entries[i].size);
    }
    for (int i = 0; i < count; ++i) {
        const uint8_t* data = static_cast<const uint8_t*>(entries[i].data);
        image.insert(image.end(), data, data + entries[i].size);
    }
    std::vector<uint8_t> file;
    if (!compress) {
        file.reserve(image.size() + 1);
        file.push_back('s');
        file.insert(file.end(), image.begin(), image.end());
        return file;
    }
    uLongf packedSize = compressBound(image.size());
    file.resize(5 + packedSize);
    file[0] = 'c';
    uint32_t u = static_cast<uint32_t>(image.size());
    for (int i = 0; i < 4; ++i) file[1 + i] = uint8_t(u >> (8 * i));
    if (compress2(file.data() + 5, &packedSize, image.data(), image.size(), Z_BEST_COMPRESSION) != Z_OK)
        return {};
    file.resize(5 + packedSize);
    return file;
}
