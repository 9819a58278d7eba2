// heldticks.cpp -- the held show time.
#include "heldticks.h"

namespace {

std::uint32_t held = 0;  // ms

}  // namespace

void holdTicks(std::uint32_t ms)
{
    held = ms;
}

std::uint32_t heldTicks()
{
    return held;
}
