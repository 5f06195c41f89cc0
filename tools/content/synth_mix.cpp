// Mixing the whole piece: every note into the buses, the echo and the reverb, then the master.
#include <algorithm>
#include <cmath>

#include "tools/content/synth.h"

namespace {

// Freeverb's comb and all-pass tunings at 44.1 kHz; the right channel's lines are 23 samples longer.
const int kCombLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int kAllpassLengths[] = {556, 441, 341, 225};
const int kStereoSpread = 23;

struct Comb {
    std::vector<float> line;
    size_t at;
    float store;
};

struct Allpass {
    std::vector<float> line;
    size_t at;
};

float combStep(Comb* c, float input, float feedback, float damp) {
    float out = c->line[c->at];
    c->store = out * (1.0f - damp) + c->store * damp;
    c->line[c->at] = input + c->store * feedback;
    if (++c->at == c->line.size()) c->at = 0;
    return out;
}

float allpassStep(Allpass* a, float input) {
    float delayed = a->line[a->at];
    a->line[a->at] = input + delayed * 0.5f;
    if (++a->at == a->line.size()) a->at = 0;
    return delayed - input;
}

}  // namespace

void applyEcho(const float* send, size_t frames, double delaySeconds, float feedback, float* left, float* right,
               float* reverbSend) {
    size_t delay = size_t(std::llround(delaySeconds * SYNTH_RATE));
    if (delay == 0) return;
    std::vector<float> lineL(delay, 0.0f), lineR(delay, 0.0f);
    float darkL = 0.0f, darkR = 0.0f;  // one-pole low-pass in the loop: each repeat duller
    size_t at = 0;
    for (size_t i = 0; i < frames; ++i) {
        float outL = lineL[at], outR = lineR[at];
        darkL += 0.35f * (outL - darkL);
        darkR += 0.35f * (outR - darkR);
        lineL[at] = send[i] + darkR * feedback;  // ping: the left line is fed by the right
        lineR[at] = darkL;                       // pong
        if (++at == delay) at = 0;
        left[i] += outL;
        right[i] += outR;
        reverbSend[i] += 0.3f * (outL + outR);
    }
}

void applyReverb(const float* send, size_t frames, float size, float damp, float mix, float* left, float* right) {
    Comb combs[2][8];
    Allpass allpasses[2][4];
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < 8; ++i) combs[ch][i] = Comb{std::vector<float>(size_t(kCombLengths[i] + ch * kStereoSpread), 0.0f), 0, 0.0f};
        for (int i = 0; i < 4; ++i)
            allpasses[ch][i] = Allpass{std::vector<float>(size_t(kAllpassLengths[i] + ch * kStereoSpread), 0.0f), 0};
    }
    float feedback = 0.7f + 0.28f * size, damping = 0.4f * damp, wet = 3.0f * mix;
    for (size_t i = 0; i < frames; ++i) {
        float input = send[i] * 0.015f;
        float out[2];
        for (int ch = 0; ch < 2; ++ch) {
            float sum = 0.0f;
            for (int c = 0; c < 8; ++c) sum += combStep(&combs[ch][c], input, feedback, damping);
            for (int a = 0; a < 4; ++a) sum = allpassStep(&allpasses[ch][a], sum);
            out[ch] = sum;
        }
        left[i] += wet * out[0];
        right[i] += wet * out[1];
    }
}

void renderScore(const Score& score, double maxSeconds, std::vector<float>* left, std::vector<float>* right) {
    double seconds = scoreDuration(score);
    if (maxSeconds > 0.0 && maxSeconds < seconds) seconds = maxSeconds;
    size_t frames = size_t(std::ceil(seconds * SYNTH_RATE));
    left->assign(frames, 0.0f);
    right->assign(frames, 0.0f);
    std::vector<float> reverbSend(frames, 0.0f), echoSend(frames, 0.0f);
    MixBuses buses{left->data(), right->data(), reverbSend.data(), echoSend.data(), frames};
    for (const NoteEvent& note : score.notes) renderNote(score.instruments[note.instrument], note, &buses);

    const MasterSettings& m = score.master;
    applyEcho(echoSend.data(), frames, m.echoBeats * 60.0 / score.tempo, m.echoFeedback, left->data(), right->data(),
              reverbSend.data());
    applyReverb(reverbSend.data(), frames, m.reverbSize, m.reverbDamp, m.reverbMix, left->data(), right->data());

    float peak = 0.0f;
    for (size_t i = 0; i < frames; ++i) peak = std::fmax(peak, std::fmax(std::fabs((*left)[i]), std::fabs((*right)[i])));
    float scale = peak > 0.0f ? m.gain / peak : 0.0f;
    size_t fadeIn = SYNTH_RATE / 200, fadeOut = std::min(frames, size_t(SYNTH_RATE) * 3 / 2);
    for (size_t i = 0; i < frames; ++i) {
        float f = scale;
        if (i < fadeIn) f *= float(i) / float(fadeIn);
        if (i + fadeOut > frames) f *= float(frames - i) / float(fadeOut);
        (*left)[i] *= f;
        (*right)[i] *= f;
    }
}
