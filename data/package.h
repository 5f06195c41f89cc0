// The in-memory data package and the small file interface every loader uses.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum { PACKAGE_NAME_LENGTH = 256 };

struct PackageEntry {
    uint32_t offset;  // first byte in the image
    uint32_t size;
    uint32_t cursor;  // offset <= cursor <= offset + size
    char name[PACKAGE_NAME_LENGTH];
    FILE* spool;      // in-memory stream over the entry for formatted reads; null until the first
};

typedef PackageEntry* DemoFile;

struct DataPackage {
    uint8_t* image;
    uint32_t imageSize;
    uint32_t entryCount;
    PackageEntry* entries;
    uint32_t directoryEnd;
};

// Loads a package file. On failure shows "Error" naming the file and the problem and returns false
// with nothing loaded; the player then ends with EXIT_BAD_PACKAGE.
bool packageLoad(const char* path);
// The same from bytes already in memory (the whole file, flag byte first); label names it in messages.
bool packageLoadBytes(const uint8_t* bytes, size_t size, const char* label);
void packageRelease();
const DataPackage* package();

// Opening the same path twice gives the same handle and shares its cursor. Null when the path is not
// in the package (the caller reports which file is missing).
DemoFile fileOpen(const char* path, const char* mode);
int fileClose(DemoFile file);
int fileSeek(DemoFile file, long delta, int origin);
size_t fileRead(void* buffer, size_t itemSize, size_t count, DemoFile file);
// One formatted-input conversion with the C library's semantics, in the C locale.
int fileScan(DemoFile file, const char* format, void* target);
// A new stdio stream holding a copy of the whole entry, positioned at the cursor; the caller closes it.
FILE* fileStream(DemoFile file);
// Size of the entry's data, and what is left of it after the cursor.
uint32_t fileSize(DemoFile file);
uint32_t fileRemaining(DemoFile file);

// Called on every open while loading (the loading bar); the player installs it.
void packageSetOpenHook(void (*hook)(void));
// Called with the path of every open, found or not (what a loaded thing depends on); null: none.
void packageSetOpenObserver(void (*observer)(const char* path));

// An unpacked production: every regular file under a folder, named by its path relative to the
// folder with '/' separators, sorted, so that the same folder always gives the same package.
struct TreeFile {
    std::string name;
    std::string bytes;
};
// False with the problem in words when the folder or a file cannot be read or a path is too long.
bool readPackageTree(const char* dir, std::vector<TreeFile>* files, std::string* problem);
// Loads the folder's files as the package, the same entries "demotool pack" would store. On failure
// shows "Error" naming the folder and the problem and returns false with nothing loaded.
bool packageLoadTree(const char* dir);

// Writing packages, for the package tool and for tests.
struct PackageSource {
    const char* name;
    const void* data;
    uint32_t size;
};
// The whole file: flag byte, then the image, zlib-compressed as one block when compress is set.
std::vector<uint8_t> packageBuild(const PackageSource* entries, int count, bool compress);
