// heldticks.h -- the show time held for the frame being drawn: the one tick source that the show,
// the capture tool and the page give the Tempo, so that every read within a frame sees one time.
#pragma once

#include <cstdint>

void holdTicks(std::uint32_t ms);  // show time in ms, returned by heldTicks until the next call
std::uint32_t heldTicks();         // a Tempo::TickSource
