// viewer.cpp -- the live show's keys, jump and step targets, and the position across pauses and seeks.
#include "viewer.h"

#include <algorithm>

ViewerAction viewerActionFor(int key, int mod)
{
    switch (key) {
    case SDLK_ESCAPE:
        return ViewerAction::Quit;
    case SDLK_f:
        return (mod & (KMOD_LCTRL | KMOD_RCTRL)) ? ViewerAction::ToggleFullScreen : ViewerAction::None;
    case SDLK_SPACE:
        return ViewerAction::PauseResume;
    case SDLK_RIGHT:
    case SDLK_PAGEDOWN:
        return ViewerAction::NextEntry;
    case SDLK_LEFT:
    case SDLK_PAGEUP:
        return ViewerAction::PreviousEntry;
    case SDLK_HOME:
        return ViewerAction::ToStart;
    case SDLK_COMMA:
        return ViewerAction::StepBack;
    case SDLK_PERIOD:
        return ViewerAction::StepForward;
    default:
        return ViewerAction::None;
    }
}

int viewerFrameMs(long frame)
{
    return static_cast<int>(frame * 1000 / VIEWER_FPS);
}

long viewerFrameAtOrBefore(double ms)
{
    // Frame n shows floor(n * 1000 / fps): the last frame at or before ms is the largest such n.
    const long wholeMs = static_cast<long>(std::max(0.0, ms));
    return ((wholeMs + 1) * VIEWER_FPS - 1) / 1000;
}

int entryAt(const std::vector<int>& starts, double ms)
{
    const auto after = std::upper_bound(starts.begin(), starts.end() - 1, ms);
    return std::max(0, static_cast<int>(after - starts.begin()) - 1);
}

double actionTarget(ViewerAction action, const std::vector<int>& starts, double nowMs)
{
    const int entry = entryAt(starts, nowMs);
    const int entries = static_cast<int>(starts.size()) - 1;  // the last start is the end
    switch (action) {
    case ViewerAction::NextEntry:
        return entry + 1 < entries ? starts[entry + 1] : -1;
    case ViewerAction::PreviousEntry:
        return starts[std::max(0, entry - 1)];
    case ViewerAction::ToStart:
        return 0;
    case ViewerAction::StepForward: {
        const int next = viewerFrameMs(viewerFrameAtOrBefore(nowMs) + 1);
        return next < starts.back() ? next : -1;
    }
    case ViewerAction::StepBack: {
        const long frame = viewerFrameAtOrBefore(nowMs);
        return frame > 0 ? viewerFrameMs(frame - 1) : -1;
    }
    default:
        return -1;
    }
}

void Playhead::playFrom(double showMs)
{
    stopped = false;
    originMs = showMs;
}

void Playhead::pause(double showMs)
{
    stopped = true;
    pausedMs = showMs;
}

double Playhead::position(double musicHeardMs) const
{
    return stopped ? pausedMs : originMs + musicHeardMs;
}
