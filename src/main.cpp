// main.cpp -- the program's outermost frame: read the command line, build, run and tear down the one Demo.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "demo.h"
#include "exception.h"
#include "showoptions.h"

#ifndef BEARINGS_VERSION
#define BEARINGS_VERSION "unknown"
#endif

int main(int argc, char** argv)
{
    const ShowOptions options = parseShowOptions(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
    case ShowOptions::Help:
        std::cout << SHOW_USAGE;
        return 0;
    case ShowOptions::Version:
        std::cout << "bearings " << BEARINGS_VERSION << std::endl;
        return 0;
    case ShowOptions::Fail:
        std::cerr << "bearings: " << options.error << std::endl;
        return 2;
    case ShowOptions::Play:
        break;
    }

    // SDL up with no subsystems yet, and shut down at exit however main ends. SDL 1.2's main wrapper
    // does nothing on Linux; on Windows SDLmain is linked and has done this before main, and doing it
    // again there is harmless.
    SDL_Init(SDL_INIT_NOPARACHUTE);
    std::atexit(SDL_Quit);

    DisplayRequest display;
    display.width = options.width;
    display.height = options.height;
    display.fullScreen = options.fullScreen;
    display.resizable = options.resizable;
    try {
        Demo* demo = new Demo(display, options.gentle);
        // The gentle show keeps below the flash limits: nothing to warn of.
        if (!options.gentle)
            demo->showFlashWarning(FLASH_WARNING_MS);
        if (demo->running)
            demo->run(options.startMs);
        delete demo;
    } catch (Exception e) {
        std::cout << e.getMessage() << std::endl;
        return 1;  // a fatal error is a failure, not a finished show
    }
    return 0;
}
