// viewer.h -- the viewer's hands on the live show: which key asks for what, where a jump or a frame
// step leads, and the show position while the music plays from anywhere or stands paused.
#pragma once

#include <vector>

#include <SDL/SDL.h>  // the key symbols and modifiers, as every platform names them

enum class ViewerAction {
    None,
    Quit,              // Escape
    ToggleFullScreen,  // Ctrl+F
    PauseResume,       // Space
    NextEntry,         // Right or Page Down
    PreviousEntry,     // Left or Page Up
    ToStart,           // Home
    StepBack,          // ',' while paused
    StepForward,       // '.' while paused
};

// The action a key press asks for, given its SDL key symbol and modifier bits (plain ints: the
// platforms' SDL headers give them different types); keys the show does not use give None.
ViewerAction viewerActionFor(int key, int mod);

// The show's frame rate for everything the viewer steps through: a frame step while paused moves by
// one frame at this rate, and a seek replays the frames a play from 0 at this rate would draw (the
// capture tool's default).
constexpr int VIEWER_FPS = 60;

// The show time (ms) of frame n of the VIEWER_FPS grid, and the last frame at or before ms.
int viewerFrameMs(long frame);
long viewerFrameAtOrBefore(double ms);

// The index of the entry playing at ms, given the entries' start times (ms, increasing, the first 0,
// the last the show's end): the last entry starting at or before ms, never the end itself.
int entryAt(const std::vector<int>& starts, double ms);

// Where an action taken at show time nowMs leads (ms), or -1 where it leads nowhere (a step or jump
// beyond either end, or an action that does not move the show). Jumps go to entry starts: the next
// entry's, the previous entry's (the first entry's own from within it), the show's start; steps move
// one VIEWER_FPS frame from the frame on screen at nowMs.
double actionTarget(ViewerAction action, const std::vector<int>& starts, double nowMs);

// The show time the live loop draws from. Playing, it is the heard position of the music, counted
// from where the music was last started; paused, it stands where the pause left it.
class Playhead {
public:
    void playFrom(double showMs);  // the music has been (re)started at showMs: its own position 0 is showMs
    void pause(double showMs);     // the picture and the music stand at showMs
    bool paused() const { return stopped; }
    double origin() const { return originMs; }
    // The show time (ms), given the music's own heard position (ms since it was last started).
    double position(double musicHeardMs) const;

private:
    bool stopped = false;
    double originMs = 0;   // show ms at which the music now playing was started
    double pausedMs = 0;   // show ms the pause holds
};
