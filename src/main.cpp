// main.cpp -- the program's outermost frame: build, run and tear down the one Demo.
#include <cstdlib>
#include <iostream>

#include <SDL/SDL.h>

#include "demo.h"
#include "exception.h"

int main(int, char**)
{
    // SDL 1.2's main wrapper does nothing on this platform, so do its part here: SDL up with no
    // subsystems yet, and shut down at exit however main ends.
    SDL_Init(SDL_INIT_NOPARACHUTE);
    std::atexit(SDL_Quit);

    try {
        Demo* demo = new Demo();
        demo->run();
        delete demo;
    } catch (Exception e) {
        std::cout << e.getMessage() << std::endl;
        return 1;  // a fatal error is a failure, not a finished show
    }
    return 0;
}
