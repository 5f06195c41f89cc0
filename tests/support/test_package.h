// Builds a package in memory and loads it as the player's package.
#pragma once
#include <string>
#include <utility>
#include <vector>

typedef std::vector<std::pair<std::string, std::string>> TestFiles;

// Replaces the loaded package with one holding these files (name, bytes). Asserts on failure.
void loadTestPackage(const TestFiles& files, bool compress = false);
// The package file's bytes, as demotool would write them.
std::vector<unsigned char> buildTestPackage(const TestFiles& files, bool compress = false);
