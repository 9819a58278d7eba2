// flashrules.cpp -- blocks in linear light, transitions per block, flashes per second per window.
#include "flashrules.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace flash {

namespace {

// sRGB levels to linear light, 0..1.
struct LinearTable {
    float value[256];
    LinearTable()
    {
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            value[i] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
    }
};
const LinearTable linear;

// Transitions in a second at which it fails: more than MOST_FLASHES pairs, so 3.5 flashes (seven
// transitions) already count as more than three.
constexpr int FAILING_TRANSITIONS = 2 * MOST_FLASHES + 1;

}  // namespace

void measureFrame(const std::uint8_t* rgb, int width, int height, BlockFrame& blocks)
{
    double sums[BLOCKS][3] = {};
    int counts[BLOCKS] = {};
    for (int y = 0; y < height; ++y) {
        const int row = y * BLOCKS_DOWN / height;
        const std::uint8_t* pixel = rgb + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x, pixel += 3) {
            const int block = row * BLOCKS_ACROSS + x * BLOCKS_ACROSS / width;
            sums[block][0] += linear.value[pixel[0]];
            sums[block][1] += linear.value[pixel[1]];
            sums[block][2] += linear.value[pixel[2]];
            counts[block] += 1;
        }
    }
    for (int b = 0; b < BLOCKS; ++b) {
        const double n = std::max(1, counts[b]);
        const double r = sums[b][0] / n, g = sums[b][1] / n, bl = sums[b][2] / n;
        blocks.luminance[b] = static_cast<float>(0.2126 * r + 0.7152 * g + 0.0722 * bl);
        blocks.red[b] = static_cast<float>(std::max(0.0, 320 * (r - g - bl)));
        blocks.saturatedRed[b] = r + g + bl > 0 && r / (r + g + bl) >= SATURATED_RED;
    }
}

bool SwingTracker::counts(const State& a, const State& b, bool general) const
{
    // General: the darker end below DARK_END. Red: to or from a saturated red.
    return general ? std::min(a.value, b.value) < DARK_END : a.mark || b.mark;
}

void SwingTracker::add(int frame, float value, bool mark, bool general, std::vector<int>& ends)
{
    const State now{value, frame, mark};
    if (!started) {
        started = true;
        low = high = now;
        return;
    }
    if (direction == 0) {
        if (value > high.value)
            high = now;
        if (value < low.value)
            low = now;
        if (high.value - low.value < threshold)
            return;
        // The first swing runs from whichever extreme came first to the other.
        direction = high.frame > low.frame ? 1 : -1;
        pivot = direction > 0 ? low : high;
        extreme = direction > 0 ? high : low;
        return;
    }
    if ((direction > 0 && value >= extreme.value) || (direction < 0 && value <= extreme.value)) {
        extreme = now;
        return;
    }
    if (std::fabs(extreme.value - value) < threshold)
        return;
    // Turned back by the threshold: the swing to the extreme is over, the next one starts there.
    if (counts(pivot, extreme, general))
        ends.push_back(extreme.frame);
    pivot = extreme;
    extreme = now;
    direction = -direction;
}

void SwingTracker::finish(bool general, std::vector<int>& ends)
{
    if (direction != 0 && std::fabs(extreme.value - pivot.value) >= threshold && counts(pivot, extreme, general))
        ends.push_back(extreme.frame);
    direction = 0;
    started = false;
}

FlashAnalysis::FlashAnalysis()
    : generalSwings(BLOCKS, SwingTracker(GENERAL_SWING)), redSwings(BLOCKS, SwingTracker(RED_SWING)), generalEnds(BLOCKS),
      redEnds(BLOCKS)
{
}

void FlashAnalysis::add(const BlockFrame& frame)
{
    for (int b = 0; b < BLOCKS; ++b) {
        generalSwings[b].add(frameCount, frame.luminance[b], false, true, generalEnds[b]);
        redSwings[b].add(frameCount, frame.red[b], frame.saturatedRed[b], false, redEnds[b]);
    }
    ++frameCount;
}

namespace {

// Per frame, the second starting there: per block the transitions in it, and the worst window.
void judgeSeconds(const std::vector<std::vector<int>>& ends, int frames, int fps, RuleResult& result)
{
    result.fromFrame.assign(frames, SecondRisk());
    std::vector<std::size_t> first(BLOCKS, 0), last(BLOCKS, 0);  // per block: ends in [f, f + fps)
    int counts[BLOCKS];
    int window[WINDOW_BLOCKS * WINDOW_BLOCKS];
    for (int f = 0; f < frames; ++f) {
        bool any = false;
        for (int b = 0; b < BLOCKS; ++b) {
            const std::vector<int>& e = ends[b];
            while (first[b] < e.size() && e[first[b]] < f)
                ++first[b];
            last[b] = std::max(last[b], first[b]);
            while (last[b] < e.size() && e[last[b]] < f + fps)
                ++last[b];
            counts[b] = static_cast<int>(last[b] - first[b]);
            any = any || counts[b] > 0;
        }
        if (!any)
            continue;
        SecondRisk& risk = result.fromFrame[f];
        for (int wy = 0; wy < WINDOWS_DOWN; ++wy)
            for (int wx = 0; wx < WINDOWS_ACROSS; ++wx) {
                int n = 0, failing = 0;
                for (int y = wy; y < wy + WINDOW_BLOCKS; ++y)
                    for (int x = wx; x < wx + WINDOW_BLOCKS; ++x) {
                        window[n++] = counts[y * BLOCKS_ACROSS + x];
                        failing += counts[y * BLOCKS_ACROSS + x] >= FAILING_TRANSITIONS;
                    }
                // The rate a quarter of the window reaches: its AREA_BLOCKS-th highest count, in pairs.
                std::nth_element(window, window + AREA_BLOCKS - 1, window + n, [](int a, int b) { return a > b; });
                risk.rate = std::max(risk.rate, window[AREA_BLOCKS - 1] / 2.0f);
                risk.share = std::max(risk.share, static_cast<float>(failing) / n);
            }
    }
}

}  // namespace

void FlashAnalysis::finish(int fps, RuleResult& general, RuleResult& red)
{
    for (int b = 0; b < BLOCKS; ++b) {
        generalSwings[b].finish(true, generalEnds[b]);
        redSwings[b].finish(false, redEnds[b]);
    }
    judgeSeconds(generalEnds, frameCount, fps, general);
    judgeSeconds(redEnds, frameCount, fps, red);
}

std::vector<Stretch> failingStretches(const RuleResult& result, const std::vector<int>& frameMs, int endMs)
{
    std::vector<Stretch> stretches;
    for (std::size_t f = 0; f < result.fromFrame.size() && f < frameMs.size(); ++f) {
        const SecondRisk& risk = result.fromFrame[f];
        if (!risk.fails())
            continue;
        if (stretches.empty() || frameMs[f] > stretches.back().endMs)
            stretches.push_back(Stretch{frameMs[f], frameMs[f], 0, 0});
        Stretch& s = stretches.back();
        s.endMs = std::min(endMs, frameMs[f] + 1000);
        s.share = std::max(s.share, risk.share);
        s.rate = std::max(s.rate, risk.rate);
    }
    return stretches;
}

int secondsTouched(const std::vector<Stretch>& stretches)
{
    std::set<int> seconds;
    for (const Stretch& s : stretches)
        for (int second = s.startMs / 1000; second * 1000 < s.endMs; ++second)
            seconds.insert(second);
    return static_cast<int>(seconds.size());
}

}  // namespace flash
