// One note of one instrument: unison oscillators with pitch bend and vibrato, noise, a
// state-variable filter swept by the envelope, and an ADSR amplitude envelope.
#include <cmath>

#include "base/constants.h"
#include "tools/content/noise.h"
#include "tools/content/synth.h"

namespace {

// Smooths the step of a saw or square wave over one sample (polyBLEP), to keep aliasing down.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double oscillator(Waveform wave, double phase, double dt) {
    switch (wave) {
        case WAVE_SINE: return std::sin(2.0 * kPi * phase);
        case WAVE_TRIANGLE: return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
        case WAVE_SAW: return 2.0 * phase - 1.0 - polyBlep(phase, dt);
        case WAVE_SQUARE: {
            double v = phase < 0.5 ? 1.0 : -1.0;
            v += polyBlep(phase, dt);
            double shifted = phase + 0.5;
            if (shifted >= 1.0) shifted -= 1.0;
            return v - polyBlep(shifted, dt);
        }
        case WAVE_NOISE: return 0.0;  // mixed in separately
    }
    return 0.0;
}

// Envelope level at t seconds after the note starts, the key released at `held`.
double envelopeAt(const Instrument& in, double t, double held) {
    auto level = [&](double x) {
        if (x < in.attack) return in.attack > 0.0f ? x / in.attack : 1.0;
        x -= in.attack;
        if (x < in.decay) return 1.0 - (1.0 - in.sustain) * (x / in.decay);
        return double(in.sustain);
    };
    if (t < held) return level(t);
    if (in.release <= 0.0f) return 0.0;
    double r = 1.0 - (t - held) / in.release;
    return r <= 0.0 ? 0.0 : level(held) * r * r;
}

}  // namespace

void renderNote(const Instrument& in, const NoteEvent& note, MixBuses* buses) {
    const double rate = SYNTH_RATE;
    size_t first = size_t(std::llround(note.start * rate));
    size_t count = size_t(std::ceil((note.length + in.release) * rate)) + 1;
    if (first >= buses->frames) return;
    if (first + count > buses->frames) count = buses->frames - first;

    Rng rng = rngSeed(note.seed);
    double phases[SYNTH_MAX_VOICES];
    double ratios[SYNTH_MAX_VOICES];
    for (int v = 0; v < in.voices; ++v) {
        phases[v] = in.voices > 1 ? rngUniform(&rng) : 0.0;
        double spread = in.voices > 1 ? (v - (in.voices - 1) * 0.5) * in.detune / 100.0 : 0.0;
        ratios[v] = std::exp2(spread / 12.0);
    }
    double panAngle = (in.pan + 1.0) * kPi * 0.25;
    double gainL = std::cos(panAngle), gainR = std::sin(panAngle);
    double amplitude = in.volume * note.velocity / std::sqrt(double(in.voices));
    double noiseMix = in.wave == WAVE_NOISE ? 1.0 : in.noise;
    double toneMix = in.wave == WAVE_NOISE ? 0.0 : 1.0;

    // Topology-preserving state-variable filter, coefficients refreshed every 16 samples.
    double ic1 = 0.0, ic2 = 0.0, g = 0.0, k = 2.0 - 2.0 * in.resonance, a1 = 0.0, a2 = 0.0, a3 = 0.0;
    double wobblePhase = rngUniform(&rng);
    for (size_t i = 0; i < count; ++i) {
        double t = double(i) / rate;
        double env = envelopeAt(in, t, note.length);
        double vibratoFade = std::fmin(1.0, t / 0.4);
        double pitch = note.pitch + in.bend * std::exp(-t / in.bendTime) +
                       in.vibrato * vibratoFade * std::sin(2.0 * kPi * in.vibratoRate * t);
        double tone = 0.0;
        if (toneMix > 0.0) {
            double baseDt = 440.0 * std::exp2((pitch - 69.0) / 12.0) / rate;
            for (int v = 0; v < in.voices; ++v) {
                double dt = baseDt * ratios[v];
                tone += oscillator(in.wave, phases[v], dt);
                phases[v] += dt;
                phases[v] -= std::floor(phases[v]);
            }
        }
        double sample = toneMix * tone + noiseMix * (rngUniform(&rng) * 2.0 - 1.0);
        if ((i & 15) == 0) {
            double noteHz = 440.0 * std::pow(2.0, (note.pitch - 69.0) / 12.0);
            double cutoff = in.cutoff * std::pow(noteHz / 261.6256, double(in.keytrack)) + in.envCutoff * env;
            cutoff *= 1.0 + in.wobble * std::sin(2.0 * kPi * (in.wobbleRate * (note.start + t) + wobblePhase));
            cutoff = std::fmin(std::fmax(cutoff, 20.0), rate * 0.45);
            g = std::tan(kPi * cutoff / rate);
            a1 = 1.0 / (1.0 + g * (g + k));
            a2 = g * a1;
            a3 = g * a2;
        }
        double v3 = sample - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        double filtered = in.filter == FILTER_LOWPASS ? v2 : (in.filter == FILTER_BANDPASS ? v1 : sample - k * v1 - v2);
        float out = float(filtered * env * amplitude);
        size_t at = first + i;
        buses->left[at] += float(out * gainL);
        buses->right[at] += float(out * gainR);
        buses->reverbSend[at] += out * in.reverb;
        buses->echoSend[at] += out * in.echo;
    }
}
