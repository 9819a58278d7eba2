// test_musicfile.cpp -- the music.ogg the build wrote, decoded whole by SDL_mixer as the show does,
// and checked by ear-independent measures: length, format, peak, loudness, onsets on the grid.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "arrangement.h"
#include "dsp.h"
#include "mixdown.h"
#include "soundtrack.h"

namespace {

const std::string MUSIC_FILE = std::string(SHOW_DIR) + "/music.ogg";

// Runs a command and returns what it printed on standard output.
std::string outputOf(const std::string& command)
{
    std::string text;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, count);
        pclose(pipe);
    }
    return text;
}

}  // namespace

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
        if (chunk)
            Mix_FreeChunk(chunk);
        chunk = nullptr;
        Mix_CloseAudio();
        SDL_Quit();
    }

    static std::int64_t frames() { return chunk->alen / 4; }

    // Sample of a channel (0 left, 1 right) at a frame, full scale 32768.
    static int sample(std::int64_t frame, int channel) { return reinterpret_cast<const Sint16*>(chunk->abuf)[frame * 2 + channel]; }

    static StereoMix asMix()
    {
        StereoMix mix;
        mix.left.resize(frames());
        mix.right.resize(frames());
        for (std::int64_t i = 0; i < frames(); ++i) {
            mix.left[i] = sample(i, 0) / 32768.f;
            mix.right[i] = sample(i, 1) / 32768.f;
        }
        return mix;
    }

    // Where the strongest transient within 30 ms of `expected` starts: the 32-frame block whose
    // high-frequency energy stands furthest above the median of the 20 ms before it, if it stands
    // at least four times above. -1 if there is none.
    static std::int64_t onsetNear(std::int64_t expected)
    {
        constexpr int block = 32;
        const std::int64_t searchFrames = SAMPLE_RATE * 30 / 1000;
        const int historyBlocks = SAMPLE_RATE * 20 / 1000 / block;
        auto energy = [](std::int64_t first) {
            double sum = 0.0;
            for (std::int64_t i = first; i < first + block; ++i) {
                for (int channel = 0; channel < 2; ++channel) {
                    const double change = sample(i, channel) - sample(i - 1, channel);
                    sum += change * change;
                }
            }
            return sum;
        };
        std::int64_t strongest = -1;
        double bestRatio = 4.0;
        std::vector<double> history(historyBlocks);
        for (std::int64_t first = expected - searchFrames; first < expected + searchFrames; first += block / 4) {
            for (int k = 0; k < historyBlocks; ++k)
                history[k] = energy(first - (k + 1) * block);
            std::nth_element(history.begin(), history.begin() + historyBlocks / 2, history.end());
            const double ratio = energy(first) / (history[historyBlocks / 2] + 1e4);
            if (ratio > bestRatio) {
                bestRatio = ratio;
                strongest = first;
            }
        }
        return strongest;
    }

    static Mix_Chunk* chunk;
};

Mix_Chunk* MusicFile::chunk = nullptr;

TEST_F(MusicFile, DecodesWholeToTheShowAndItsTailIn16BitStereoAt44100Hz)
{
    int rate = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&rate, &format, &channels), 0);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(format, AUDIO_S16LSB);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(frames(), soundtrackFrames());
    EXPECT_GE(frames(), 490LL * 44100);
    EXPECT_LE(frames(), 492LL * 44100);
}

TEST_F(MusicFile, NeverPeaksAboveMinusOneDbfs)
{
    int peak = 0;
    for (std::int64_t i = 0; i < frames(); ++i)
        peak = std::max({peak, std::abs(sample(i, 0)), std::abs(sample(i, 1))});
    EXPECT_LE(20.0 * std::log10(peak / 32768.0), -1.0);
    EXPECT_GT(peak, 16384);  // and it is not timid either: above -6 dBFS
}

TEST_F(MusicFile, HasAnIntegratedLoudnessOfMinus16LufsWithin2)
{
    EXPECT_NEAR(integratedLoudness(asMix()), -16.0, 2.0);
}

TEST_F(MusicFile, EndsInSilenceSoThatTheLoopBackToTheStartDoesNotClick)
{
    for (std::int64_t i = frames() - 64; i < frames(); ++i) {
        EXPECT_LE(std::abs(sample(i, 0)), 2) << "frame " << i;
        EXPECT_LE(std::abs(sample(i, 1)), 2) << "frame " << i;
    }
}

TEST_F(MusicFile, HitsEverySectionStartAndTheCoreBurstWithinTenMilliseconds)
{
    std::vector<int> beats;
    for (const Section& section : sectionsOf(timelineRows()))
        beats.push_back(section.startBar * BEATS_PER_BAR);
    beats.push_back(880);  // the core's shell bursts
    for (int beat : beats) {
        if (beat == 0)
            continue;  // no history before the first frame to stand out from
        const std::int64_t expected = beat * 22050LL;
        const std::int64_t onset = onsetNear(expected);
        ASSERT_GE(onset, 0) << "no onset near beat " << beat;
        EXPECT_LE(std::llabs(onset - expected), 441) << "beat " << beat << " onset at frame " << onset;
    }
}

TEST_F(MusicFile, AubioFindsFourFifthsOfItsOnsetsOnTheGridAndOneOnEveryKickBeat)
{
    const std::string text = outputOf("aubioonset -i '" + MUSIC_FILE + "' 2>/dev/null");
    std::vector<double> onsets;
    std::istringstream lines(text);
    for (double seconds; lines >> seconds;)
        onsets.push_back(seconds);
    ASSERT_GT(onsets.size(), 500u) << "aubioonset (aubio-tools) is missing or found nothing";

    const double step = 0.125, tolerance = 0.010;
    int onGrid = 0;
    for (double t : onsets)
        onGrid += std::fabs(t - std::round(t / step) * step) <= tolerance;
    EXPECT_GE(onGrid, 0.8 * onsets.size()) << onGrid << " of " << onsets.size() << " on the grid";

    for (int beat : kickBeats(compose(sectionsOf(timelineRows())))) {
        const double t = beat * 0.5;
        const auto near = std::lower_bound(onsets.begin(), onsets.end(), t - tolerance);
        EXPECT_TRUE(near != onsets.end() && *near <= t + tolerance) << "no onset on kick beat " << beat;
    }
}

TEST_F(MusicFile, FfmpegMeasuresMinus16LufsAndASamplePeakUnderMinusOneDbfs)
{
    const std::string text = outputOf("ffmpeg -hide_banner -nostats -i '" + MUSIC_FILE + "' -af ebur128=peak=sample -f null - 2>&1");
    const std::size_t summary = text.rfind("Integrated loudness:");
    ASSERT_NE(summary, std::string::npos) << "ffmpeg is missing or failed";
    const std::size_t loudness = text.find("I:", summary);
    const std::size_t peak = text.find("Peak:", summary);
    ASSERT_NE(loudness, std::string::npos);
    ASSERT_NE(peak, std::string::npos);
    EXPECT_NEAR(std::atof(text.c_str() + loudness + 2), -16.0, 2.0);
    EXPECT_LE(std::atof(text.c_str() + peak + 5), -1.0);
}

TEST(MusicRender, RenderingTheRunningOrderAgainGivesTheBytesOfTheBuiltFile)
{
    std::ifstream file(MUSIC_FILE, std::ios::binary);
    ASSERT_TRUE(file) << MUSIC_FILE;
    const std::vector<unsigned char> built((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::vector<unsigned char> again = renderSoundtrack(timelineRows());
    EXPECT_EQ(again.size(), built.size());
    EXPECT_TRUE(again == built) << "a second render differs from music.ogg";
}
