// composition.cpp -- the soundtrack itself: the music for every row of the running order.
//
// 120 BPM in 4/4, sixteenth-note grid. Every writer takes the section's first bar and its length in
// bars and fills exactly that span, so the music follows the running order wherever a row moves.
// Title cards before a scene are four-bar build-ups into that scene; the scenes' sync beats (the
// forest's trees and leaves, the planet's swoop, the core's burst) come from the running order and
// count from the section start, as the scenes themselves count from their first frame.
#include "arrangement.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "dsp.h"
#include "exception.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Vocabulary

struct Chord {
    const char* bass;     // bass note name, e.g. "D2"
    const char* voicing;  // the upper notes, low to high, e.g. "D4+F4+A4+E5"
};

std::vector<int> tonesOf(const Chord& chord)
{
    std::vector<int> tones;
    std::istringstream names(chord.voicing);
    std::string name;
    while (std::getline(names, name, '+'))
        tones.push_back(noteNumber(name));
    return tones;
}

float bassOf(const Chord& chord)
{
    return static_cast<float>(noteNumber(chord.bass));
}

// A track with chainable settings, so that each part of the band reads as one line.
class Part : public Track {
public:
    Part(Instrument sound, float loudness)
    {
        instrument = sound;
        velocity = loudness;
    }
    Part& bright(float value) { tone = value; return *this; }
    Part& panned(float value) { pan = value; return *this; }
    Part& hall(float value) { reverb = value; return *this; }
    Part& echoed(float value) { echo = value; return *this; }
    Part& ducked(float value) { duck = value; return *this; }
    Part& shifted(int semitones) { transpose = semitones; return *this; }
};

int stepOf(int bar, int step = 0)
{
    return barToStep(bar) + step;
}

// All tones of a chord held together.
void holdChord(Score& score, const Track& track, int step, int length, const Chord& chord, float velocityScale = 1.f)
{
    for (int tone : tonesOf(chord))
        score.play(track, step, length, static_cast<float>(tone), velocityScale);
}

// The chord's tones one at a time, every `every` steps for `steps` steps. Each character of order
// is a digit k: the k-th tone counting upwards through the voicing and on into the octaves above;
// '.' rests.
void arpeggio(Score& score, const Track& track, int step, int steps, const Chord& chord, const char* order, int every,
              float velocityScale = 1.f)
{
    const std::vector<int> tones = tonesOf(chord);
    const int count = static_cast<int>(tones.size());
    const int orderLength = static_cast<int>(std::char_traits<char>::length(order));
    for (int i = 0; i * every < steps; ++i) {
        const char symbol = order[i % orderLength];
        if (symbol < '0' || symbol > '9')
            continue;
        const int k = symbol - '0';
        score.play(track, step + i * every, every, static_cast<float>(tones[k % count] + 12 * (k / count)), velocityScale);
    }
}

// A bass figure over one bar, a character per step: 'R' the chord's bass note, 'O' an octave up,
// 'F' a fifth up, lower case for a softer note; '-' holds the note before; '.' rests.
void bassFigure(Score& score, const Track& track, int bar, const Chord& chord, const char* figure)
{
    const float root = bassOf(chord);
    const int length = static_cast<int>(std::char_traits<char>::length(figure));
    for (int i = 0; i < length; ++i) {
        const char symbol = figure[i];
        const char upper = static_cast<char>(std::toupper(symbol));
        if (upper != 'R' && upper != 'O' && upper != 'F')
            continue;
        int hold = 1;
        while (i + hold < length && figure[i + hold] == '-')
            ++hold;
        const float pitch = root + (upper == 'O' ? 12.f : upper == 'F' ? 7.f : 0.f);
        score.play(track, stepOf(bar, i), hold, pitch, symbol == upper ? 1.f : 0.6f);
    }
}

// A run of evenly spaced hits growing from one loudness to another (snare rolls, tom fills).
// Rolls into a downbeat stop an eighth before it, so that the downbeat stands out.
void roll(Score& score, const Track& track, int step, int steps, int every, float fromScale, float toScale, float pitch = 60.f)
{
    const int hits = std::max(1, steps / every);
    for (int i = 0; i < hits; ++i) {
        const float t = hits > 1 ? static_cast<float>(i) / (hits - 1) : 1.f;
        score.play(track, step + i * every, every, pitch, fromScale + (toScale - fromScale) * t);
    }
}

// Deterministic dice for scattered ornaments (crossing marks, bubbles, forest sounds).
class Dice {
public:
    explicit Dice(std::uint32_t seed) : noise(seed) {}
    int below(int count) { return std::min(count - 1, static_cast<int>((noise.next() + 1.f) * 0.5f * count)); }

private:
    Noise noise;
};

// ---------------------------------------------------------------------------------------------
// The band

Part kick(float loudness, float length = 0.4f) { return Part(Instrument::Kick, loudness).bright(length); }
Part snare(float loudness) { return Part(Instrument::Snare, loudness).hall(0.15f); }
Part clap(float loudness) { return Part(Instrument::Clap, loudness).hall(0.25f); }
Part hat(float loudness) { return Part(Instrument::Hat, loudness).panned(0.25f); }
Part openHat(float loudness) { return Part(Instrument::OpenHat, loudness).panned(-0.2f).ducked(0.3f); }
Part shaker(float loudness) { return Part(Instrument::Shaker, loudness).panned(-0.35f); }
Part crash(float loudness) { return Part(Instrument::Crash, loudness).panned(-0.3f).hall(0.2f).ducked(0.6f); }
Part pad(float loudness, float brightness) { return Part(Instrument::Pad, loudness).bright(brightness).hall(0.35f).ducked(0.6f); }
Part bass(float loudness, float brightness) { return Part(Instrument::Bass, loudness).bright(brightness).ducked(0.5f); }
Part pluck(float loudness, float brightness)
{
    return Part(Instrument::Pluck, loudness).bright(brightness).panned(0.2f).echoed(0.3f).hall(0.15f).ducked(0.3f);
}
Part bell(float loudness) { return Part(Instrument::Bell, loudness).bright(0.4f).panned(-0.15f).echoed(0.25f).hall(0.4f); }
Part lead(float loudness, float brightness)
{
    return Part(Instrument::Lead, loudness).bright(brightness).echoed(0.22f).hall(0.25f).ducked(0.25f);
}
Part riser(float loudness, float brightness) { return Part(Instrument::Riser, loudness).bright(brightness).hall(0.3f); }
Part boom(float loudness, float length) { return Part(Instrument::Boom, loudness).bright(length).hall(0.2f); }

// Crash and kick together: the downbeat that opens a section.
void downbeat(Score& score, int bar, float loudness)
{
    score.play(crash(0.9f * loudness), stepOf(bar), 1, 60.f);
    score.play(kick(loudness), stepOf(bar), 1, 60.f);
}

// ---------------------------------------------------------------------------------------------
// Build-ups: a title card's four bars, leading into the scene it announces.

struct BuildUp {
    Chord first;        // harmony of the first two bars
    Chord second;       // of the last two: the way into the scene's key
    float energy;       // 0.6 gentle .. 1 hard: loudness of the drums and the roll
    bool snareRoll;     // a snare roll; otherwise bells that quicken
};

void buildUp(Score& score, int startBar, int bars, const BuildUp& build)
{
    const int endBar = startBar + std::min(bars, 4);
    const int length = endBar - startBar;
    Part drum = kick(0.8f * build.energy, 0.3f);
    Part hats = hat(0.55f * build.energy);
    Part pads = pad(0.7f, 0.25f);
    Part low = bass(0.75f, 0.2f);
    score.play(crash(0.7f * build.energy), stepOf(startBar), 1, 60.f);
    for (int b = 0; b < length; ++b) {
        const int bar = startBar + b;
        const Chord& chord = b < 2 ? build.first : build.second;
        pads.tone = 0.2f + 0.15f * b;
        holdChord(score, pads, stepOf(bar), 16, chord);
        if (b < length - 1) {
            score.rhythm(drum, bar, "X...x...x...x...");
            score.rhythm(hats, bar, "..x...x...x...x.");
            bassFigure(score, low, bar, chord, "R-.rR-.rR-.rR-.r");
        } else {
            // The last bar drops the floor out, all but the first beat.
            score.rhythm(drum, bar, "X...............");
            bassFigure(score, low, bar, chord, "R---............");
        }
    }
    score.play(riser(0.9f * build.energy, 0.5f + 0.5f * build.energy), stepOf(startBar), length * 16, 60.f);
    if (build.snareRoll) {
        Part roller = snare(0.9f * build.energy);
        const int last = endBar - 1;
        if (length >= 4)
            roll(score, roller, stepOf(last - 2), 16, 4, 0.35f, 0.5f);
        if (length >= 3)
            roll(score, roller, stepOf(last - 1), 16, 2, 0.5f, 0.7f);
        roll(score, roller, stepOf(last), 14, 1, 0.6f, 1.f);
    } else {
        Part chime = bell(0.75f * build.energy);
        const Chord& chord = build.second;
        if (length >= 3)
            arpeggio(score, chime, stepOf(endBar - 3), 16, build.first, "0123", 4);
        if (length >= 2)
            arpeggio(score, chime, stepOf(endBar - 2), 16, chord, "01234321", 2);
        arpeggio(score, chime, stepOf(endBar - 1), 16, chord, "01234565432101..", 1);
    }
}

using Writer = void (*)(Score& score, int startBar, int bars);

// A card whose scene has no row of its own yet keeps that scene's music after its build-up.
void buildUpInto(Score& score, int startBar, int bars, const BuildUp& build, Writer scene)
{
    buildUp(score, startBar, bars, build);
    if (bars > 4)
        scene(score, startBar + 4, bars - 4);
}

// ---------------------------------------------------------------------------------------------
// The main theme, D minor, over Dm | Bb | F | C; first half A, second half B.

const char* const THEME[8] = {
    "A4:3 D5:3 F5:2 r:2 E5:2 F5:2 A5:2",
    "G5:6 F5:2 D5:4 r:2 C5:2",
    "C5:3 F5:3 A5:2 r:2 G5:2 A5:2 C6:2",
    "Bb5:6 A5:2 G5:4 E5:4",
    "F5:4 E5:2 D5:4 r:2 A4:4",
    "D5:3 F5:3 Bb5:6 A5:4",
    "A5:4 G5:2 F5:4 r:2 C5:4",
    "E5:6 D5:2 E5:4 G5:4",
};

const Chord D_MINOR_LOOP[4] = {
    {"D2", "D4+F4+A4+C5"},
    {"Bb1", "D4+F4+Bb4+C5"},
    {"F2", "C4+F4+A4+C5"},
    {"C2", "C4+E4+G4+D5"},
};

// ---------------------------------------------------------------------------------------------
// Opening: the title card and the presenting card.

void writeTitle(Score& score, int startBar, int bars)
{
    static const Chord chords[4] = {
        {"D2", "D4+F4+A4+E5"},
        {"Bb1", "D4+F4+A4+Bb4"},
        {"G1", "Bb3+D4+F4+A4"},
        {"A1", "C#4+E4+A4"},
    };
    static const char* const bells[7] = {
        "D5:4 A5:4 F5:8", "E5:4 D5:4 A4:8", "D5:4 A5:4 Bb5:8", "A5:4 F5:4 D5:8",
        "D5:4 G5:4 Bb5:8", "A5:8 F5:4 D5:4", "E5:4 C#5:4 A4:8",
    };
    Part pads = pad(0.8f, 0.15f).ducked(0.f).hall(0.5f);
    Part chime = bell(0.8f);
    Part heart = kick(0.7f, 0.7f);
    Part low = bass(0.6f, 0.05f);
    Part hats = hat(0.4f);
    Part shake = shaker(0.5f);
    const int endBar = startBar + bars;
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const Chord& chord = b == bars - 1 ? chords[3] : chords[(b / 2) % 3];
        pads.tone = 0.1f + 0.05f * b;
        holdChord(score, pads, stepOf(bar), 16, chord);
        score.line(chime, stepOf(bar), bells[b % 7]);
        score.rhythm(heart, bar, "x.......x.......");
        if (b >= 3) {
            bassFigure(score, low, bar, chord, "r.r.r.r.r.r.r.r.");
            score.rhythm(hats, bar, "..x...x...x...x.");
        }
        if (b >= 5)
            score.rhythm(shake, bar, "oxoxoxoxoxoxoxox");
    }
    score.play(riser(0.6f, 0.3f), stepOf(endBar - 1), 16, 60.f);
}

void writePresents(Score& score, int startBar, int bars)
{
    static const Chord dominant = {"A1", "C#4+E4+A4+G4"};
    Part drum = kick(0.85f, 0.35f);
    Part low = bass(0.8f, 0.25f);
    Part arp = pluck(0.7f, 0.2f);
    Part pads = pad(0.65f, 0.2f);
    Part hats = hat(0.6f);
    Part claps = clap(0.7f);
    Part shake = shaker(0.5f);
    score.play(crash(0.6f), stepOf(startBar), 1, 60.f);
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const bool last = b == bars - 1;
        const Chord& chord = last ? dominant : D_MINOR_LOOP[b % 4];
        arp.tone = 0.15f + 0.1f * b;
        holdChord(score, pads, stepOf(bar), 16, chord);
        arpeggio(score, arp, stepOf(bar), 16, chord, "0123212301232123", 1);
        score.rhythm(shake, bar, "oxoxoxoxoxoxoxox");
        if (last) {
            score.rhythm(drum, bar, "X...x...x.......");
            bassFigure(score, low, bar, chord, "R-R-R-R-R-R-....");
            roll(score, snare(0.8f), stepOf(bar, 8), 6, 1, 0.4f, 1.f);
        } else {
            score.rhythm(drum, bar, "X...x...x...x...");
            bassFigure(score, low, bar, chord, "R-R-R-R-R-R-R-R-");
            score.rhythm(hats, bar, "..x...x...x...x.");
            if (b >= 2)
                score.rhythm(claps, bar, "....x.......x...");
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Galaxy: D minor, four on the floor, rolling bass, a sparkling arpeggio; the theme from bar 8.

void writeGalaxy(Score& score, int startBar, int bars)
{
    Part drum = kick(0.9f, 0.35f);
    Part claps = clap(0.75f);
    Part hats = hat(0.5f);
    Part open = openHat(0.6f);
    Part low = bass(0.85f, 0.3f);
    Part arp = pluck(0.65f, 0.45f).echoed(0.4f);
    Part pads = pad(0.7f, 0.3f);
    Part melody = lead(0.8f, 0.35f);
    Part chime = bell(0.6f).bright(0.3f);
    downbeat(score, startBar, 0.9f);
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const Chord& chord = D_MINOR_LOOP[b % 4];
        const bool last = b == bars - 1;
        holdChord(score, pads, stepOf(bar), 16, chord);
        arpeggio(score, arp, stepOf(bar), 16, chord, "0124210401242104", 1);
        score.rhythm(drum, bar, "X...x...x...x...");
        score.rhythm(claps, bar, "....x.......x...");
        score.rhythm(hats, bar, "xoxox.xoxox.xoxo");
        score.rhythm(open, bar, "..x...x...x...x.");
        bassFigure(score, low, bar, chord, ".RRR.RRR.RRR.RRO");
        if (b >= 8) {
            score.line(melody, stepOf(bar), THEME[(b - 8) % 8]);
            if (b >= 16)
                score.line(chime, stepOf(bar), THEME[(b - 8) % 8]);
        }
        if (b > 0 && b % 8 == 0)
            score.play(crash(0.7f), stepOf(bar), 1, 60.f);
        if (last && bars > 1)
            roll(score, snare(0.8f), stepOf(bar, 8), 6, 1, 0.4f, 0.9f);
    }
}

// ---------------------------------------------------------------------------------------------
// Wormhole: E phrygian, hard and fast: acid line opening up, pads pumping once per beat.

void writeWormhole(Score& score, int startBar, int bars)
{
    static const Chord chords[4] = {
        {"E2", "E4+G4+B4+D5"},
        {"E2", "E4+G4+B4+F#5"},
        {"F2", "E4+F4+A4+C5"},
        {"E2", "E4+G4+B4+D5"},
    };
    static const char* const riffs[4] = {
        "E2:1! E2:1 E3:1 E2:1 G2:1 E2:1! F2:1 E2:1 E2:1 E3:1! E2:1 D3:1 E2:1 B1:1 E2:1! F2:1",
        "E2:1! E2:1 E3:1 E2:1 G2:1 E2:1! F2:1 E2:1 E2:1 E3:1! E2:1 G2:1 E2:1 B2:1 A2:1! G2:1",
        "F2:1! F2:1 F3:1 F2:1 A2:1 F2:1! G2:1 F2:1 F2:1 F3:1! F2:1 E3:1 F2:1 C3:1 F2:1! E2:1",
        "E2:1! E2:1 E3:1 E2:1 G2:1 E2:1! F2:1 E2:1 B2:2! A2:1 G2:1 F2:1 E2:1 D2:1 E2:1!",
    };
    Part drum = kick(1.f, 0.3f);
    Part claps = clap(0.8f);
    Part hats = hat(0.6f);
    Part open = openHat(0.55f);
    Part line = Part(Instrument::Acid, 0.85f).ducked(0.35f).echoed(0.1f);
    Part pumping = pad(0.75f, 0.35f).ducked(0.95f);
    Part zaps = Part(Instrument::Zap, 0.6f).panned(0.5f).echoed(0.35f);
    Part stabs = Part(Instrument::Stab, 0.8f).bright(0.5f).echoed(0.35f).hall(0.2f);
    downbeat(score, startBar, 1.f);
    score.play(boom(0.7f, 0.3f), stepOf(startBar), 1, 60.f);
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const Chord& chord = chords[b % 4];
        const bool last = b == bars - 1;
        line.tone = std::min(1.f, 0.1f + 0.8f * b / std::max(1, bars - 1));
        score.line(line, stepOf(bar), riffs[b % 4]);
        holdChord(score, pumping, stepOf(bar), 16, chord);
        score.rhythm(drum, bar, "X...x...x...x...");
        score.rhythm(hats, bar, "XxoxXxoxXxoxXxox");
        score.rhythm(open, bar, "..x...x...x...x.");
        score.rhythm(claps, bar, "....x.......x...");
        score.rhythm(zaps, bar, "......x.......x.", 84.f - 2.f * (b % 3));
        if (b >= 8)
            for (int step : {0, 3, 6, 10, 13})
                holdChord(score, stabs, stepOf(bar, step), 1, chord);
        if (b > 0 && b % 4 == 0)
            score.play(crash(0.7f), stepOf(bar), 1, 60.f);
        if (last && bars > 1)
            roll(score, Part(Instrument::Tom, 0.8f).hall(0.2f), stepOf(bar, 8), 6, 1, 0.6f, 1.f, 50.f);
    }
}

// ---------------------------------------------------------------------------------------------
// Planet: F lydian, broad and slow; half time until the teddy swoops in 17 s into the scene.

void writePlanet(Score& score, int startBar, int bars)
{
    static const Chord chords[8] = {
        {"F2", "E4+A4+C5+E5"},  {"F2", "D4+G4+B4+D5"},  {"E2", "D4+G4+B4+E5"},  {"A1", "C4+E4+G4+C5"},
        {"D2", "C4+F4+A4+D5"},  {"G1", "B3+D4+G4+D5"},  {"Bb1", "D4+F4+A4+D5"}, {"C2", "C4+E4+G4+C5"},
    };
    static const char* const melody[8] = {
        "C6:8 B5:4 A5:4", "B5:8 A5:4 G5:4", "G5:8 E5:4 B4:4", "C5:8 E5:4 A5:4",
        "F5:8 A5:4 D6:4", "D6:6 B5:2 G5:8", "A5:8 F5:4 D5:4", "E5:8 G5:4 C6:4",
    };
    const int swoopStep = beatToStep(PLANET_SWOOP_BEAT);
    Part drum = kick(0.85f, 0.5f);
    Part snares = snare(0.75f).hall(0.35f);
    Part hats = hat(0.45f);
    Part shake = shaker(0.45f);
    Part low = bass(0.8f, 0.15f);
    Part pads = pad(0.8f, 0.4f).hall(0.5f);
    Part chime = bell(0.6f).bright(0.25f);
    Part melodyLead = lead(0.75f, 0.25f).hall(0.4f);
    const int start = stepOf(startBar);
    const int endStep = stepOf(startBar + bars);
    downbeat(score, startBar, 0.8f);
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const Chord& chord = chords[b % 8];
        const bool fullTime = stepOf(bar) >= start + swoopStep;
        holdChord(score, pads, stepOf(bar), 16, chord);
        arpeggio(score, chime, stepOf(bar), 16, chord, "01230123", 2);
        score.rhythm(shake, bar, "oxoxoxoxoxoxoxox");
        if (fullTime) {
            score.rhythm(drum, bar, "X...x...x...x...");
            score.rhythm(snares, bar, "....X.......X...");
            score.rhythm(hats, bar, "x.x.x.x.x.x.x.x.");
            bassFigure(score, low, bar, chord, "R-.R..R-.R..R-.O");
        } else if (stepOf(bar + 1) > start + swoopStep) {
            // The bar of the swoop: half time up to it, the full beat from it.
            score.rhythm(drum, bar, "X.......X...x...");
            score.rhythm(snares, bar, "............X...");
            bassFigure(score, low, bar, chord, "R-------R-.R..R.");
        } else {
            score.rhythm(drum, bar, "X.........X.....");
            score.rhythm(snares, bar, "........X.......");
            score.rhythm(hats, bar, "x...x...x...x...");
            bassFigure(score, low, bar, chord, "R-------R---O---");
        }
        if (b >= 8)
            score.line(melodyLead, stepOf(bar), melody[b % 8]);
    }
    if (start + swoopStep < endStep) {
        score.play(riser(0.8f, 0.6f), start + swoopStep - 16, 16, 60.f);
        score.play(crash(0.9f), start + swoopStep, 1, 60.f);
        score.play(boom(0.75f, 0.4f), start + swoopStep, 1, 60.f);
    }
}

// ---------------------------------------------------------------------------------------------
// Cloud figure: B-flat major, airy; a new chord for each key frame it morphs to, then rocking
// between the last two as the figure rocks.

void writeCloudman(Score& score, int startBar, int bars)
{
    static const Chord chords[CLOUDMAN_KEY_FRAMES] = {
        {"Bb1", "C4+F4+Bb4+D5"}, {"G1", "Bb3+D4+F4+A4"}, {"Eb2", "D4+G4+Bb4+D5"},  {"F2", "D4+F4+A4+C5"},
        {"D2", "C4+F4+A4+D5"},   {"G1", "Bb3+D4+F4+G4"}, {"C2", "Bb3+D4+Eb4+G4"}, {"F2", "Bb3+C4+Eb4+F4"},
        {"Bb1", "C4+D4+F4+A4"},
    };
    static const char* const tune[4] = {"F5:6 D5:2 C5:8", "D5:4 F5:4 A5:8", "G5:6 F5:2 D5:8", "C5:4 D5:4 F5:8"};
    Part drum = kick(0.75f, 0.45f);
    Part rims = Part(Instrument::Rim, 0.7f).hall(0.3f).panned(0.3f);
    Part shake = shaker(0.5f);
    Part hats = hat(0.4f);
    Part low = bass(0.7f, 0.08f);
    Part pads = pad(0.7f, 0.45f).hall(0.55f).ducked(0.3f);
    Part strings = pluck(0.75f, 0.65f).echoed(0.35f).hall(0.3f);
    Part mallets = Part(Instrument::Mallet, 0.7f).bright(0.4f).echoed(0.3f).hall(0.35f).panned(-0.25f);
    score.play(crash(0.5f).hall(0.5f), stepOf(startBar), 1, 60.f);
    for (int frameStep = 0; frameStep < bars; ++frameStep) {
        const int bar = startBar + frameStep;
        const Chord& chord = frameStep < CLOUDMAN_KEY_FRAMES ? chords[frameStep]
                                                             : chords[frameStep % 2 ? CLOUDMAN_KEY_FRAMES - 2 : CLOUDMAN_KEY_FRAMES - 1];
        holdChord(score, pads, stepOf(bar), 16, chord);
        arpeggio(score, strings, stepOf(bar), 16, chord, "01234321", 2);
        score.rhythm(drum, bar, "X.....x...x.....");
        score.rhythm(rims, bar, "....x.......x..o", 84.f);
        score.rhythm(shake, bar, "oxoxoxoxoxoxoxox");
        bassFigure(score, low, bar, chord, "R-----R---R-----");
        if (frameStep >= 2)
            score.rhythm(hats, bar, "..x...x...x...x.");
        if (frameStep >= 8)
            score.line(mallets, stepOf(bar), tune[frameStep % 4]);
    }
}

// ---------------------------------------------------------------------------------------------
// Forest: G dorian. Ground first; the first tree grows level by level, the others follow one per
// beat; the leaves unfold and later drift away.

void writeForest(Score& score, int startBar, int bars)
{
    static const Chord chords[4] = {
        {"G1", "Bb3+D4+F4+A4"},
        {"C2", "Bb3+D4+E4+G4"},
        {"F2", "C4+E4+A4+C5"},
        {"Bb1", "D4+F4+A4+C5"},
    };
    static const char* const drift[4] = {"D6:6 C6:2 A5:8", "G5:6 A5:2 Bb5:4 A5:4", "G5:6 F5:2 E5:8", "F5:4 G5:4 A5:8"};
    constexpr int grooveBar = 12;
    const int start = stepOf(startBar);
    const int endStep = stepOf(startBar + bars);
    auto beatStep = [&](int beat) { return start + beatToStep(beat); };

    Part heart = kick(0.7f, 0.6f);
    Part drum = kick(0.85f, 0.4f);
    Part ticks = Part(Instrument::Rim, 0.55f).hall(0.3f).panned(-0.3f);
    Part shake = shaker(0.45f);
    Part hats = hat(0.5f);
    Part open = openHat(0.5f);
    Part claps = clap(0.7f);
    Part low = bass(0.8f, 0.2f);
    Part pads = pad(0.7f, 0.2f).hall(0.5f);
    Part growth = Part(Instrument::Mallet, 0.85f).bright(0.5f).hall(0.35f).echoed(0.2f);
    Part trees = pluck(1.f, 0.7f).echoed(0.25f).hall(0.25f);
    Part treeTops = bell(0.7f).bright(0.35f).panned(0.2f);
    Part leaves = bell(0.5f).bright(0.2f).echoed(0.35f).panned(0.3f);
    Part melody = lead(0.7f, 0.3f).hall(0.35f).echoed(0.3f);
    Dice dice(0x70e57);

    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const int barStep = stepOf(bar);
        const Chord& chord = chords[(b / 2) % 4];
        const bool leavesOut = barStep >= beatStep(FOREST_LEAVES_BEAT);
        const bool drifting = barStep >= beatStep(FOREST_DRIFT_BEAT);
        const bool last = b == bars - 1 && bars > 1;
        pads.tone = leavesOut ? 0.45f : 0.2f;
        holdChord(score, pads, barStep, 16, chord);
        if (b < grooveBar) {
            score.rhythm(heart, bar, "x...............");
            bassFigure(score, low, bar, chord, "r---------------");
            for (int k = 0; k < 3; ++k)
                score.play(ticks, barStep + 2 * dice.below(8), 1, 80.f + dice.below(3) * 5.f, 0.6f);
        } else {
            score.rhythm(drum, bar, last ? "X...x...x......." : "X...x...x...x...");
            score.rhythm(shake, bar, "oxoxoxoxoxoxoxox");
            score.rhythm(hats, bar, "..x...x...x...x.");
            bassFigure(score, low, bar, chord, "R--R--R-..R-.R-O");
        }
        if (leavesOut)
            arpeggio(score, leaves, barStep, 16, chord, "4567", 1);
        if (drifting) {
            score.rhythm(open, bar, "..x...x...x...x.");
            score.rhythm(claps, bar, "....x.......x...");
            score.line(melody, stepOf(bar), drift[(b - FOREST_DRIFT_BEAT / BEATS_PER_BAR) % 4]);
        }
        if (last)
            roll(score, Part(Instrument::Tom, 0.75f).hall(0.2f), barStep + 10, 4, 1, 0.7f, 1.f, 45.f);
    }

    // The first tree: seven rising notes, one per level, over a swelling chord.
    static const char* const firstTree[FOREST_TREE_LEVELS] = {"G4", "A4", "Bb4", "D5", "F5", "A5", "D6"};
    for (int level = 0; level < FOREST_TREE_LEVELS; ++level) {
        const int step = beatStep(FOREST_FIRST_TREE_BEAT + level);
        if (step < endStep)
            score.play(growth, step, 4, static_cast<float>(noteNumber(firstTree[level])), 0.7f + 0.05f * level);
    }
    const int firstTreeStep = beatStep(FOREST_FIRST_TREE_BEAT);
    if (firstTreeStep < endStep)
        score.play(riser(0.5f, 0.2f), firstTreeStep, std::min(FOREST_TREE_LEVELS * 4, endStep - firstTreeStep), 60.f);

    // Forty trees, one per beat: each plays the next tone of the bar's chord, climbing an octave
    // every fourteen trees.
    for (int tree = 1; tree <= FOREST_OTHER_TREES; ++tree) {
        const int beat = FOREST_OTHER_TREES_BEAT + tree - 1;
        const int step = beatStep(beat);
        if (step >= endStep)
            break;
        const int bar = (step - start) / STEPS_PER_BAR;
        const std::vector<int> tones = tonesOf(chords[(bar / 2) % 4]);
        const int tone = tones[(tree - 1) % tones.size()] + 12 * ((tree - 1) / 14);
        score.play(trees, step, 2, static_cast<float>(tone), 0.75f + 0.25f * tree / FOREST_OTHER_TREES);
        score.play(treeTops, step, 2, static_cast<float>(tone), 0.75f + 0.25f * tree / FOREST_OTHER_TREES);
    }

    for (int beat : {FOREST_LEAVES_BEAT, FOREST_DRIFT_BEAT}) {
        if (beatStep(beat) < endStep)
            score.play(crash(0.75f), beatStep(beat), 1, 60.f);
    }
}

// ---------------------------------------------------------------------------------------------
// Border: C minor techno straight out of the forest; stabs that brighten to the middle of the
// scene and fade again, with the border; a blip for the crossing marks.

void writeBorderline(Score& score, int startBar, int bars)
{
    static const Chord chords[4] = {
        {"C2", "Eb4+G4+Bb4+D5"},
        {"C2", "Eb4+G4+Bb4+D5"},
        {"Ab1", "Eb4+G4+C5+Eb5"},
        {"Bb1", "D4+F4+G4+Bb4"},
    };
    Part drum = kick(1.f, 0.3f);
    Part claps = clap(0.8f);
    Part hats = hat(0.6f);
    Part open = openHat(0.6f);
    Part low = bass(0.85f, 0.45f);
    Part pads = pad(0.6f, 0.25f);
    Part stabs = Part(Instrument::Stab, 0.8f).echoed(0.4f).hall(0.2f).ducked(0.3f);
    Part marks = Part(Instrument::Zap, 0.55f).echoed(0.3f).panned(-0.4f);
    Dice dice(0xb0d3e);
    static const int pentatonic[5] = {72, 75, 77, 79, 82};  // C5 Eb5 F5 G5 Bb5
    downbeat(score, startBar, 1.f);
    score.play(boom(0.9f, 0.5f), stepOf(startBar), 1, 60.f);
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const Chord& chord = chords[b % 4];
        const float swell = std::sin(PI_F * (b + 0.5f) / bars);  // 0 at the ends, 1 mid-scene
        const bool last = b == bars - 1 && bars > 1;
        stabs.tone = 0.15f + 0.8f * swell;
        holdChord(score, pads, stepOf(bar), 16, chord);
        score.rhythm(drum, bar, "X...x...x...x...");
        score.rhythm(claps, bar, "....x.......x...");
        score.rhythm(hats, bar, "xxXxxxXxxxXxxxXx");
        score.rhythm(open, bar, "..x...x...x...x.");
        bassFigure(score, low, bar, chord, ".RRR.RRR.RRR.RRR");
        for (int step : {2, 5, 10, 13})
            holdChord(score, stabs, stepOf(bar, step), 1, chord);
        for (int k = 0; k < 3; ++k)
            score.play(marks, stepOf(bar, 1 + 2 * dice.below(8)), 1, static_cast<float>(pentatonic[dice.below(5)] + 12), 0.8f);
        if (b > 0 && b % 4 == 0)
            score.play(crash(0.7f), stepOf(bar), 1, 60.f);
        if (last)
            roll(score, snare(0.85f), stepOf(bar, 8), 6, 1, 0.5f, 1.f);
    }
}

// ---------------------------------------------------------------------------------------------
// Storm: C minor, broken beat and thunder every four bars, a dark reese bass and the theme's
// stormy cousin.

void writeStorm(Score& score, int startBar, int bars)
{
    static const Chord chords[4] = {
        {"C2", "C4+Eb4+G4+C5"},
        {"Ab1", "C4+Eb4+Ab4+C5"},
        {"F1", "C4+F4+Ab4+C5"},
        {"G1", "B3+D4+G4+B4"},
    };
    static const char* const theme[4] = {
        "G5:4 C6:4 Eb6:6 D6:2", "C6:4 Ab5:4 C6:8", "F5:4 Ab5:4 C6:6 Bb5:2", "B5:8 D6:4 G5:4",
    };
    Part drum = kick(1.f, 0.35f);
    Part snares = snare(0.9f);
    Part hats = hat(0.6f);
    Part low = Part(Instrument::Reese, 0.85f).bright(0.4f).ducked(0.4f);
    Part pads = pad(0.65f, 0.3f);
    Part melody = lead(0.85f, 0.5f);
    Part sky = Part(Instrument::Thunder, 0.9f).hall(0.3f);
    Part wind = riser(0.6f, 0.1f);
    const int endBar = startBar + bars;
    downbeat(score, startBar, 1.f);
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const Chord& chord = chords[b % 4];
        const bool last = b == bars - 1 && bars > 1;
        holdChord(score, pads, stepOf(bar), 16, chord);
        score.rhythm(drum, bar, "X.....x.X.....x.");
        score.rhythm(snares, bar, last ? "....X..o........" : "....X..o.o..X..o");
        score.rhythm(hats, bar, "xxXxxxXxxxXxxxXx");
        bassFigure(score, low, bar, chord, "R-------R---R-O-");
        if (b % 4 == 0) {
            score.play(sky, stepOf(bar), 1, 60.f);
            if (b > 0)
                score.play(crash(0.8f), stepOf(bar), 1, 60.f);
            score.play(wind, stepOf(bar), std::min(4, endBar - bar) * 16, 60.f);
        }
        if (b >= 4)
            score.line(melody, stepOf(bar), theme[b % 4]);
        if (last)
            roll(score, snares, stepOf(bar, 8), 6, 1, 0.5f, 1.f);
    }
}

// ---------------------------------------------------------------------------------------------
// Seaweed: E-flat major, under water: everything muffled, a slow half-time beat, bubbles.

void writeSeaweed(Score& score, int startBar, int bars)
{
    static const Chord chords[4] = {
        {"Eb2", "D4+G4+Bb4+D5"},
        {"C2", "Eb4+G4+Bb4+D5"},
        {"Ab1", "C4+Eb4+G4+C5"},
        {"Bb1", "D4+F4+G4+Bb4"},
    };
    static const char* const melody[4] = {"G5:6 Bb5:2 Eb6:8", "G5:4 F5:4 Eb5:8", "C5:6 Eb5:2 Ab5:8", "G5:4 F5:4 D5:8"};
    Part drum = kick(0.8f, 0.5f);
    Part claps = clap(0.7f).hall(0.6f);
    Part shake = shaker(0.4f);
    Part low = Part(Instrument::Reese, 0.7f).bright(0.05f).ducked(0.3f);
    Part pads = pad(0.7f, 0.12f).hall(0.6f).ducked(0.2f);
    Part chime = bell(0.65f).bright(0.2f).echoed(0.35f).hall(0.5f);
    Part strings = pluck(0.6f, 0.1f).echoed(0.4f).hall(0.4f);
    Part bubbles = Part(Instrument::Bubble, 0.6f).hall(0.4f).echoed(0.2f);
    Dice dice(0x5eaeed);
    score.play(crash(0.5f).hall(0.6f), stepOf(startBar), 1, 60.f);
    score.play(kick(0.8f, 0.5f), stepOf(startBar), 1, 60.f);
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const Chord& chord = chords[b % 4];
        holdChord(score, pads, stepOf(bar), 16, chord);
        score.rhythm(drum, bar, b == 0 ? "..........x....." : "X.........x.....");
        score.rhythm(claps, bar, "........x.......");
        score.rhythm(shake, bar, "x.o.x.o.x.o.x.o.");
        bassFigure(score, low, bar, chord, "R-----------R---");
        score.line(chime, stepOf(bar), melody[b % 4]);
        if (b >= 8)
            arpeggio(score, strings, stepOf(bar), 16, chord, "0213", 2);
        bubbles.pan = -0.6f + 0.4f * (b % 4);
        for (int k = 0; k < 4; ++k)
            score.play(bubbles, stepOf(bar, dice.below(16)), 1, static_cast<float>(84 + dice.below(12)), 0.7f);
    }
}

// ---------------------------------------------------------------------------------------------
// Core: D minor. The shell throbs on every other beat until it bursts; then the whole band plays
// the theme.

void writeCore(Score& score, int startBar, int bars)
{
    static const Chord tension[4] = {
        {"D2", "D4+F4+A4+D5"},
        {"Bb1", "D4+F4+Bb4+D5"},
        {"G1", "D4+G4+Bb4+D5"},
        {"A1", "C#4+E4+A4+C#5"},
    };
    const int start = stepOf(startBar);
    const int burstStep = start + beatToStep(CORE_BURST_BEAT);
    const int endStep = stepOf(startBar + bars);
    Part throb = kick(0.9f, 0.55f);
    Part drum = kick(1.f, 0.35f);
    Part pulse = bass(0.8f, 0.1f);
    Part low = bass(0.9f, 0.35f);
    Part arp = pluck(0.65f, 0.3f);
    Part pads = pad(0.75f, 0.3f);
    Part hats = hat(0.55f);
    Part open = openHat(0.6f);
    Part claps = clap(0.85f);
    Part melody = lead(0.9f, 0.45f);
    Part chime = bell(0.55f).bright(0.5f).shifted(12);
    score.play(crash(0.8f), start, 1, 60.f);
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const int barStep = stepOf(bar);
        const bool burst = barStep >= burstStep;
        if (!burst) {
            const Chord& chord = tension[b % 4];
            const bool lastBefore = stepOf(bar + 1) >= burstStep;
            arp.tone = 0.2f + 0.6f * b / 10.f;
            pads.tone = 0.2f + 0.05f * b;
            holdChord(score, pads, barStep, 16, chord);
            arpeggio(score, arp, barStep, lastBefore ? 8 : 16, chord, "0123321001233210", 1);
            score.rhythm(throb, bar, lastBefore ? "X..............." : "X.......X.......");
            bassFigure(score, pulse, bar, chord, lastBefore ? "R-.............." : "R-......R-......");
            if (b >= 4 && !lastBefore)
                score.rhythm(hats, bar, "xoxoxoxoxoxoxoxo");
        } else {
            const int sinceBurst = (barStep - burstStep) / STEPS_PER_BAR;  // bars since the burst
            const Chord& chord = D_MINOR_LOOP[sinceBurst % 4];
            pads.tone = 0.5f;
            holdChord(score, pads, barStep, 16, chord);
            arpeggio(score, arp, barStep, 16, chord, "0124210401242104", 1);
            score.rhythm(drum, bar, "X...x...x...x...");
            score.rhythm(claps, bar, "....x.......x...");
            score.rhythm(hats, bar, "xoxox.xoxox.xoxo");
            score.rhythm(open, bar, "..x...x...x...x.");
            bassFigure(score, low, bar, chord, ".RRR.RRR.RRR.RRO");
            score.line(melody, stepOf(bar), THEME[sinceBurst % 8]);
            score.line(chime, stepOf(bar), THEME[sinceBurst % 8]);
            if (sinceBurst > 0 && sinceBurst % 4 == 0)
                score.play(crash(0.75f), barStep, 1, 60.f);
        }
    }
    // The build to the burst: four bars of rising noise, then a snare roll over the last two.
    if (burstStep <= endStep) {
        const int riseFrom = std::max(start, burstStep - 4 * STEPS_PER_BAR);
        score.play(riser(1.f, 1.f), riseFrom, burstStep - riseFrom, 60.f);
        if (burstStep - 2 * STEPS_PER_BAR >= start) {
            roll(score, snare(0.9f), burstStep - 32, 16, 2, 0.3f, 0.6f);
            roll(score, snare(0.9f), burstStep - 16, 14, 1, 0.6f, 1.f);
        }
    }
    // The burst: every hit at once.
    if (burstStep < endStep) {
        score.play(boom(1.f, 1.f), burstStep, 1, 60.f);
        score.play(crash(1.f).panned(0.f), burstStep, 1, 60.f);
        score.play(Part(Instrument::Thunder, 0.7f).hall(0.3f), burstStep, 1, 60.f);
    }
}

// ---------------------------------------------------------------------------------------------
// Outro: the end card winds the theme down on bells; the credits close on D major.

void writeEnd(Score& score, int startBar, int bars)
{
    Part drum = kick(0.8f, 0.45f);
    Part low = bass(0.7f, 0.1f);
    Part pads = pad(0.7f, 0.25f).hall(0.5f);
    Part chime = bell(0.75f).bright(0.3f).hall(0.5f);
    Part arp = pluck(0.55f, 0.2f).echoed(0.4f).hall(0.3f);
    Part hats = hat(0.4f);
    downbeat(score, startBar, 0.8f);
    for (int b = 0; b < bars; ++b) {
        const int bar = startBar + b;
        const Chord& chord = D_MINOR_LOOP[b % 4];
        const float fading = 1.f - 0.6f * b / std::max(1, bars);
        holdChord(score, pads, stepOf(bar), 16, chord);
        score.line(chime, stepOf(bar), THEME[b % 8]);
        arpeggio(score, arp, stepOf(bar), 16, chord, "01230123", 2, fading);
        bassFigure(score, low, bar, chord, "R-------R---R---");
        if (b < bars / 2) {
            Part softer = drum;
            softer.velocity *= fading;
            score.rhythm(softer, bar, "X...x...x...x...");
            score.rhythm(hats, bar, "..x...x...x...x.");
        }
    }
}

void writeCredits(Score& score, int startBar, int bars)
{
    static const Chord chords[8] = {
        {"D2", "D4+F4+A4+E5"}, {"Bb1", "D4+F4+A4+Bb4"}, {"G1", "Bb3+D4+F4+A4"}, {"A1", "C#4+E4+A4"},
        {"D2", "D4+F4+A4+E5"}, {"Bb1", "D4+F4+A4+Bb4"}, {"G1", "Bb3+D4+G4+A4"}, {"A1", "C#4+E4+G4+A4"},
    };
    static const Chord finalChord = {"D2", "D4+F#4+A4+E5"};
    static const char* const bells[8] = {
        "D5:4 A5:4 F5:8", "E5:4 D5:4 A4:8", "D5:4 A5:4 Bb5:8", "A5:4 E5:4 C#5:8",
        "D5:4 A5:4 F5:8", "E5:4 D5:4 A4:8", "D5:4 G5:4 Bb5:8", "A5:8 E5:4 C#5:4",
    };
    Part pads = pad(0.7f, 0.2f).hall(0.6f).ducked(0.f);
    Part chime = bell(0.75f).bright(0.3f).hall(0.5f);
    Part strings = pluck(0.5f, 0.15f).echoed(0.45f).hall(0.4f);
    Part low = bass(0.6f, 0.05f);
    score.play(crash(0.4f).hall(0.6f), stepOf(startBar), 1, 60.f);
    // The last chord rings from the second-to-last bar and lets go half a bar before the end, so
    // its release fits inside the tail.
    const int finalBar = startBar + std::max(0, bars - 2);
    for (int bar = startBar; bar < finalBar; ++bar) {
        const Chord& chord = chords[(bar - startBar) % 8];
        holdChord(score, pads, stepOf(bar), 16, chord);
        score.line(chime, stepOf(bar), bells[(bar - startBar) % 8]);
        arpeggio(score, strings, stepOf(bar), 16, chord, "0123", 4);
        bassFigure(score, low, bar, chord, "r---------------");
    }
    const int finalLength = (startBar + bars - finalBar) * STEPS_PER_BAR - 8;
    if (finalLength > 0) {
        holdChord(score, pads, stepOf(finalBar), finalLength, finalChord);
        score.play(Part(Instrument::Bell, 0.8f).bright(0.3f).hall(0.6f), stepOf(finalBar), 8, static_cast<float>(noteNumber("D5")));
        score.play(Part(Instrument::Bell, 0.6f).bright(0.3f).hall(0.6f), stepOf(finalBar), 8, static_cast<float>(noteNumber("A5")));
        score.play(bass(0.6f, 0.05f), stepOf(finalBar), finalLength, bassOf(finalChord));
        score.play(kick(0.6f, 0.7f), stepOf(finalBar), 1, 60.f);
    }
}

// ---------------------------------------------------------------------------------------------
// The scenes' cards: a build-up each, into the key of the scene that follows.

void galaxyBoard(Score& score, int startBar, int bars)
{
    buildUpInto(score, startBar, bars, {{"Bb1", "D4+F4+Bb4+C5"}, {"A1", "C#4+E4+G4+A4"}, 0.85f, true}, writeGalaxy);
}

void wormholeBoard(Score& score, int startBar, int bars)
{
    buildUpInto(score, startBar, bars, {{"C2", "E4+G4+B4+C5"}, {"B1", "D#4+F#4+A4+B4"}, 1.f, true}, writeWormhole);
}

void planetBoard(Score& score, int startBar, int bars)
{
    buildUpInto(score, startBar, bars, {{"D2", "C4+F4+A4+D5"}, {"C2", "Bb3+E4+G4+C5"}, 0.7f, false}, writePlanet);
}

void cloudmanBoard(Score& score, int startBar, int bars)
{
    buildUpInto(score, startBar, bars, {{"C2", "Bb3+Eb4+G4+C5"}, {"F2", "A3+C4+Eb4+F4"}, 0.65f, false}, writeCloudman);
}

void forestBoard(Score& score, int startBar, int bars)
{
    buildUpInto(score, startBar, bars, {{"Eb2", "D4+G4+Bb4+D5"}, {"D2", "C4+F#4+A4+D5"}, 0.65f, false}, writeForest);
}

void stormBoard(Score& score, int startBar, int bars)
{
    buildUpInto(score, startBar, bars, {{"Ab1", "C4+Eb4+Ab4+C5"}, {"G1", "B3+D4+F4+G4"}, 1.f, true}, writeStorm);
}

void seaweedBoard(Score& score, int startBar, int bars)
{
    buildUpInto(score, startBar, bars, {{"F2", "C4+F4+Ab4+Eb5"}, {"Bb1", "D4+F4+Ab4+Bb4"}, 0.6f, false}, writeSeaweed);
}

void coreBoard(Score& score, int startBar, int bars)
{
    buildUpInto(score, startBar, bars, {{"G1", "Bb3+D4+G4+Bb4"}, {"A1", "C#4+E4+G4+A4"}, 1.f, true}, writeCore);
}

struct Music {
    const char* name;  // the timeline row it plays under
    Writer write;
};

const Music MUSIC[] = {
    {"title board", writeTitle},
    {"presents board", writePresents},
    {"galaxy board", galaxyBoard},
    {"galaxy", writeGalaxy},
    {"wormhole board", wormholeBoard},
    {"wormhole", writeWormhole},
    {"planet board", planetBoard},
    {"planet", writePlanet},
    {"cloudman board", cloudmanBoard},
    {"cloudman", writeCloudman},
    {"forest board", forestBoard},
    {"forest", writeForest},
    {"borderline", writeBorderline},
    {"storm board", stormBoard},
    {"storm", writeStorm},
    {"seaweed board", seaweedBoard},
    {"seaweed", writeSeaweed},
    {"core board", coreBoard},
    {"core", writeCore},
    {"end board", writeEnd},
    {"credits board", writeCredits},
};

const Music* musicFor(const std::string& name)
{
    for (const Music& music : MUSIC) {
        if (name == music.name)
            return &music;
    }
    return nullptr;
}

}  // namespace

std::vector<Section> sectionsOf(const std::vector<TimelineRow>& rows)
{
    std::vector<Section> sections;
    int nextBar = 0;  // where the row must start: bar 0, then the end of the row before
    for (const TimelineRow& row : rows) {
        const int end = row.startBar + row.bars;
        if (row.startBar != nextBar || row.bars <= 0 || end > SHOW_BARS)
            THROW_EXCEPTION(std::string("Timeline row out of order: ") + row.name);
        sections.push_back({row.name, row.startBar, end});
        nextBar = end;
    }
    return sections;
}

bool hasMusicFor(const std::string& name)
{
    return musicFor(name) != nullptr;
}

Score compose(const std::vector<Section>& sections)
{
    Score score;
    score.reserve(20000);
    for (const Section& section : sections) {
        const Music* music = musicFor(section.name);
        if (!music)
            THROW_EXCEPTION("No music for timeline row: " + section.name);
        music->write(score, section.startBar, section.bars());
    }
    return score;
}
