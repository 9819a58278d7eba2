// showoptions.h -- the show's command line: what to do and which output to ask for.
#pragma once

#include <string>
#include <vector>

#include "picture.h"

struct ShowOptions {
    enum Action { Play, Help, Version, Fail };
    Action action = Play;
    int width = DESIGN_WIDTH;  // pixels; 0 with height 0: the desktop's own resolution
    int height = DESIGN_HEIGHT;
    bool fullScreen = true;
    bool resizable = false;
    bool gentle = false;       // --gentle: nothing flashes beyond the photosensitive limits
    int startMs = 0;           // show time to start from: --start SECONDS or --start ENTRY
    std::string error;         // for Fail: one line saying what is wrong
};

// Reads the arguments after the program name. With none, the show plays full screen at 1024x768.
ShowOptions parseShowOptions(const std::vector<std::string>& args);

// A whole number from 0 up, and nothing else, as the programs' options take ms, frames per second
// and factors.
bool parseWhole(const char* text, long& value);

// The text --help prints.
extern const char* const SHOW_USAGE;
