// Build-time synthesiser of the demo track: 40.5 s of looping stereo music written as raw 32-bit floats.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "assets/demo_track.h"

namespace {

constexpr long trackFrames = demoTrackFrames;
constexpr double sampleRate = 44100.0;
constexpr int bars = 20;
constexpr int beatsPerBar = 4;
// 80 beats fill the loop exactly, which puts the tempo at 118.5 bpm.
constexpr double framesPerBeat = double(trackFrames) / (bars * beatsPerBar);
constexpr double framesPerStep = framesPerBeat / 4.0;  // one sixteenth note
constexpr double twoPi = 6.283185307179586;
constexpr double peakTarget = 0.89;  // about 1 dB below full scale

// The mix is a circular buffer as long as the loop: a note that rings past the end continues at the
// start, so the loop has no seam.
struct Track {
    std::vector<double> left;
    std::vector<double> right;
};

enum class Wave { saw, square, sine };

struct Tone {
    double start;      // first frame
    double length;     // frames held before the release begins
    double frequency;  // Hz
    double gain;
    double pan;  // -1 left to +1 right
    Wave wave;
    double attack, decay, sustain, release;  // seconds, sustain as a level
    double cutoff;                           // low-pass corner in Hz
    double vibrato;                          // depth as a frequency ratio, at 5 Hz
};

// Deterministic white noise, so that every build writes the same track.
struct Noise {
    uint32_t state;
};

double nextNoise(Noise& noise)
{
    noise.state ^= noise.state << 13;
    noise.state ^= noise.state >> 17;
    noise.state ^= noise.state << 5;
    return noise.state / 2147483648.0 - 1.0;
}

// One-pole low-pass; the high-pass is its complement.
struct OnePole {
    double coefficient;
    double state;
};

OnePole onePole(double cornerHz)
{
    return {1.0 - std::exp(-twoPi * cornerHz / sampleRate), 0.0};
}

double lowPass(OnePole& filter, double x)
{
    filter.state += filter.coefficient * (x - filter.state);
    return filter.state;
}

double highPass(OnePole& filter, double x)
{
    return x - lowPass(filter, x);
}

double midiToHz(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

void addFrame(Track& track, long frame, double sample, double pan)
{
    // Equal-power panning keeps a voice equally loud wherever it sits.
    const double angle = (pan + 1.0) * 0.25 * 3.141592653589793;
    const long at = ((frame % trackFrames) + trackFrames) % trackFrames;
    track.left[at] += sample * std::cos(angle);
    track.right[at] += sample * std::sin(angle);
}

// Softens the step of a naive oscillator at its wrap, which would otherwise alias audibly.
double polyBlep(double phase, double step)
{
    if (phase < step) {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step) {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double oscillator(Wave wave, double phase, double step)
{
    if (wave == Wave::sine) return std::sin(twoPi * phase);
    if (wave == Wave::saw) return 2.0 * phase - 1.0 - polyBlep(phase, step);
    const double half = std::fmod(phase + 0.5, 1.0);
    const double square = phase < 0.5 ? 1.0 : -1.0;
    return square + polyBlep(phase, step) - polyBlep(half, step);
}

double envelopeAt(const Tone& tone, double seconds)
{
    const double held = tone.length / sampleRate;
    const auto shape = [&](double t) {
        if (t < tone.attack) return t / tone.attack;
        return tone.sustain + (1.0 - tone.sustain) * std::exp(-(t - tone.attack) / tone.decay);
    };
    if (seconds < held) return shape(seconds);
    return shape(held) * std::max(0.0, 1.0 - (seconds - held) / tone.release);
}

void renderTone(Track& track, const Tone& tone)
{
    OnePole filter = onePole(tone.cutoff);
    OnePole smoother = onePole(tone.cutoff);
    const long frames = long(tone.length + tone.release * sampleRate);
    double phase = 0.0;
    for (long n = 0; n < frames; ++n) {
        const double seconds = n / sampleRate;
        const double wobble = 1.0 + tone.vibrato * std::sin(twoPi * 5.0 * seconds) * std::min(1.0, seconds * 4.0);
        const double step = tone.frequency * wobble / sampleRate;
        const double raw = oscillator(tone.wave, phase, step);
        const double sample = lowPass(smoother, lowPass(filter, raw));
        addFrame(track, long(tone.start) + n, sample * envelopeAt(tone, seconds) * tone.gain, tone.pan);
        phase = std::fmod(phase + step, 1.0);
    }
}

// A sine that falls from a click-like 150 Hz to about 48 Hz, decaying over a few hundred ms.
void renderKick(Track& track, double start, double gain)
{
    const long frames = long(0.42 * sampleRate);
    double phase = 0.0;
    for (long n = 0; n < frames; ++n) {
        const double t = n / sampleRate;
        const double frequency = 48.0 + 100.0 * std::exp(-t / 0.035);
        const double envelope = (1.0 - std::exp(-t / 0.0015)) * std::exp(-t / 0.16);
        const double tail = std::min(1.0, double(frames - n) / (0.02 * sampleRate));
        addFrame(track, long(start) + n, std::sin(twoPi * phase) * envelope * tail * gain, 0.0);
        phase += frequency / sampleRate;
    }
}

struct NoiseHit {
    double start;
    double seconds;  // length
    double decay;    // seconds
    double lowCorner, highCorner;
    double gain;
    double pan;
    uint32_t seed;
};

// Band-limited noise with an exponential decay: hats, claps, snares and crashes.
void renderNoiseHit(Track& track, const NoiseHit& hit)
{
    Noise noise{hit.seed | 1u};
    OnePole low = onePole(hit.lowCorner);
    OnePole low2 = onePole(hit.lowCorner);
    OnePole high = onePole(hit.highCorner);
    const long frames = long(hit.seconds * sampleRate);
    for (long n = 0; n < frames; ++n) {
        const double t = n / sampleRate;
        const double band = lowPass(high, highPass(low2, highPass(low, nextNoise(noise))));
        const double envelope = std::min(1.0, t / 0.0005) * std::exp(-t / hit.decay);
        const double tail = std::min(1.0, double(frames - n) / (0.005 * sampleRate));
        addFrame(track, long(hit.start) + n, band * envelope * tail * hit.gain, hit.pan);
    }
}

double stepFrame(int bar, int step)
{
    return (bar * 16 + step) * framesPerStep;
}

bool hasGroove(int bar)
{
    return (bar >= 4 && bar < 12) || bar >= 16;
}

void placeKicks(Track& track)
{
    for (int beat = 0; beat < bars * beatsPerBar; ++beat) renderKick(track, beat * framesPerBeat, 0.85);
}

void placeHats(Track& track)
{
    for (int bar = 0; bar < bars; ++bar) {
        const bool sparse = bar >= 12 && bar < 16;
        for (int step = 0; step < 16; ++step) {
            const bool offbeat = step % 4 == 2;
            const bool sixteenth = hasGroove(bar) && step % 2 == 1;
            if (!(offbeat || sixteenth) || (sparse && !offbeat)) continue;
            const bool open = offbeat && bar >= 8 && bar < 12;
            const uint32_t seed = uint32_t(bar * 16 + step) * 2654435761u;
            const double gain = offbeat ? 0.5 : 0.28;
            renderNoiseHit(track, {stepFrame(bar, step), open ? 0.3 : 0.06, open ? 0.12 : 0.018,
                                   5500.0, 16000.0, gain, 0.3, seed});
        }
    }
}

void placeClaps(Track& track)
{
    for (int bar = 0; bar < bars; ++bar) {
        if (!hasGroove(bar)) continue;
        for (int beat = 1; beat < beatsPerBar; beat += 2) {
            const uint32_t seed = uint32_t(bar * 4 + beat) * 40503u + 7u;
            // Three quick bursts and a tail give the hand-clap its smear.
            for (int burst = 0; burst < 3; ++burst)
                renderNoiseHit(track, {stepFrame(bar, beat * 4) + burst * 0.011 * sampleRate,
                                       burst < 2 ? 0.012 : 0.25, burst < 2 ? 0.004 : 0.07, 900.0,
                                       5000.0, 0.5, -0.1, seed + burst});
        }
    }
}

// A snare roll that thickens over the last two bars and hands the loop back to the intro.
void placeRoll(Track& track)
{
    for (int step = 0; step < 32; ++step) {
        const int bar = 18 + step / 16;
        const bool play = bar == 19 || step % 2 == 0;
        if (!play) continue;
        const double rise = 0.25 + 0.5 * step / 31.0;
        renderNoiseHit(track, {stepFrame(18, step), 0.12, 0.05, 400.0, 7000.0, rise * 0.5, 0.0,
                               uint32_t(step) * 97u + 3u});
        renderTone(track, {stepFrame(18, step), 0.02 * sampleRate, 190.0, rise * 0.3, 0.0,
                           Wave::sine, 0.001, 0.04, 0.0, 0.03, 2000.0, 0.0});
    }
}

void placeCrashes(Track& track)
{
    for (int bar : {0, 8, 16})
        renderNoiseHit(track, {stepFrame(bar, 0), 1.6, 0.5, 4500.0, 15000.0, 0.16, -0.4,
                               uint32_t(bar) * 131u + 11u});
}

// The riser: noise that swells through the last bar, its corner climbing until the seam.
void placeRiser(Track& track)
{
    Noise noise{12345u};
    OnePole filter = onePole(500.0);
    const long first = long(stepFrame(19, 0));
    const long frames = trackFrames - first;
    for (long n = 0; n < frames; ++n) {
        const double progress = double(n) / frames;
        filter.coefficient = 1.0 - std::exp(-twoPi * (500.0 + 7500.0 * progress * progress) / sampleRate);
        const double fadeOut = std::min(1.0, double(frames - n) / (0.03 * sampleRate));
        addFrame(track, first + n, lowPass(filter, nextNoise(noise)) * 0.3 * progress * fadeOut, 0.2);
    }
}

// One chord per bar, cycling A minor, F, C, G.
constexpr int chordRoots[4] = {57, 53, 60, 55};
constexpr int chordNotes[4][3] = {{57, 60, 64}, {57, 60, 65}, {55, 60, 64}, {55, 59, 62}};

void placeBass(Track& track)
{
    for (int bar = 0; bar < bars; ++bar) {
        if (!hasGroove(bar)) continue;
        const int root = chordRoots[bar % 4] - 12;
        // Off-beat eighths leave the beat to the kick, the classic pumping bass.
        for (int beat = 0; beat < beatsPerBar; ++beat) {
            const int note = beat == 3 && bar % 2 == 1 ? root + 12 : root;
            renderTone(track, {stepFrame(bar, beat * 4 + 2), framesPerStep * 1.6, midiToHz(note), 0.32,
                               0.0, Wave::saw, 0.003, 0.12, 0.5, 0.02, 700.0, 0.0});
        }
    }
}

void placePads(Track& track)
{
    for (int bar = 0; bar < bars; ++bar) {
        const bool breakdown = bar >= 12 && bar < 16;
        const double gain = breakdown ? 0.075 : 0.045;
        const double cutoff = breakdown ? 1800.0 + 600.0 * (bar - 12) : 1800.0;
        for (int note : chordNotes[bar % 4]) {
            // Two voices detuned apart and panned apart make the pad wide.
            for (int side = -1; side <= 1; side += 2)
                renderTone(track, {stepFrame(bar, 0), framesPerBeat * 4.0, midiToHz(note) * (1.0 + 0.004 * side),
                                   gain, 0.7 * side, Wave::saw, 0.35, 1.0, 0.8, 0.6, cutoff, 0.0});
        }
    }
}

struct MelodyNote {
    int note;   // MIDI number, 0 for a rest
    int steps;  // length in sixteenths
};

// Four bars over the chords, answered an octave lower in the breakdown.
constexpr MelodyNote melody[] = {
    {76, 2}, {81, 2}, {84, 2}, {83, 2}, {81, 4}, {76, 4},
    {77, 2}, {81, 2}, {84, 4}, {81, 2}, {79, 2}, {77, 4},
    {76, 2}, {79, 2}, {84, 2}, {86, 2}, {88, 4}, {86, 2}, {84, 2},
    {83, 4}, {79, 2}, {81, 2}, {83, 4}, {0, 4},
};

void placeMelody(Track& track, int firstBar, int transpose, double gain)
{
    int step = 0;
    for (const MelodyNote& m : melody) {
        if (m.note != 0)
            renderTone(track, {stepFrame(firstBar, step), framesPerStep * (m.steps - 0.4),
                               midiToHz(m.note + transpose), gain, -0.25, Wave::square, 0.005, 0.2, 0.6,
                               0.06, 3200.0, 0.004});
        step += m.steps;
    }
}

void placeLead(Track& track)
{
    placeMelody(track, 8, 0, 0.11);
    placeMelody(track, 12, -12, 0.09);
    placeMelody(track, 16, 0, 0.11);
}

// Plucked chord tones in sixteenths, the breakdown's motion.
void placeArpeggio(Track& track)
{
    for (int bar = 12; bar < 20; ++bar) {
        const int* notes = chordNotes[bar % 4];
        for (int step = 0; step < 16; ++step) {
            const int note = notes[step % 3] + 12 * (1 + (step / 3) % 2);
            renderTone(track, {stepFrame(bar, step), framesPerStep * 0.5, midiToHz(note), 0.05,
                               step % 2 == 0 ? 0.5 : -0.5, Wave::saw, 0.002, 0.08, 0.0, 0.05, 4000.0, 0.0});
        }
    }
}

// Gentle saturation, then one gain that brings the loudest sample to the target peak.
void master(Track& track)
{
    double peak = 0.0;
    for (std::vector<double>* channel : {&track.left, &track.right})
        for (double& x : *channel) {
            x = std::tanh(1.2 * x) / 1.2;
            peak = std::max(peak, std::fabs(x));
        }
    const double gain = peak > 0.0 ? peakTarget / peak : 1.0;
    for (std::vector<double>* channel : {&track.left, &track.right})
        for (double& x : *channel) x *= gain;
}

// 16-bit material widened to float: every value a whole multiple of 1/32768.
float quantised(double x)
{
    const long level = std::clamp(std::lround(x * 32768.0), -32768L, 32767L);
    return float(level) / 32768.0f;
}

void putLittleEndian(float value, unsigned char* bytes)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

int writeTrack(const Track& track, const char* path)
{
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    std::vector<unsigned char> bytes(trackFrames * 8);
    for (long n = 0; n < trackFrames; ++n) {
        putLittleEndian(quantised(track.left[n]), &bytes[n * 8]);
        putLittleEndian(quantised(track.right[n]), &bytes[n * 8 + 4]);
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    Track track{std::vector<double>(trackFrames, 0.0), std::vector<double>(trackFrames, 0.0)};
    // Arrangement: 4 bars intro, 8 of groove (the second half with the lead), a 4-bar breakdown,
    // 4 bars of climax ending in a roll and a riser that fall back into the intro.
    placeKicks(track);
    placeHats(track);
    placeClaps(track);
    placeRoll(track);
    placeCrashes(track);
    placeRiser(track);
    placeBass(track);
    placePads(track);
    placeLead(track);
    placeArpeggio(track);
    master(track);
    if (writeTrack(track, argv[1]) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
