// score.h -- the music as data: notes on a grid of sixteenth-note steps, and the pattern helpers
// the composition is written with.
//
// One step is a sixteenth note: 125 ms, 5512.5 frames at 44100 Hz and the show's 120 BPM. Step 0
// starts at frame 0 of the file, which is show time 0; a bar is 16 steps, a beat 4.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dsp.h"
#include "runningorder.h"

constexpr int STEPS_PER_BEAT = 4;
constexpr int STEPS_PER_BAR = 16;

// First frame of a step. Even steps start on a whole frame, odd ones half a frame late; rounding
// down keeps every onset within half a frame of the exact grid.
inline std::int64_t stepToFrame(std::int64_t step)
{
    return step * SAMPLE_RATE * 60 / (SHOW_BPM * STEPS_PER_BEAT);
}

inline int barToStep(int bar) { return bar * STEPS_PER_BAR; }
inline int beatToStep(int beat) { return beat * STEPS_PER_BEAT; }

enum class Instrument : std::uint8_t {
    Kick,      // sine body with a falling pitch and a click
    Snare,     // two tuned bodies and bright noise
    Clap,      // a tight triple burst of band-passed noise
    Hat,       // short high noise
    OpenHat,   // the same, ringing longer
    Shaker,    // soft band-passed noise tick
    Crash,     // long bright noise with metallic partials
    Tom,       // sine body, pitch from the note
    Rim,       // short woody click, pitch from the note
    Bass,      // two saws and a sub sine through a low-pass with a plucked envelope
    Acid,      // one saw through a resonant low-pass swept by the note's tone
    Reese,     // detuned saws, slowly beating, for the darker scenes
    Pluck,     // plucked string (Karplus-Strong)
    Mallet,    // short wooden FM tone
    Bell,      // inharmonic FM bell
    Pad,       // five detuned saws through a slow low-pass
    Lead,      // two saws and a square with delayed vibrato
    Stab,      // short bright chord hit
    Riser,     // band-passed noise rising over the whole note, no attack of its own
    Boom,      // sub drop with a noise burst: the big hits
    Thunder,   // low rumbling noise with a crack
    Bubble,    // rising sine blip
    Zap,       // falling square blip
    Count
};

struct Note {
    int step;               // start, in steps from frame 0
    int length;             // steps held before the release
    Instrument instrument;
    float pitch;            // MIDI note number; drums read it as tuning where they use it
    float velocity;         // 0..1
    float pan;              // -1 left .. +1 right
    float tone;             // instrument brightness 0..1 (filter opening, FM depth)
    float reverb;           // share sent to the hall, 0..1
    float echo;             // share sent to the dotted-eighth echo, 0..1
    float duck;             // 0..1: how far the kick's side-chain pushes this note down
};

// How one part of the band plays: the settings a note takes unless the call says otherwise.
struct Track {
    Instrument instrument;
    float velocity = 0.8f;  // 0..1, scaled per note by accents
    float pan = 0.f;        // -1 left .. +1 right
    float tone = 0.5f;      // brightness 0..1
    float reverb = 0.f;     // hall send 0..1
    float echo = 0.f;       // echo send 0..1
    float duck = 0.f;       // side-chain depth 0..1
    int transpose = 0;      // semitones added to every pitch written through this track
};

class Score {
public:
    // One note through a track; velocity is scaled by the track's own.
    void play(const Track& track, int step, int length, float pitch, float velocityScale = 1.f);

    // A rhythm, one character per step from the start of the bar: 'X' accent, 'x' hit, 'o' ghost,
    // anything else a rest. Longer than 16 characters runs on into the next bars.
    void rhythm(const Track& track, int bar, const std::string& steps, float pitch = 60.f);

    // A line of notes from a step: "A4:4 r:2 D5+F5:8" means A4 held four steps, two steps of rest,
    // then D5 and F5 together for eight; '!' after the length accents, '?' plays softly.
    // Returns the step after the last token.
    int line(const Track& track, int step, const std::string& text);

    // Every note, in the order written.
    const std::vector<Note>& notes() const { return notes_; }

    void reserve(std::size_t count) { notes_.reserve(count); }

private:
    std::vector<Note> notes_;
};

// The beats (whole beats from frame 0) on which a kick starts, ascending; kicks between beats are
// left out.
std::vector<int> kickBeats(const Score& score);

// MIDI number of a note name such as "C4" (60), "F#3" or "Bb5"; throws on anything else.
int noteNumber(const std::string& name);
