// test_musicfile.cpp -- the music.ogg the build wrote, decoded whole by SDL_mixer as the show does,
// and checked by ear-independent measures: length, peak, loudness, and that rendering again gives the
// same bytes. That every note starts on its step is checked before mastering, in test_synthesis.cpp
// and test_arrangement.cpp.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

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
TEST_F(MusicFile, DecodesWholeToTheShowAndItsTailPeaksBetweenMinusSixAndMinusOneDbfsAtMinus16LufsAndEndsInSilence)
{
    EXPECT_EQ(frames(), soundtrackFrames());
    StereoMix mix;
    int peak = 0;
    for (std::int64_t i = 0; i < frames(); ++i) {
        peak = std::max({peak, std::abs(sample(i, 0)), std::abs(sample(i, 1))});
        mix.left.push_back(sample(i, 0) / 32768.f);
        mix.right.push_back(sample(i, 1) / 32768.f);
    }
    EXPECT_TRUE(peak > 16384 && 20.0 * std::log10(peak / 32768.0) <= -1.0);
    EXPECT_NEAR(integratedLoudness(mix), -16.0, 2.0);
    // Silence at the end, so that the loop back to the start does not click.
    EXPECT_TRUE(std::abs(sample(frames() - 1, 0)) <= 2 && std::abs(sample(frames() - 1, 1)) <= 2);
}

TEST(MusicRender, RenderingTheRunningOrderAgainGivesTheBytesOfTheBuiltFile)
{
    std::ifstream file(MUSIC_FILE, std::ios::binary);
    ASSERT_TRUE(file) << MUSIC_FILE;
    const std::vector<unsigned char> built((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(renderSoundtrack(timelineRows()) == built) << "a second render differs from music.ogg";
}
