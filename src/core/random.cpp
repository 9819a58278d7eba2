// random.cpp -- the 15-bit linear congruential generator behind every random choice of the show.
#include "random.h"

#include <cstdint>

namespace {
std::uint32_t state = 1;  // seed 1 is the sequence a fresh process starts with
}

int random15()
{
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state / 65536u) % 32768u);
}

void seedRandom15(unsigned seed)
{
    state = seed;
}
