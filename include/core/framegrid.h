// framegrid.h -- the virtual clock's frames, shared by the capture tool (playing, parts and their join)
// and the page's frame mode.
#pragma once

// Frame n shows show time floor(n * 1000 / fps) ms, whatever else a run draws, so that a frame
// depends only on its time and the frame rate, and a stretch [from, to) holds the frames from
// firstAtOrAfter(from) up to, not including, firstAtOrAfter(to): stretches that meet share none.
struct FrameGrid {
    int fps;

    int timeOf(long frame) const { return static_cast<int>(frame * 1000 / fps); }
    long lastAtOrBefore(int ms) const { return ((static_cast<long>(ms) + 1) * fps - 1) / 1000; }
    long firstAtOrAfter(int ms) const { return (static_cast<long>(ms) * fps + 999) / 1000; }
};
