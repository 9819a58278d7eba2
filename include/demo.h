// demo.h -- the application object: start-up, loading screen, timeline, main loop and shutdown.
#pragma once

#include <memory>
#include <vector>

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include "gl.h"
#include "musicclock.h"
#include "musicoutput.h"
#include "picture.h"
#include "tempo.h"
#include "timeline.h"
#include "viewer.h"

// True when SDL, left to choose the video driver itself (requestedDriver, the SDL_VIDEODRIVER
// value, is null or empty), took one that shows nothing on a screen: the off-screen or dummy driver.
bool choseInvisibleDriver(const char* requestedDriver, const char* chosenDriver);

// The letterbox mask's multiplier at show time t (ms): a sine about 1, of which GL keeps only the
// dips below 1, 10.6 times a second. As designed 0.1 deep: in linear light a 21 % dip of the whole
// picture, a full-screen flash on any bright scene. Gentle, 0.02 deep: at most 4.4 %, under half
// the 10 % change a flash needs, so the mask still flickers but never flashes.
float letterboxLevel(int t, bool gentle);

// How long the live show's photosensitivity warning stays up before the music, unless a key ends it (ms).
constexpr int FLASH_WARNING_MS = 8000;

// The music's mixing buffer, in frames.
constexpr int MIX_BUFFER_FRAMES = 4096;

// Whether a Demo decodes the music: the live show plays it. A tool that only draws (the capture
// tool, whose video takes the music from the file itself) leaves it undecoded: decoding the whole
// track is over half of its start-up.
enum class MusicUse { Played, Unused };

// The output the show asks SDL for.
struct DisplayRequest {
    int width = DESIGN_WIDTH;   // pixels; 0 with height 0: the desktop's own resolution
    int height = DESIGN_HEIGHT;
    bool fullScreen = true;
    bool resizable = false;     // a window the user may resize; the picture follows
};

class Demo {
public:
    // Initialises SDL, audio, the GL mode the request names (by default full screen at 1024x768),
    // then builds the whole timeline behind the loading screen and loads the overlay textures.
    // gentle: the show kept below the photosensitive flash limits (see the gentle field).
    // Throws Exception on any failure.
    explicit Demo(const DisplayRequest& display = DisplayRequest(), bool gentle = false,
                  MusicUse musicUse = MusicUse::Played);

    // Tag for a Demo that touches neither SDL nor any file: its fields are set by the caller.
    // Only for tests that check the drawing passes against a recorded GL stream.
    struct Unloaded {};
    explicit Demo(Unloaded);

    ~Demo();  // shutdown: scenes in timeline order, music, audio, SDL

    // Plays the show from fromMs (show time) until its end (490 s) or a quit request, with the
    // viewer's keys: pause, frame steps, jumps between entries.
    void run(int fromMs = 0);

    // The pieces of run(), for tools that drive the show with their own clock.
    // Show time 0 is now. With playMusic the music starts, and the Tempo reads the time run() holds
    // for each frame; without it the Tempo keeps the tick source the caller set.
    void startClockAndMusic(bool playMusic);
    bool advanceTimeline();     // makes the next entry current when due; false once the show is over
    // Quit on Escape or window close, Ctrl+F toggles full screen, resizing; the viewer's other keys
    // are kept for run() to obey after the frame (see ViewerAction).
    void handleEvents();
    void drawFrame();           // clear, current scene, overlays, black bars (no buffer swap)
    void drawLoadingScreen();   // one complete loading frame from progress, presented
    // The photosensitivity warning, after loading and before run(): up for mostMs, or until a key
    // or a click; Escape or closing the window clears running. The live program's alone: the
    // capture tool and the page (which warns on its start screen) never show it.
    void showFlashWarning(int mostMs);
    void drawOverlays();        // glow blobs, wandering lines, letterbox mask and grain
    // The same pass with the grain shifted by grainShift (0..1) and no random value drawn, so a
    // tool can measure the pass alone without moving the show's random sequence.
    void drawOverlays(float grainShift);
    int currentEntry() const { return current; }  // -1 before the first frame
    // The picture laid out in an output of this size (pixels), and the current scene's sizes set
    // again for it: what the scene would draw with had it started at this size.
    void outputChanged(int width, int height);

    // Constructor step: every card and scene in running order behind the growing loading bar, then
    // the terminating entry. Public so that tests can build the show on an Unloaded demo.
    void buildTimeline();

    // The one switch for the gentle show: the overlay pass reads it, and buildTimeline hands it to
    // the scenes it makes. Set before buildTimeline; never changes during a show.
    bool gentle;
    Tempo* tempo;                        // SHOW_BPM, offset 0
    std::vector<TimelineEntry> timeline;  // in start order, ending with a null scene
    bool running;                        // cleared by a quit request
    int bar;                             // bar counter while the timeline is built
    int progress;                        // loading progress: one step per timeline entry, 22 in all
    SDL_Surface* screen;                 // the video surface, for the full-screen toggle
    Mix_Chunk* music;                    // the whole track, decoded into memory; null when Unused
    GLuint letterboxTexture;
    GLuint noiseTexture;
    GLuint lineTexture;
    GLuint blobTexture;
    GLuint loadingTexture;
    GLuint chapterTexture;  // the running order's names, one 48-pixel row per entry
    // Where the live show's clock comes from when the platform itself knows the music's heard
    // position (the browser): ms of music heard, negative while nothing plays. Null: the audio
    // device's reports, through musicClock.
    double (*heardClock)();
    // Where that platform also plays the music (the browser): stops it, and plays it from a show time
    // (ms) on, after which heardClock reads the show time heard from there. Null: the mixer's own.
    void (*stopHeardMusic)() = nullptr;
    void (*playHeardMusicFrom)(double showMs) = nullptr;
    std::unique_ptr<MusicClock> musicClock;  // the heard music, built by startClockAndMusic(true)
    // The music kept with the show through stalls and a lost device; null without a device to follow.
    std::unique_ptr<MusicOutput> musicOutput;
    std::unique_ptr<MusicKeeper> musicKeeper;

private:
    void init(MusicUse musicUse);
    void openDisplay();          // the video mode, checked against what GL can draw; the picture in it
    void drawOverlayLight(float g);  // glow blobs and wandering lines, added on; g: this frame's random value
    void drawOverlayShade(float g);  // letterbox mask and grain, multiplied in
    void followMusic(int channel);   // musicClock follows the device playing channel, or the system clock
    double heardMs(double nowMs);    // ms of music heard now, from heardClock or musicClock
    void holdShowTime(double showMs);  // the Tempo reads showMs (at least 0) until the next call
    double drawUnseenOpening(FrameLead& lead);  // the opening drawn unseen, before the music; ms a swap takes
    void showOpeningWhenHeard(double& swapMs);  // the first frame, swapped in as the music is first heard
    // Finishes the frame drawn and swaps it in as showMs is heard, less swapMs (what a swap takes,
    // updated with this one), waiting mostMs at most; returns the ms it waited.
    double swapWhenHeard(double showMs, double& swapMs, double mostMs);

    // The viewer's hands (viewing.cpp): keys kept by handleEvents, obeyed after the frame.
    static constexpr int MAX_REQUESTS = 8;          // key presses kept between two frames; more are dropped
    static constexpr double CHAPTER_LINE_MS = 2500; // how long the chapter line stays up after a key
    void obeyViewer(FrameLead& lead, double& swapMs);  // pauses, steps and jumps as the keys asked
    void whilePaused(FrameLead& lead, double& swapMs);  // until a key moves the show on or the viewer quits
    void startPartWay(double showMs, double& swapMs);  // the first frame at showMs, swapped in as it is heard
    // Brings the show to the state a play from 0 at VIEWER_FPS leaves it in just before the frame at
    // showMs, through skipped frames (seek.cpp); the next advanceTimeline and drawFrame draw showMs.
    void seekTo(int showMs);
    void drawAt(int showMs);     // the frame at showMs, from the show as it stands or through seekTo
    void keepStill();            // the frame just drawn, copied to stand while paused
    void showStill();            // that frame again, drawn from what keepStill kept
    void drawChapterLine(double untilMs);  // the names along the bottom, fading out towards untilMs
    void playMusicFrom(double showMs);     // the music from showMs, the clock following it from there
    void stopMusic();                      // the music silent and the clock no longer fed
    ViewerAction requests[MAX_REQUESTS];
    int requestCount = 0;
    Playhead playhead;              // the show time the music stands for, across pauses and seeks
    Mix_Chunk* musicFrom = nullptr;  // a view into music from a show time, while one plays
    double chapterUntil = 0;        // system ms at which the chapter line goes
    bool stillHasLine = false;      // the paused picture on screen carries the chapter line
    static constexpr double STILL_REPAINT_MS = 250;  // the paused picture is drawn again this often
    double stillShownAt = 0;        // system ms it was last drawn
    GLuint stillTexture = 0;        // the paused picture, the whole output, made by keepStill
    int stillWidth = 0, stillHeight = 0;

    int current;  // index of the current timeline entry, -1 before the first frame
    MixerFeed musicFeed;  // what the audio thread reports to musicClock through
    bool initialised;  // false for an Unloaded demo: no shutdown of SDL then
    DisplayRequest display;  // what was asked for; a resize keeps its flags
};
