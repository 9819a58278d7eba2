// score.cpp -- writing notes into the score: single notes, step rhythms and lines of note names.
#include "score.h"

#include <algorithm>
#include <sstream>

#include "exception.h"

void Score::play(const Track& track, int step, int length, float pitch, float velocityScale)
{
    Note note;
    note.step = step;
    note.length = length;
    note.instrument = track.instrument;
    note.pitch = pitch + track.transpose;
    note.velocity = track.velocity * velocityScale;
    note.pan = track.pan;
    note.tone = track.tone;
    note.reverb = track.reverb;
    note.echo = track.echo;
    note.duck = track.duck;
    notes_.push_back(note);
}

void Score::rhythm(const Track& track, int bar, const std::string& steps, float pitch)
{
    const int first = barToStep(bar);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const char c = steps[i];
        const float strength = c == 'X' ? 1.f : c == 'x' ? 0.75f : c == 'o' ? 0.4f : 0.f;
        if (strength > 0.f)
            play(track, first + static_cast<int>(i), 1, pitch, strength);
    }
}

int Score::line(const Track& track, int step, const std::string& text)
{
    std::istringstream tokens(text);
    std::string token;
    while (tokens >> token) {
        const std::size_t colon = token.find(':');
        if (colon == std::string::npos)
            THROW_EXCEPTION("Note without a length: " + token);
        std::string lengthText = token.substr(colon + 1);
        float strength = 0.8f;
        if (!lengthText.empty() && lengthText.back() == '!') {
            strength = 1.f;
            lengthText.pop_back();
        } else if (!lengthText.empty() && lengthText.back() == '?') {
            strength = 0.5f;
            lengthText.pop_back();
        }
        const int length = std::stoi(lengthText);
        const std::string pitches = token.substr(0, colon);
        if (pitches != "r") {
            std::size_t begin = 0;
            while (begin <= pitches.size()) {
                const std::size_t plus = pitches.find('+', begin);
                const std::size_t end = plus == std::string::npos ? pitches.size() : plus;
                play(track, step, length, static_cast<float>(noteNumber(pitches.substr(begin, end - begin))), strength);
                begin = end + 1;
            }
        }
        step += length;
    }
    return step;
}

std::vector<int> kickBeats(const Score& score)
{
    std::vector<int> beats;
    for (const Note& note : score.notes()) {
        if (note.instrument == Instrument::Kick && note.step % STEPS_PER_BEAT == 0)
            beats.push_back(note.step / STEPS_PER_BEAT);
    }
    std::sort(beats.begin(), beats.end());
    beats.erase(std::unique(beats.begin(), beats.end()), beats.end());
    return beats;
}

int noteNumber(const std::string& name)
{
    static const int semitoneOfLetter[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G')
        THROW_EXCEPTION("Not a note name: " + name);
    int semitone = semitoneOfLetter[name[0] - 'A'];
    std::size_t at = 1;
    if (name[at] == '#') {
        ++semitone;
        ++at;
    } else if (name[at] == 'b') {
        --semitone;
        ++at;
    }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '9')
        THROW_EXCEPTION("Not a note name: " + name);
    return (name[at] - '0' + 1) * 12 + semitone;
}
