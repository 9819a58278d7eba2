// flashrules.h -- the photosensitive flash rules applied to a stream of frames: general flashes
// (relative luminance) and red flashes, counted per second over every 10-degree window.
//
// The screen is cut into 24 x 24 blocks (43 x 32 pixels of a 1024x768 screen) and a window is 8 x 8
// blocks (341 x 256, the 10-degree field at a typical viewing distance). Each block's mean linear
// light is followed over time; a transition is a swing between a peak and a valley of at least the
// threshold, a flash two opposing transitions. A second fails where more than three flashes fall in
// at least a quarter of some window.
#pragma once

#include <cstdint>
#include <vector>

namespace flash {

constexpr int BLOCKS_ACROSS = 24;          // blocks over the picture's width
constexpr int BLOCKS_DOWN = 24;            // and its height
constexpr int BLOCKS = BLOCKS_ACROSS * BLOCKS_DOWN;
constexpr int WINDOW_BLOCKS = 8;           // a window's side, in blocks
constexpr int WINDOWS_ACROSS = BLOCKS_ACROSS - WINDOW_BLOCKS + 1;  // windows at every block step
constexpr int WINDOWS_DOWN = BLOCKS_DOWN - WINDOW_BLOCKS + 1;
constexpr int AREA_BLOCKS = WINDOW_BLOCKS * WINDOW_BLOCKS / 4;  // a quarter of a window
constexpr int MOST_FLASHES = 3;            // flashes a second allowed; one more fails
constexpr float GENERAL_SWING = 0.1f;      // relative luminance, 0..1
constexpr float DARK_END = 0.8f;           // a transition counts only if its darker end is below this
constexpr float RED_SWING = 20.0f;         // in the red measure, 320 (R - G - B), negative as 0
constexpr float SATURATED_RED = 0.8f;      // R / (R + G + B) at or above this is saturated red

// One frame reduced to its blocks, row by row from the top.
struct BlockFrame {
    float luminance[BLOCKS];   // relative luminance, 0..1
    float red[BLOCKS];         // 320 (R - G - B), at least 0, linear R, G, B
    bool saturatedRed[BLOCKS]; // R / (R + G + B) >= SATURATED_RED
};

// Averages an RGB frame (8 bits a channel, sRGB, rows top first, width x height) into blocks, in
// linear light. A block that a picture of any size does not divide evenly takes the pixels whose
// centres fall in it.
void measureFrame(const std::uint8_t* rgb, int width, int height, BlockFrame& blocks);

// Follows one signal through time and finds its transitions: swings of at least the threshold between
// a peak and the valley after it (or the other way), wiggles smaller than the threshold ignored.
// A swing is placed at the frame where it ends.
class SwingTracker {
public:
    explicit SwingTracker(float threshold) : threshold(threshold) {}

    // The signal at frame (frames in increasing order); mark: the state counts for the rule (for red
    // flashes: saturated red). Appends to ends the frames of swings completed so far that count.
    void add(int frame, float value, bool mark, bool general, std::vector<int>& ends);
    // The swing still open at the end of the stream, if it is large enough.
    void finish(bool general, std::vector<int>& ends);

private:
    struct State {
        float value = 0;
        int frame = 0;
        bool mark = false;
    };
    bool counts(const State& a, const State& b, bool general) const;

    float threshold;
    int direction = 0;        // +1 rising, -1 falling, 0 not yet known
    bool started = false;
    State pivot, extreme;     // where the open swing started, and how far it has gone
    State low, high;          // before the direction is known: the extremes so far
};

// What one second, from a frame on, holds: the worst window.
struct SecondRisk {
    float share = 0;          // of the worst window's blocks that flash more than MOST_FLASHES times
    float rate = 0;           // flashes that second over a quarter of the worst window
    bool fails() const { return rate > MOST_FLASHES; }
};

// The flash analysis of a run of frames, one rule (general or red).
struct RuleResult {
    std::vector<SecondRisk> fromFrame;  // per frame: the second that starts with it
};

class FlashAnalysis {
public:
    FlashAnalysis();

    void add(const BlockFrame& frame);           // the next frame
    // The transitions are final only now. fps: frames per second, so one second is fps frames.
    void finish(int fps, RuleResult& general, RuleResult& red);

    int frames() const { return frameCount; }

private:
    std::vector<SwingTracker> generalSwings, redSwings;
    std::vector<std::vector<int>> generalEnds, redEnds;  // per block: frames where transitions end
    int frameCount = 0;
};

// A stretch of failing time: the union of failing seconds, in ms of show time.
struct Stretch {
    int startMs = 0, endMs = 0;
    float share = 0;  // the worst window's share in it
    float rate = 0;   // and the worst rate
};

// The stretches where the rule fails; frameMs[i] is the show time of frame i. Each failing second
// runs from its first frame's time for 1000 ms, but not past endMs, where the frames end.
std::vector<Stretch> failingStretches(const RuleResult& result, const std::vector<int>& frameMs, int endMs);

// Whole seconds of show time (s to s + 1) that any failing stretch touches.
int secondsTouched(const std::vector<Stretch>& stretches);

}  // namespace flash
