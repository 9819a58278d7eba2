// tempo.cpp -- the music clock, read through a replaceable millisecond tick source.
#include "tempo.h"

#include <SDL/SDL.h>

namespace {
std::uint32_t sdlTicks()
{
    return SDL_GetTicks();
}

Tempo::TickSource tickSource = sdlTicks;
}

void Tempo::setTickSource(TickSource source)
{
    tickSource = source ? source : sdlTicks;
}

Tempo::Tempo(int beatsPerMinute, int offset)
    : msPerBeat(60000 / beatsPerMinute), offset(offset), startTicks(0)
{
}

void Tempo::start()
{
    startTicks = static_cast<int>(tickSource());
}

int Tempo::elapsed() const
{
    // Wrapping 32-bit subtraction: correct across the tick counter's overflow.
    return static_cast<int>(tickSource() - static_cast<std::uint32_t>(startTicks));
}

int Tempo::beat() const
{
    const int e = elapsed();
    if (e < offset)
        return -1;
    return static_cast<int>(static_cast<std::uint32_t>(e - offset) / static_cast<std::uint32_t>(msPerBeat));
}

double Tempo::beatPhase() const
{
    const std::uint32_t x = static_cast<std::uint32_t>(elapsed() - offset);
    const std::uint32_t perBeat = static_cast<std::uint32_t>(msPerBeat);
    const long double phase = static_cast<long double>(x) / perBeat - static_cast<long double>(x / perBeat);
    return static_cast<double>(phase);
}

int Tempo::beatsToMs(int beats) const
{
    return beats * msPerBeat + offset;
}
