#include "tools/content/scenes/description.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/c_locale.h"

namespace {

int shapeCode(const std::string& word) {
    static const char* const kShapes[] = {"tcb", "hermite", "bezier", "linear", "stepped", "bezier2d"};
    for (int k = 0; k < 6; ++k)
        if (word == kShapes[k]) return k;
    return -1;
}

int behaviourCode(const std::string& word) {
    static const char* const kBehaviours[] = {"reset", "constant", "repeat", "oscillate", "offset", "linear"};
    for (int k = 0; k < 6; ++k)
        if (word == kBehaviours[k]) return k;
    return -1;
}

}  // namespace

Description parseDescription(const std::string& text, const std::string& name) {
    Description lines;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        size_t hash = raw.find('#');
        if (hash != std::string::npos) raw.resize(hash);
        DescriptionLine line{name, number, {}};
        std::istringstream words(raw);
        for (std::string w; words >> w;) line.words.push_back(w);
        if (!line.words.empty()) lines.push_back(line);
    }
    return lines;
}

bool readDescriptionFile(const std::string& path, const std::string& name, Description* out, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    *out = parseDescription(text, name);
    return true;
}

std::string lineError(const DescriptionLine& line, const std::string& text) {
    return line.file + ":" + std::to_string(line.number) + ": " + text;
}

bool parseNumber(const std::string& word, float* out) {
    char* end = nullptr;
    float value = strtof_l(word.c_str(), &end, cLocale());
    if (word.empty() || *end != '\0' || !std::isfinite(value)) return false;
    *out = value;
    return true;
}

bool parseInteger(const std::string& word, int* out) {
    float value;
    if (!parseNumber(word, &value) || value != std::floor(value) || std::fabs(value) > 1.0e7f) return false;
    *out = int(value);
    return true;
}

bool numbersFrom(const DescriptionLine& line, size_t first, size_t count, float* out, std::string* error) {
    if (line.words.size() != first + count) {
        *error = lineError(line, "\"" + line.words[0] + "\" takes " + std::to_string(count) + " number" +
                                     (count == 1 ? "" : "s"));
        return false;
    }
    for (size_t k = 0; k < count; ++k) {
        if (!parseNumber(line.words[first + k], &out[k])) {
            *error = lineError(line, "\"" + line.words[first + k] + "\" is not a number");
            return false;
        }
    }
    return true;
}

const std::string* LineOptions::find(const std::string& key) const {
    for (const auto& entry : entries)
        if (entry.first == key) return &entry.second;
    return nullptr;
}

bool parseOptions(const DescriptionLine& line, size_t first, LineOptions* out, std::string* error) {
    for (size_t k = first; k < line.words.size(); ++k) {
        const std::string& w = line.words[k];
        size_t equals = w.find('=');
        if (equals == std::string::npos || equals == 0) {
            *error = lineError(line, "\"" + w + "\" is not a key=value option");
            return false;
        }
        out->entries.push_back({w.substr(0, equals), w.substr(equals + 1)});
    }
    return true;
}

bool optionNumber(const DescriptionLine& line, const LineOptions& options, const char* key, float* out,
                  std::string* error) {
    const std::string* value = options.find(key);
    if (!value) return true;
    if (parseNumber(*value, out)) return true;
    *error = lineError(line, std::string("the option ") + key + " needs a number, not \"" + *value + "\"");
    return false;
}

void smoothTangents(LwEnvelope* envelope) {
    std::vector<LwKey>& keys = envelope->keys;
    const size_t n = keys.size();
    for (size_t k = 0; k < n; ++k) {
        LwKey& key = keys[k];
        if (key.shape != 1 && key.shape != 2 && key.shape != 5) continue;
        const LwKey* prev = k > 0 ? &keys[k - 1] : nullptr;
        const LwKey* next = k + 1 < n ? &keys[k + 1] : nullptr;
        if (key.shape == 5) {
            // Handles a third of the way to each neighbour along the Catmull-Rom slope.
            float slope = 0;
            if (prev && next) slope = (next->value - prev->value) / (next->time - prev->time);
            else if (next) slope = (next->value - key.value) / (next->time - key.time);
            else if (prev) slope = (key.value - prev->value) / (key.time - prev->time);
            float before = prev ? (key.time - prev->time) / 3 : 0.1f;
            float after = next ? (next->time - key.time) / 3 : 0.1f;
            key.params[0] = -before;
            key.params[1] = -slope * before;
            key.params[2] = after;
            key.params[3] = slope * after;
            continue;
        }
        // The player scales these by the span over the width of the two spans around the key, so
        // the value difference across both spans gives a Catmull-Rom tangent.
        float across = prev && next ? next->value - prev->value
                       : next       ? next->value - key.value
                       : prev       ? key.value - prev->value
                                    : 0;
        key.params[3] = across;  // incoming
        key.params[4] = across;  // outgoing
    }
}

bool parseChannel(const DescriptionLine& line, size_t first, float unit, LwEnvelope* out, std::string* error) {
    const std::vector<std::string>& w = line.words;
    if (first >= w.size()) {
        *error = lineError(line, "\"" + w[0] + "\" needs a value or a span shape with keys");
        return false;
    }
    float constant;
    if (w.size() == first + 1 && parseNumber(w[first], &constant)) {
        *out = lwConstant(constant * unit);
        return true;
    }
    int shape = shapeCode(w[first]);
    if (shape < 0) {
        *error = lineError(line, "\"" + w[first] + "\" is neither a number nor a span shape");
        return false;
    }
    LwEnvelope envelope;
    size_t k = first + 1;
    while (k < w.size() && w[k].find('=') == std::string::npos) {
        float time, value;
        if (k + 1 >= w.size() || !parseNumber(w[k], &time) || !parseNumber(w[k + 1], &value)) {
            *error = lineError(line, "keys are pairs of numbers: TIME VALUE");
            return false;
        }
        if (!envelope.keys.empty() && time <= envelope.keys.back().time) {
            *error = lineError(line, "key times must increase");
            return false;
        }
        LwKey key;
        key.time = time;
        key.value = value * unit;
        key.shape = shape;
        envelope.keys.push_back(key);
        k += 2;
    }
    if (envelope.keys.empty()) {
        *error = lineError(line, "a span shape needs at least one TIME VALUE pair");
        return false;
    }
    LineOptions options;
    if (!parseOptions(line, k, &options, error)) return false;
    for (const auto& entry : options.entries) {
        int behaviour = behaviourCode(entry.second);
        if ((entry.first != "pre" && entry.first != "post") || behaviour < 0) {
            *error = lineError(line, "\"" + entry.first + "=" + entry.second +
                                         "\": only pre= and post= with reset, constant, repeat, oscillate, "
                                         "offset or linear");
            return false;
        }
        (entry.first == "pre" ? envelope.preBehavior : envelope.postBehavior) = behaviour;
    }
    smoothTangents(&envelope);
    *out = envelope;
    return true;
}
