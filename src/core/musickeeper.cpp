// musickeeper.cpp -- the music moved to the show after a stall, and brought back after a lost device.
#include "musickeeper.h"

void MusicKeeper::frame(double nowMs)
{
    switch (state) {
    case State::Playing:
        if (output.lost()) {
            log << "bearings: the sound device went away; the show goes on silent and the music comes back "
                   "when a device can be opened again"
                << std::endl;
            clock.detach();
            state = State::Lost;
            nextTry = nowMs;
        } else if (clock.outOfStep()) {
            output.playFrom(clock.resumePoint(nowMs), nowMs);
            ++moves;
        }
        break;
    case State::Lost:
        if (nowMs >= nextTry) {
            output.beginReopen();
            state = State::Reopening;
        }
        break;
    case State::Reopening:
        switch (output.reopened()) {
        case 0:
            state = State::Lost;
            nextTry = nowMs + RETRY_MS;
            break;
        case 1:
            clock.detach();  // calls from here on are the new device's
            state = State::Reopened;
            break;
        default:
            break;
        }
        break;
    case State::Reopened:
        // Played only once the new device calls back: a new stream can take a second or more to
        // start, and music started before would be heard that much late.
        if (output.lost()) {
            state = State::Lost;
            nextTry = nowMs + RETRY_MS;
        } else if (clock.deviceCalling()) {
            output.playFrom(clock.resumePoint(nowMs), nowMs);
            log << "bearings: the sound device is back; the music plays on from the show's position" << std::endl;
            state = State::Playing;
        }
        break;
    }
}
