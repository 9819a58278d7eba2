// test_musicfile.cpp -- the music.ogg the build wrote, decoded whole by SDL_mixer as the show does,
// and checked by ear-independent measures: length, format, peak, loudness, onsets on the grid.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "arrangement.h"
#include "dsp.h"
#include "mixdown.h"
#include "soundtrack.h"

namespace {
const std::string MUSIC_FILE = std::string(SHOW_DIR) + "/music.ogg";
}

class MusicFile : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0);
        ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096), 0);
        chunk = Mix_LoadWAV_RW(SDL_RWFromFile(MUSIC_FILE.c_str(), "rb"), 1);
        ASSERT_NE(chunk, nullptr) << MUSIC_FILE << ": " << Mix_GetError();
    }
    static void TearDownTestSuite()
    {
        Mix_FreeChunk(chunk);
        Mix_CloseAudio();
        SDL_Quit();
    }

    static std::int64_t frames() { return chunk->alen / 4; }
    // Sample of a channel (0 left, 1 right) at a frame, full scale 32768.
    static int sample(std::int64_t frame, int channel) { return reinterpret_cast<const Sint16*>(chunk->abuf)[frame * 2 + channel]; }

    static Mix_Chunk* chunk;
};

Mix_Chunk* MusicFile::chunk = nullptr;

// SDL_mixer converts to the device's 44.1 kHz 16-bit stereo: the length would show a wrong rate.
TEST_F(MusicFile, DecodesWholeToTheShowAndItsTail)
{
    EXPECT_EQ(frames(), soundtrackFrames());
    EXPECT_GE(frames(), 490LL * 44100);
    EXPECT_LE(frames(), 492LL * 44100);
}

TEST_F(MusicFile, PeaksBetweenMinusSixAndMinusOneDbfsAtMinus16LufsAndEndsInSilence)
{
    StereoMix mix;
    int peak = 0;
    for (std::int64_t i = 0; i < frames(); ++i) {
        peak = std::max({peak, std::abs(sample(i, 0)), std::abs(sample(i, 1))});
        mix.left.push_back(sample(i, 0) / 32768.f);
        mix.right.push_back(sample(i, 1) / 32768.f);
    }
    EXPECT_LE(20.0 * std::log10(peak / 32768.0), -1.0);
    EXPECT_GT(peak, 16384);
    EXPECT_NEAR(integratedLoudness(mix), -16.0, 2.0);
    // Silence at the end, so that the loop back to the start does not click.
    EXPECT_TRUE(std::abs(sample(frames() - 1, 0)) <= 2 && std::abs(sample(frames() - 1, 1)) <= 2);
}

// Onsets as aubio hears them: four fifths on the sixteenth grid, and one within 10 ms of every kick,
// every section start and the core's burst (beat 880), which the picture cuts to.
TEST_F(MusicFile, HasOnsetsOnTheGridOnEveryKickEverySectionStartAndTheCoreBurst)
{
    std::string text;
    if (std::FILE* pipe = popen(("aubioonset -i '" + MUSIC_FILE + "' 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        pclose(pipe);
    }
    std::vector<double> onsets;
    std::istringstream lines(text);
    for (double seconds; lines >> seconds;)
        onsets.push_back(seconds);
    ASSERT_GT(onsets.size(), 500u) << "aubioonset (aubio-tools) is missing or found nothing";

    const double tolerance = 0.010;
    int onGrid = 0;
    for (double t : onsets)
        onGrid += std::fabs(t - std::round(t / 0.125) * 0.125) <= tolerance;
    EXPECT_GE(onGrid, 0.8 * onsets.size()) << onGrid << " of " << onsets.size() << " on the grid";

    const std::vector<Section> sections = sectionsOf(timelineRows());
    std::vector<int> beats = kickBeats(compose(sections));
    for (const Section& section : sections)
        if (section.startBar > 0)  // no history before the first frame to stand out from
            beats.push_back(section.startBar * BEATS_PER_BAR);
    beats.push_back(880);
    for (int beat : beats) {
        const auto near = std::lower_bound(onsets.begin(), onsets.end(), beat * 0.5 - tolerance);
        EXPECT_TRUE(near != onsets.end() && *near <= beat * 0.5 + tolerance) << "no onset on beat " << beat;
    }
}

TEST(MusicRender, RenderingTheRunningOrderAgainGivesTheBytesOfTheBuiltFile)
{
    std::ifstream file(MUSIC_FILE, std::ios::binary);
    ASSERT_TRUE(file) << MUSIC_FILE;
    const std::vector<unsigned char> built((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(renderSoundtrack(timelineRows()) == built) << "a second render differs from music.ogg";
}
