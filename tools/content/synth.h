// The production's synthesiser: a score text read into instruments and note events, rendered
// offline to stereo floats. Everything is computed from the score and fixed seeds, so the same
// score always gives the same samples.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum { SYNTH_RATE = 44100 };
enum { SCORE_MAX_INSTRUMENTS = 16, SCORE_MAX_PATTERNS = 64, SCORE_MAX_NOTES = 20000, SCORE_NAME_LENGTH = 32 };
enum { SCORE_MAX_CHORD = 8, SYNTH_MAX_VOICES = 4 };

enum Waveform { WAVE_SINE, WAVE_TRIANGLE, WAVE_SAW, WAVE_SQUARE, WAVE_NOISE };
enum FilterMode { FILTER_LOWPASS, FILTER_BANDPASS, FILTER_HIGHPASS };

struct Instrument {
    char name[SCORE_NAME_LENGTH];
    Waveform wave;
    int voices;         // unison oscillators
    float detune;       // cents between neighbouring unison oscillators
    float noise;        // white noise mixed into the oscillators, 0 to 1
    float attack;       // seconds
    float decay;        // seconds
    float sustain;      // level
    float release;      // seconds
    FilterMode filter;
    float cutoff;       // Hz (at middle C when keytrack is 1)
    float resonance;    // 0 to 0.95
    float envCutoff;    // Hz added to the cutoff at the envelope's peak
    float keytrack;     // 0: fixed cutoff; 1: cutoff follows the note's pitch
    float bend;         // semitones off pitch at the start of a note, fading out
    float bendTime;     // seconds for the bend to fade to 1/e
    float vibrato;      // semitones
    float vibratoRate;  // Hz
    float wobble;       // cutoff sway, a fraction of the cutoff
    float wobbleRate;   // Hz
    float volume;
    float pan;          // -1 left, 1 right
    float reverb;       // send to the reverb
    float echo;         // send to the echo
};

struct NoteEvent {
    double start;   // seconds
    double length;  // seconds the key is held
    int instrument;
    float pitch;    // MIDI note number (69 = A 440 Hz)
    float velocity;
    uint32_t seed;  // phases and noise of this note
};

struct MasterSettings {
    float gain;          // peak level after normalising
    float reverbSize;    // 0 to 1
    float reverbDamp;    // 0 to 1
    float reverbMix;     // level of the reverb return
    float echoBeats;     // echo delay in beats
    float echoFeedback;  // 0 to 0.9
    float quality;       // Vorbis quality, -0.1 to 1
};

struct Score {
    std::string title;
    std::string artist;
    double tempo;  // beats per minute
    int meter;     // beats per bar
    double tail;   // seconds rendered after the last note ends, for the echoes and reverb to fade
    MasterSettings master;
    Instrument instruments[SCORE_MAX_INSTRUMENTS];
    int instrumentCount;
    std::vector<NoteEvent> notes;  // at most SCORE_MAX_NOTES
    double musicEnd;               // seconds: end of the last placed pattern
};

// The Ogg stream's serial number: fixed, so the file depends on nothing but the score.
enum : uint32_t { MUSIC_STREAM_SERIAL = 0x564D4F52u };

// Reads a score (format in content/music/score.txt). On failure returns false with "line N: ...".
bool parseScore(const std::string& text, Score* score, std::string* error);

// Seconds the rendering lasts: the music and its tail.
double scoreDuration(const Score& score);

// Renders the score into stereo samples at SYNTH_RATE, at most maxSeconds long (the whole piece
// when maxSeconds <= 0), normalised to the master gain with a short fade at both ends.
void renderScore(const Score& score, double maxSeconds, std::vector<float>* left, std::vector<float>* right);

// One note, added into the buses from its start frame on (frames before `frames` only).
struct MixBuses {
    float* left;
    float* right;
    float* reverbSend;
    float* echoSend;
    size_t frames;
};
void renderNote(const Instrument& instrument, const NoteEvent& note, MixBuses* buses);

// Effects over whole buses: a ping-pong echo (its return is added to left/right and to the
// reverb send) and a stereo reverb whose return is added to left/right.
void applyEcho(const float* send, size_t frames, double delaySeconds, float feedback, float* left, float* right,
               float* reverbSend);
void applyReverb(const float* send, size_t frames, float size, float damp, float mix, float* left, float* right);
