// The description files under content/: one statement per line, words separated by blanks, "#"
// starting a comment. Numbers are read in the C locale. Every error names the file and line.
#pragma once
#include <string>
#include <vector>

#include "tools/lightwave/lw_writer.h"

struct DescriptionLine {
    std::string file;
    int number;
    std::vector<std::string> words;
};

typedef std::vector<DescriptionLine> Description;

Description parseDescription(const std::string& text, const std::string& name);
bool readDescriptionFile(const std::string& path, const std::string& name, Description* out, std::string* error);

// "file:line: text".
std::string lineError(const DescriptionLine& line, const std::string& text);

bool parseNumber(const std::string& word, float* out);
bool parseInteger(const std::string& word, int* out);
// Words from `first` on must be exactly `count` numbers.
bool numbersFrom(const DescriptionLine& line, size_t first, size_t count, float* out, std::string* error);

// "key=value" words from `first` on; false (with the error) for a word without "=".
struct LineOptions {
    std::vector<std::pair<std::string, std::string>> entries;
    const std::string* find(const std::string& key) const;
};
bool parseOptions(const DescriptionLine& line, size_t first, LineOptions* out, std::string* error);
// Reads an option as a number; absent keeps *out. False with the error on a bad number.
bool optionNumber(const DescriptionLine& line, const LineOptions& options, const char* key, float* out,
                  std::string* error);

// One animated value from words[first..]: either a single number (a constant), or a span shape
// ("tcb", "hermite", "bezier", "linear", "stepped", "bezier2d") followed by TIME VALUE pairs (time
// in seconds) and optionally "pre=B" and "post=B" with B one of "reset", "constant", "repeat",
// "oscillate", "offset", "linear". Values are multiplied by `unit` (pi/180 for angles given in
// degrees). Hermite and Bezier tangents are made from the neighbouring keys (Catmull-Rom slopes).
bool parseChannel(const DescriptionLine& line, size_t first, float unit, LwEnvelope* out, std::string* error);
// Fills the tangent parameters of Hermite, Bezier and 2D Bezier keys from their neighbours.
void smoothTangents(LwEnvelope* envelope);
