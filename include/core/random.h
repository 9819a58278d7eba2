// random.h -- the program's deterministic 15-bit pseudo-random sequence.
//
// The host C library's rand() is 31-bit and differs between platforms; every random picture of the
// show comes from this generator instead, so the same build always shows the same frames.
#pragma once

constexpr int RANDOM_MAX = 32767;  // largest value random15() returns

// Next value of the sequence, 0..RANDOM_MAX. Shaped like the C standard's example rand().
int random15();

// Restarts the sequence; the sequence before any call starts from seed 1.
void seedRandom15(unsigned seed);
