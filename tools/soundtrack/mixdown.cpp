// mixdown.cpp -- renders the score onto buses, runs the echo and the hall, and masters the result.
#include "mixdown.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <thread>

#include "dsp.h"
#include "instruments.h"

namespace {

// Side-chain: how far the kick pushes ducked parts down, 0..1, over time since the kick (seconds).
constexpr float DUCK_ATTACK_SECONDS = 0.004f;
constexpr float DUCK_RECOVERY_SECONDS = 0.24f;

// Echo: a dotted eighth (three steps, 375 ms), so every repeat lands on the sixteenth grid again.
constexpr std::int64_t ECHO_FRAMES = 16538;  // 3 x 5512.5 frames, rounded
constexpr float ECHO_FEEDBACK = 0.42f;
constexpr float ECHO_TO_HALL = 0.25f;

// Mastering.
// The one place pi keeps more digits than PI: the master filters and the loudness meter were fixed
// with this value, and the mastered samples depend on the coefficients' last bits.
constexpr double FILTER_PI = 3.14159265358979;
constexpr double RUMBLE_CUTOFF_HZ = 25.0;
constexpr double LIMITER_LOOKAHEAD_SECONDS = 0.003;
constexpr double LIMITER_RELEASE_SECONDS = 0.08;
constexpr int LOUDNESS_ATTEMPTS = 6;  // limiter passes allowed to land on the target loudness

void buildDuckCurve(const Score& score, std::int64_t firstFrame, std::vector<float>& curve)
{
    const std::int64_t attack = static_cast<std::int64_t>(DUCK_ATTACK_SECONDS * SAMPLE_RATE);
    const std::int64_t recovery = static_cast<std::int64_t>(DUCK_RECOVERY_SECONDS * SAMPLE_RATE);
    const std::int64_t frames = static_cast<std::int64_t>(curve.size());
    for (const Note& note : score.notes()) {
        if (note.instrument != Instrument::Kick)
            continue;
        const float strength = std::min(1.f, note.velocity / 0.8f);
        const std::int64_t start = stepToFrame(note.step) - firstFrame;
        for (std::int64_t i = std::max<std::int64_t>(0, -start); i < attack + recovery && start + i < frames; ++i) {
            float depth;
            if (i < attack) {
                depth = static_cast<float>(i) / attack;
            } else {
                const float rest = 1.f - static_cast<float>(i - attack) / recovery;
                depth = rest * rest;
            }
            float& slot = curve[start + i];
            slot = std::max(slot, depth * strength);
        }
    }
}

// Ping-pong echo from a mono send: the first repeat on the left, the next on the right, each a
// little darker; a share of every repeat goes on to the hall.
void applyEcho(const std::vector<float>& send, std::vector<float>& hallSend, StereoMix& mix)
{
    std::vector<float> lineLeft(ECHO_FRAMES, 0.f), lineRight(ECHO_FRAMES, 0.f);
    OnePole darkenLeft, darkenRight;
    darkenLeft.set(3500.f);
    darkenRight.set(3500.f);
    std::int64_t at = 0;
    for (std::int64_t i = 0; i < mix.frames(); ++i) {
        const float left = lineLeft[at];
        const float right = lineRight[at];
        lineLeft[at] = send[i] + ECHO_FEEDBACK * darkenRight.process(right);
        lineRight[at] = ECHO_FEEDBACK * darkenLeft.process(left);
        mix.left[i] += left;
        mix.right[i] += right;
        hallSend[i] += ECHO_TO_HALL * (left + right);
        if (++at == ECHO_FRAMES)
            at = 0;
    }
}

// A feedback comb with damping in its loop: one of the hall's parallel resonances.
class Comb {
public:
    explicit Comb(int length) : line(length, 0.f) {}

    float process(float input, float feedback, float damping)
    {
        const float output = line[at];
        store = output * (1.f - damping) + store * damping;
        line[at] = input + store * feedback;
        if (++at == static_cast<int>(line.size()))
            at = 0;
        return output;
    }

private:
    std::vector<float> line;
    float store = 0.f;
    int at = 0;
};

// A Schroeder all-pass: smears the combs' echoes into a dense tail.
class AllPass {
public:
    explicit AllPass(int length) : line(length, 0.f) {}

    float process(float input)
    {
        const float delayed = line[at];
        const float output = delayed - input;
        line[at] = input + delayed * 0.5f;
        if (++at == static_cast<int>(line.size()))
            at = 0;
        return output;
    }

private:
    std::vector<float> line;
    int at = 0;
};

// The hall: eight combs and four all-passes per side (tunings in frames at 44100 Hz), the right
// side's delays 23 frames longer so that the two sides decorrelate.
void applyHall(const std::vector<float>& send, StereoMix& mix)
{
    static const int combLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int allPassLengths[4] = {556, 441, 341, 225};
    constexpr int stereoSpread = 23;
    constexpr float feedback = 0.93f;  // about a 3 s tail
    constexpr float damping = 0.3f;
    constexpr float inputGain = 0.015f;
    constexpr float wetGain = 3.f;
    constexpr int preDelay = 882;  // frames: 20 ms between a sound and its hall
    std::vector<Comb> combsLeft, combsRight;
    std::vector<AllPass> passesLeft, passesRight;
    for (int length : combLengths) {
        combsLeft.emplace_back(length);
        combsRight.emplace_back(length + stereoSpread);
    }
    for (int length : allPassLengths) {
        passesLeft.emplace_back(length);
        passesRight.emplace_back(length + stereoSpread);
    }
    Svf lowCut;
    lowCut.set(250.f, 0.f);
    for (std::int64_t i = 0; i < mix.frames(); ++i) {
        const float dry = i >= preDelay ? send[i - preDelay] : 0.f;
        const float input = lowCut.highpass(dry) * inputGain;
        float left = 0.f, right = 0.f;
        for (int c = 0; c < 8; ++c) {
            left += combsLeft[c].process(input, feedback, damping);
            right += combsRight[c].process(input, feedback, damping);
        }
        for (int a = 0; a < 4; ++a) {
            left = passesLeft[a].process(left);
            right = passesRight[a].process(right);
        }
        mix.left[i] += left * wetGain;
        mix.right[i] += right * wetGain;
    }
}

Biquad highPass(double cutoff)
{
    const double w0 = 2.0 * FILTER_PI * cutoff / SAMPLE_RATE;
    const double alpha = std::sin(w0) / (2.0 * 0.7071067811865476);
    const double a0 = 1.0 + alpha;
    Biquad filter;
    filter.b0 = (1.0 + std::cos(w0)) / 2.0 / a0;
    filter.b1 = -(1.0 + std::cos(w0)) / a0;
    filter.b2 = filter.b0;
    filter.a1 = -2.0 * std::cos(w0) / a0;
    filter.a2 = (1.0 - alpha) / a0;
    return filter;
}

// The two stages of the loudness meter's K-weighting: a high shelf for the head's effect, then
// the revised low-frequency B curve (a high-pass near 38 Hz).
void kWeighting(Biquad& shelf, Biquad& lowCut)
{
    {
        const double gainDb = 3.999843853973347, centre = 1681.974450955533, q = 0.7071752369554196;
        const double k = std::tan(FILTER_PI * centre / SAMPLE_RATE);
        const double vh = std::pow(10.0, gainDb / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1.0 + k / q + k * k;
        shelf.b0 = (vh + vb * k / q + k * k) / a0;
        shelf.b1 = 2.0 * (k * k - vh) / a0;
        shelf.b2 = (vh - vb * k / q + k * k) / a0;
        shelf.a1 = 2.0 * (k * k - 1.0) / a0;
        shelf.a2 = (1.0 - k / q + k * k) / a0;
    }
    {
        const double centre = 38.13547087602444, q = 0.5003270373238773;
        const double k = std::tan(FILTER_PI * centre / SAMPLE_RATE);
        const double a0 = 1.0 + k / q + k * k;
        lowCut.b0 = 1.0;
        lowCut.b1 = -2.0;
        lowCut.b2 = 1.0;
        lowCut.a1 = 2.0 * (k * k - 1.0) / a0;
        lowCut.a2 = (1.0 - k / q + k * k) / a0;
    }
}

// Writes raw x gain into out, with the gain brought down wherever a sample would pass the ceiling.
// The gain curve is the minimum over a look-ahead window, averaged over the same window, so it is
// below the needed gain at every peak and never steps; it then recovers at the release rate.
void limitInto(const StereoMix& raw, float gain, float ceiling, StereoMix& out)
{
    const std::int64_t frames = raw.frames();
    const std::int64_t window = static_cast<std::int64_t>(LIMITER_LOOKAHEAD_SECONDS * SAMPLE_RATE);
    const float release = 1.f - decayFactor(static_cast<float>(LIMITER_RELEASE_SECONDS));
    std::vector<float> needed(frames);
    for (std::int64_t i = 0; i < frames; ++i) {
        const float peak = gain * std::max(std::fabs(raw.left[i]), std::fabs(raw.right[i]));
        needed[i] = peak > ceiling ? ceiling / peak : 1.f;
    }
    // Minimum of needed[i .. i + window - 1], kept with a monotonic queue of indices.
    std::vector<float> windowMin(frames);
    std::deque<std::int64_t> queue;
    for (std::int64_t i = frames - 1; i >= 0; --i) {
        while (!queue.empty() && needed[queue.back()] >= needed[i])
            queue.pop_back();
        queue.push_back(i);
        while (queue.front() >= i + window)
            queue.pop_front();
        windowMin[i] = needed[queue.front()];
    }
    out.firstFrame = raw.firstFrame;
    out.left.resize(frames);
    out.right.resize(frames);
    double windowSum = 0.0;
    float envelope = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        windowSum += windowMin[i];
        if (i >= window)
            windowSum -= windowMin[i - window];
        const std::int64_t count = std::min<std::int64_t>(i + 1, window);
        // Near the start the average runs over the entries seen so far, which keeps the guarantee.
        const float smoothed = static_cast<float>(windowSum / count);
        envelope = std::min(smoothed, envelope + (1.f - envelope) * release);
        out.left[i] = raw.left[i] * gain * envelope;
        out.right[i] = raw.right[i] * gain * envelope;
    }
}

}  // namespace

StereoMix renderMix(const Score& score, std::int64_t firstFrame, std::int64_t frames)
{
    StereoMix mix;
    mix.firstFrame = firstFrame;
    mix.left.assign(frames, 0.f);
    mix.right.assign(frames, 0.f);
    std::vector<float> reverbSend(frames, 0.f), echoSend(frames, 0.f), duckCurve(frames, 0.f);
    buildDuckCurve(score, firstFrame, duckCurve);
    // Two fixed slices of the buffers, one per thread. A note that crosses the boundary is computed
    // by both and written by each only inside its own slice, so every frame is summed in score
    // order by one thread and the result does not depend on scheduling.
    const std::int64_t boundary = frames / 2;
    auto renderSlice = [&](std::int64_t from, std::int64_t to) {
        const Buses buses{mix.left.data() + from, mix.right.data() + from, reverbSend.data() + from, echoSend.data() + from,
                          duckCurve.data() + from, firstFrame + from, to - from};
        for (const Note& note : score.notes()) {
            const std::int64_t start = stepToFrame(note.step);
            const std::int64_t end = start + static_cast<std::int64_t>(soundingSeconds(note) * SAMPLE_RATE);
            if (start < buses.firstFrame + buses.frames && end > buses.firstFrame)
                renderNote(note, buses);
        }
    };
    std::thread laterHalf(renderSlice, boundary, frames);
    renderSlice(0, boundary);
    laterHalf.join();
    applyEcho(echoSend, reverbSend, mix);
    applyHall(reverbSend, mix);
    return mix;
}

double integratedLoudness(const StereoMix& mix)
{
    // Mean square per 100 ms quarter block, summed over both channels after K-weighting.
    const std::int64_t quarter = SAMPLE_RATE / 10;
    std::vector<double> quarters;
    quarters.reserve(mix.frames() / quarter + 1);
    Biquad shelfLeft, lowCutLeft, shelfRight, lowCutRight;
    kWeighting(shelfLeft, lowCutLeft);
    kWeighting(shelfRight, lowCutRight);
    double sum = 0.0;
    for (std::int64_t i = 0; i < mix.frames(); ++i) {
        const double left = lowCutLeft.process(shelfLeft.process(mix.left[i]));
        const double right = lowCutRight.process(shelfRight.process(mix.right[i]));
        sum += left * left + right * right;
        if ((i + 1) % quarter == 0) {
            quarters.push_back(sum / quarter);
            sum = 0.0;
        }
    }
    // 400 ms blocks overlapping by 75 %: four consecutive quarters each.
    std::vector<double> blocks;
    for (std::size_t q = 3; q < quarters.size(); ++q)
        blocks.push_back((quarters[q - 3] + quarters[q - 2] + quarters[q - 1] + quarters[q]) / 4.0);
    auto loudnessOf = [](double meanSquare) { return -0.691 + 10.0 * std::log10(std::max(meanSquare, 1e-20)); };
    auto gatedMean = [&](double gateLufs) {
        double total = 0.0;
        int count = 0;
        for (double block : blocks) {
            if (loudnessOf(block) > gateLufs) {
                total += block;
                ++count;
            }
        }
        return count ? total / count : 0.0;
    };
    const double absoluteGated = gatedMean(-70.0);
    if (absoluteGated <= 0.0)
        return -70.0;
    return loudnessOf(gatedMean(loudnessOf(absoluteGated) - 10.0));
}

float samplePeak(const StereoMix& mix)
{
    float peak = 0.f;
    for (std::int64_t i = 0; i < mix.frames(); ++i)
        peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    return peak;
}

double masterMix(StereoMix& mix, const MasterSettings& settings)
{
    Biquad rumbleLeft = highPass(RUMBLE_CUTOFF_HZ), rumbleRight = highPass(RUMBLE_CUTOFF_HZ);
    for (std::int64_t i = 0; i < mix.frames(); ++i) {
        mix.left[i] = static_cast<float>(rumbleLeft.process(mix.left[i]));
        mix.right[i] = static_cast<float>(rumbleRight.process(mix.right[i]));
    }
    // The limiter takes off loudness, the more the harder it works, so aim, measure the limited
    // result and correct by the secant through the last two tries.
    const float ceiling = dbToGain(settings.ceilingDbfs);
    double gainDb = settings.targetLufs - integratedLoudness(mix);
    double previousGainDb = 0.0, previousLoudness = 0.0;
    StereoMix limited;
    for (int attempt = 0;; ++attempt) {
        limitInto(mix, dbToGain(static_cast<float>(gainDb)), ceiling, limited);
        const double loudness = integratedLoudness(limited);
        const double miss = settings.targetLufs - loudness;
        if (std::fabs(miss) < 0.05 || attempt == LOUDNESS_ATTEMPTS - 1)
            break;
        // dB of loudness per dB of gain: 1 while the limiter idles, less when it works.
        double slope = 1.0;
        if (attempt > 0 && std::fabs(gainDb - previousGainDb) > 1e-6)
            slope = std::clamp((loudness - previousLoudness) / (gainDb - previousGainDb), 0.1, 1.0);
        previousGainDb = gainDb;
        previousLoudness = loudness;
        gainDb += miss / slope;
    }
    mix = std::move(limited);
    const std::int64_t fadeFrames = std::min<std::int64_t>(mix.frames(), static_cast<std::int64_t>(settings.fadeOutSeconds * SAMPLE_RATE));
    for (std::int64_t i = 0; i < fadeFrames; ++i) {
        const std::int64_t frame = mix.frames() - fadeFrames + i;
        const float shape = 0.5f + 0.5f * std::cos(PI_F * static_cast<float>(i + 1) / fadeFrames);
        mix.left[frame] *= shape;
        mix.right[frame] *= shape;
    }
    return gainDb;
}
