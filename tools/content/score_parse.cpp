// The score text: settings, instruments, patterns of steps, and the placements of patterns on
// bars. Parsed with the C library's conversions in the C locale.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale>
#include <memory>
#include <sstream>

#include "tools/content/synth.h"

namespace {

struct Step {
    int pitchCount;  // 0: rest or hold
    float pitches[SCORE_MAX_CHORD];
    bool hold;       // "-": the previous note goes on
    float velocity;
};

struct Pattern {
    char name[SCORE_NAME_LENGTH];
    int instrument;
    double stepsPerBeat;
    std::vector<Step> steps;
};

struct Parser {
    Score* score;
    Pattern patterns[SCORE_MAX_PATTERNS];
    int patternCount;
    int line;
    std::string* error;
};

bool fail(Parser* p, const std::string& message) {
    *p->error = "line " + std::to_string(p->line) + ": " + message;
    return false;
}

// Decimal points whatever the process locale is.
bool readNumber(const std::string& text, double* value) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double v = 0.0;
    if (!(in >> v) || in.peek() != std::char_traits<char>::eof() || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

// "C4" = 60; sharps '#', flats 'b'; octaves -1 to 9.
bool readPitch(const std::string& text, float* pitch) {
    static const int kOffsets[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (text.size() < 2 || text[0] < 'A' || text[0] > 'G') return false;
    int note = kOffsets[text[0] - 'A'];
    size_t i = 1;
    if (text[i] == '#') ++note, ++i;
    else if (text[i] == 'b') --note, ++i;
    const char* s = text.c_str() + i;
    char* end = nullptr;
    long octave = std::strtol(s, &end, 10);
    if (end == s || *end != '\0' || octave < -1 || octave > 9) return false;
    *pitch = float(12 * (octave + 1) + note);
    return true;
}

int findInstrument(const Score& score, const std::string& name) {
    for (int i = 0; i < score.instrumentCount; ++i)
        if (name == score.instruments[i].name) return i;
    return -1;
}

bool setName(Parser* p, char* target, const std::string& name) {
    if (name.empty() || name.size() >= SCORE_NAME_LENGTH) return fail(p, "name \"" + name + "\" is empty or too long");
    std::strcpy(target, name.c_str());
    return true;
}

Instrument defaultInstrument() {
    Instrument in;
    std::memset(&in, 0, sizeof in);
    in.wave = WAVE_SINE;
    in.voices = 1;
    in.attack = 0.01f;
    in.decay = 0.1f;
    in.sustain = 1.0f;
    in.release = 0.2f;
    in.filter = FILTER_LOWPASS;
    in.cutoff = 20000.0f;
    in.bendTime = 0.05f;
    in.vibratoRate = 5.0f;
    in.wobbleRate = 0.2f;
    in.volume = 0.5f;
    return in;
}

bool setInstrumentKey(Parser* p, Instrument* in, const std::string& key, const std::string& value) {
    if (key == "wave") {
        static const char* const kWaves[] = {"sine", "triangle", "saw", "square", "noise"};
        for (int i = 0; i < 5; ++i)
            if (value == kWaves[i]) {
                in->wave = Waveform(i);
                return true;
            }
        return fail(p, "unknown wave \"" + value + "\"");
    }
    if (key == "filter") {
        static const char* const kModes[] = {"lowpass", "bandpass", "highpass"};
        for (int i = 0; i < 3; ++i)
            if (value == kModes[i]) {
                in->filter = FilterMode(i);
                return true;
            }
        return fail(p, "unknown filter \"" + value + "\"");
    }
    double v;
    if (!readNumber(value, &v)) return fail(p, "\"" + value + "\" is not a number");
    struct Field {
        const char* key;
        float* target;
        double low, high;
    };
    const Field fields[] = {
        {"detune", &in->detune, 0, 100},        {"noise", &in->noise, 0, 1},
        {"attack", &in->attack, 0, 30},         {"decay", &in->decay, 0, 30},
        {"sustain", &in->sustain, 0, 1},        {"release", &in->release, 0, 30},
        {"cutoff", &in->cutoff, 1, 20000},      {"resonance", &in->resonance, 0, 0.95},
        {"env_cutoff", &in->envCutoff, -20000, 20000}, {"keytrack", &in->keytrack, 0, 2},
        {"bend", &in->bend, -48, 48},           {"bend_time", &in->bendTime, 0.001, 10},
        {"vibrato", &in->vibrato, 0, 12},       {"vibrato_rate", &in->vibratoRate, 0, 40},
        {"wobble", &in->wobble, 0, 1},          {"wobble_rate", &in->wobbleRate, 0, 40},
        {"volume", &in->volume, 0, 4},          {"pan", &in->pan, -1, 1},
        {"reverb", &in->reverb, 0, 2},          {"echo", &in->echo, 0, 2},
    };
    if (key == "voices") {
        if (v < 1 || v > SYNTH_MAX_VOICES || v != std::floor(v)) return fail(p, "voices must be 1 to 4");
        in->voices = int(v);
        return true;
    }
    for (const Field& f : fields)
        if (key == f.key) {
            if (v < f.low || v > f.high) return fail(p, key + " out of range");
            *f.target = float(v);
            return true;
        }
    return fail(p, "unknown instrument setting \"" + key + "\"");
}

bool setMasterKey(Parser* p, MasterSettings* m, const std::string& key, const std::string& value) {
    double v;
    if (!readNumber(value, &v)) return fail(p, "\"" + value + "\" is not a number");
    struct Field {
        const char* key;
        float* target;
        double low, high;
    };
    const Field fields[] = {{"gain", &m->gain, 0.01, 1},          {"reverb_size", &m->reverbSize, 0, 1},
                            {"reverb_damp", &m->reverbDamp, 0, 1}, {"reverb_mix", &m->reverbMix, 0, 4},
                            {"echo_beats", &m->echoBeats, 0.01, 8}, {"echo_feedback", &m->echoFeedback, 0, 0.9},
                            {"quality", &m->quality, -0.1, 1}};
    for (const Field& f : fields)
        if (key == f.key) {
            if (v < f.low || v > f.high) return fail(p, key + " out of range");
            *f.target = float(v);
            return true;
        }
    return fail(p, "unknown master setting \"" + key + "\"");
}

bool splitSetting(Parser* p, const std::string& word, std::string* key, std::string* value) {
    size_t eq = word.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == word.size()) return fail(p, "expected key=value, got \"" + word + "\"");
    *key = word.substr(0, eq);
    *value = word.substr(eq + 1);
    return true;
}

bool readStep(Parser* p, const std::string& word, float* velocity, Pattern* pattern) {
    if (word == "|") return true;  // a bar line, for the eye
    if (word[0] == 'v') {
        double v;
        if (!readNumber(word.substr(1), &v) || v < 0 || v > 4) return fail(p, "bad velocity \"" + word + "\"");
        *velocity = float(v);
        return true;
    }
    Step step{0, {0}, false, *velocity};
    if (word == "-") {
        step.hold = true;
    } else if (word != ".") {
        size_t start = 0;
        while (start <= word.size()) {
            size_t plus = word.find('+', start);
            std::string name = word.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
            if (step.pitchCount == SCORE_MAX_CHORD) return fail(p, "more than 8 notes in a chord");
            if (!readPitch(name, &step.pitches[step.pitchCount])) return fail(p, "bad note \"" + name + "\"");
            ++step.pitchCount;
            if (plus == std::string::npos) break;
            start = plus + 1;
        }
    }
    pattern->steps.push_back(step);
    return true;
}

// "at BAR PATTERN [xCOUNT] [+SEMITONES|-SEMITONES] [vSCALE]"
bool placePattern(Parser* p, const std::vector<std::string>& words) {
    Score* score = p->score;
    double bar;
    if (words.size() < 3 || !readNumber(words[1], &bar) || bar < 1) return fail(p, "expected: at BAR PATTERN ...");
    const Pattern* pattern = nullptr;
    for (int i = 0; i < p->patternCount; ++i)
        if (words[2] == p->patterns[i].name) pattern = &p->patterns[i];
    if (!pattern) return fail(p, "no pattern named \"" + words[2] + "\"");
    int repeats = 1;
    double transpose = 0.0, scale = 1.0;
    for (size_t i = 3; i < words.size(); ++i) {
        const std::string& w = words[i];
        double v;
        if (w[0] == 'x' && readNumber(w.substr(1), &v) && v >= 1 && v <= 256 && v == std::floor(v)) repeats = int(v);
        else if ((w[0] == '+' || w[0] == '-') && readNumber(w, &v) && std::fabs(v) <= 48) transpose = v;
        else if (w[0] == 'v' && readNumber(w.substr(1), &v) && v >= 0 && v <= 4) scale = v;
        else return fail(p, "cannot read \"" + w + "\"");
    }
    double secondsPerBeat = 60.0 / score->tempo;
    double stepSeconds = secondsPerBeat / pattern->stepsPerBeat;
    double patternSeconds = stepSeconds * double(pattern->steps.size());
    double origin = (bar - 1.0) * score->meter * secondsPerBeat;
    for (int r = 0; r < repeats; ++r) {
        double base = origin + r * patternSeconds;
        for (size_t s = 0; s < pattern->steps.size(); ++s) {
            const Step& step = pattern->steps[s];
            if (step.pitchCount == 0) continue;
            size_t held = 1;
            while (s + held < pattern->steps.size() && pattern->steps[s + held].hold) ++held;
            for (int k = 0; k < step.pitchCount; ++k) {
                if (score->notes.size() >= SCORE_MAX_NOTES) return fail(p, "more than 20000 notes");
                NoteEvent e;
                e.start = base + double(s) * stepSeconds;
                e.length = double(held) * stepSeconds;
                e.instrument = pattern->instrument;
                e.pitch = float(step.pitches[k] + transpose);
                e.velocity = float(step.velocity * scale);
                e.seed = uint32_t(score->notes.size()) * 2654435761u + 12345u;
                score->notes.push_back(e);
            }
        }
        score->musicEnd = std::fmax(score->musicEnd, base + patternSeconds);
    }
    return true;
}

// A comment starts at a '#' that begins a word; inside a word it is a sharp (F#3).
std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t comment = 0;
    while ((comment = line.find('#', comment)) != std::string::npos && comment > 0 && line[comment - 1] != ' ' &&
           line[comment - 1] != '\t')
        ++comment;
    std::istringstream in(line.substr(0, comment));
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

std::string restOfLine(const std::string& line, const std::string& keyword) {
    size_t start = line.find(keyword) + keyword.size();
    size_t first = line.find_first_not_of(" \t", start);
    size_t last = line.find_last_not_of(" \t\r");
    return first == std::string::npos || last < first ? std::string() : line.substr(first, last - first + 1);
}

}  // namespace

bool parseScore(const std::string& text, Score* score, std::string* error) {
    score->title.clear();
    score->artist.clear();
    score->tempo = 120.0;
    score->meter = 4;
    score->tail = 4.0;
    score->master = MasterSettings{0.89f, 0.8f, 0.4f, 1.0f, 0.75f, 0.4f, 0.2f};
    score->instrumentCount = 0;
    score->notes.clear();
    score->musicEnd = 0.0;
    std::unique_ptr<Parser> parser(new Parser());
    Parser* p = parser.get();
    p->score = score;
    p->patternCount = 0;
    p->line = 0;
    p->error = error;
    Pattern* open = nullptr;  // the pattern whose steps are being read
    float velocity = 1.0f;
    bool ok = true;
    std::istringstream in(text);
    for (std::string line; ok && std::getline(in, line);) {
        ++p->line;
        std::vector<std::string> words = splitWords(line);
        if (words.empty()) continue;
        const std::string& w = words[0];
        double v = 0.0;
        if (open) {
            if (w == "end" && words.size() == 1) {
                if (open->steps.empty()) ok = fail(p, "pattern has no steps");
                open = nullptr;
                continue;
            }
            for (const std::string& word : words)
                if (ok) ok = readStep(p, word, &velocity, open);
        } else if (w == "title") {
            score->title = restOfLine(line, "title");
        } else if (w == "artist") {
            score->artist = restOfLine(line, "artist");
        } else if (w == "tempo") {
            ok = (words.size() == 2 && readNumber(words[1], &v) && v >= 20 && v <= 300) || fail(p, "tempo 20 to 300");
            if (ok) score->tempo = v;
        } else if (w == "meter") {
            ok = (words.size() == 2 && readNumber(words[1], &v) && v >= 1 && v <= 16 && v == std::floor(v)) ||
                 fail(p, "meter 1 to 16 beats");
            if (ok) score->meter = int(v);
        } else if (w == "tail") {
            ok = (words.size() == 2 && readNumber(words[1], &v) && v >= 0 && v <= 60) || fail(p, "tail 0 to 60 s");
            if (ok) score->tail = v;
        } else if (w == "master") {
            for (size_t i = 1; ok && i < words.size(); ++i) {
                std::string key, value;
                ok = splitSetting(p, words[i], &key, &value) && setMasterKey(p, &score->master, key, value);
            }
        } else if (w == "instrument") {
            if (words.size() < 2) ok = fail(p, "instrument needs a name");
            else if (findInstrument(*score, words[1]) >= 0) ok = fail(p, "instrument \"" + words[1] + "\" twice");
            else if (score->instrumentCount == SCORE_MAX_INSTRUMENTS) ok = fail(p, "more than 16 instruments");
            if (!ok) break;
            Instrument* in = &score->instruments[score->instrumentCount];
            *in = defaultInstrument();
            ok = setName(p, in->name, words[1]);
            for (size_t i = 2; ok && i < words.size(); ++i) {
                std::string key, value;
                ok = splitSetting(p, words[i], &key, &value) && setInstrumentKey(p, in, key, value);
            }
            if (ok) ++score->instrumentCount;
        } else if (w == "pattern") {
            if (words.size() != 4) ok = fail(p, "expected: pattern NAME INSTRUMENT STEPS_PER_BEAT");
            else if (p->patternCount == SCORE_MAX_PATTERNS) ok = fail(p, "more than 64 patterns");
            if (!ok) break;
            Pattern* pattern = &p->patterns[p->patternCount];
            pattern->steps.clear();
            pattern->instrument = findInstrument(*score, words[2]);
            for (int i = 0; ok && i < p->patternCount; ++i)
                if (words[1] == p->patterns[i].name) ok = fail(p, "pattern \"" + words[1] + "\" twice");
            if (ok && pattern->instrument < 0) ok = fail(p, "no instrument named \"" + words[2] + "\"");
            if (ok && !(readNumber(words[3], &pattern->stepsPerBeat) && pattern->stepsPerBeat >= 0.0625 &&
                        pattern->stepsPerBeat <= 16))
                ok = fail(p, "steps per beat 0.0625 to 16");
            ok = ok && setName(p, pattern->name, words[1]);
            if (ok) {
                ++p->patternCount;
                open = pattern;
                velocity = 1.0f;
            }
        } else if (w == "at") {
            ok = placePattern(p, words);
        } else {
            ok = fail(p, "unknown statement \"" + w + "\"");
        }
    }
    if (ok && open) ok = fail(p, "pattern \"" + std::string(open->name) + "\" has no end");
    if (ok && score->notes.empty()) ok = fail(p, "the score places no notes");
    return ok;
}

double scoreDuration(const Score& score) { return score.musicEnd + score.tail; }
