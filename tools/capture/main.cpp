// main.cpp -- bearings-capture: plays the show on a virtual clock to PNG frames or a benchmark.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "capture.h"
#include "demo.h"
#include "exception.h"
#include "frames.h"
#include "picture.h"
#include "parts.h"
#include "showoptions.h"

namespace {

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// The tool plays no sound and may run where no screen is: SDL's dummy sound output, and its
// off-screen video driver when there is no display, unless the user named drivers of their own.
// sdl12-compat's scaling layer stays: without it a few pixels come out a shade different.
void chooseDrivers()
{
#ifdef _WIN32
    // Windows has no setenv, and SDL's Windows video driver needs no display to be named.
    if (!isSet("SDL_AUDIODRIVER"))
        _putenv_s("SDL_AUDIODRIVER", "dummy");
#else
    if (!isSet("SDL_AUDIODRIVER"))
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!isSet("SDL_VIDEODRIVER") && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
#endif
}

const char* usage =
    "usage: bearings-capture [options]        (run from the show folder; no display or sound needed)\n"
    "  --at MS          write the frame on screen at show time MS (repeatable) as OUT/frame-MMMMMM.png:\n"
    "                   frame n shows floor(n*1000/fps) ms, and a time between two frames takes the\n"
    "                   earlier one, named and announced by its own time; a frame's pixels depend\n"
    "                   only on its time and --fps, not on what else the run writes\n"
    "  --out DIR        folder for captured frames (default: .)\n"
    "  --fps N          virtual frames per second (default 60)\n"
    "  --from MS        start the video, part or benchmark at show time MS (default 0); every frame\n"
    "                   before it still runs, without its pixels, so the stretch is the full play's\n"
    "  --to MS          stop before show time MS (default: the last --at frame, or the show's end)\n"
    "  --bench          print median and 99th-percentile wall time per frame for each entry, and of\n"
    "                   the frames run without pixels to reach --from\n"
    "  --video FILE     export the stretch (default: the whole show) as H.264 MP4 (--size, default\n"
    "                   1024x768) with the music, through ffmpeg\n"
    "  --part FILE      the picture of the frames in [--from, --to) alone, no music: one part of an\n"
    "                   export made in pieces, for --join (MP4 that names its stretch and frame rate)\n"
    "  --lossless       H.264 at -qp 0 for --video and --part, to check that a join is exact\n"
    "  --join FILE --parts DIR   put every part in DIR (*.mp4) end to end into FILE, the picture\n"
    "                   copied, and lay the music under it once; refuses a gap, an overlap or a\n"
    "                   short part, and with --from/--to, parts that do not cover that stretch\n"
    "  --contact-sheet FILE  one PNG of labelled thumbnails from the middle of every entry\n"
    "  --size WxH       frames, video and sheet at this size (default 1024x768); the 4:3 picture\n"
    "                   fills its height or width, with black bars beside it\n"
    "  --supersample N  draw each frame N times larger each way (2 to 4) and average it down\n"
    "  --no-seek        draw in full the frames nobody sees too (slow; to check the seek)\n"
    "  --gentle         the gentle show, kept below the photosensitive flash limits\n"
    "  --help           this text\n"
    "examples:\n"
    "  bearings-capture --at 0 --at 14500 --out /tmp/frames\n"
    "  bearings-capture --bench --to 36000\n"
    "  bearings-capture --video /tmp/bearings.mp4\n"
    "  bearings-capture --video /tmp/forest.mp4 --from 212000 --to 230000\n"
    "  bearings-capture --part /tmp/parts/1.mp4 --from 0 --to 245000\n"
    "  bearings-capture --part /tmp/parts/2.mp4 --from 245000\n"
    "  bearings-capture --join /tmp/bearings.mp4 --parts /tmp/parts\n"
    "  bearings-capture --contact-sheet /tmp/sheet.png --fps 10\n"
    "  bearings-capture --video /tmp/bearings-2160.mp4 --size 3840x2160 --supersample 2\n";


// --size WxH or --supersample N, into the frame format.
bool parseFrameFormat(const std::string& option, const char* text)
{
    long value = 0;
    if (option == "--size") {
        if (parseSize(text, frameFormat.width, frameFormat.height))
            return true;
        std::cerr << "bearings-capture: --size needs a size such as 1920x1080, not '" << text << "'\n";
    } else if (parseWhole(text, value) && value >= 1 && value <= 4) {
        frameFormat.supersample = static_cast<int>(value);
        return true;
    } else {
        std::cerr << "bearings-capture: --supersample needs 1, 2, 3 or 4, not '" << text << "'\n";
    }
    return false;
}

// --at, --fps, --from or --to: a whole number of ms (frames per second for --fps), into the options.
bool parseTime(const std::string& option, const char* text, CaptureOptions& options)
{
    long value = 0;
    if (!parseWhole(text, value)) {
        std::cerr << "bearings-capture: " << option << " needs a whole number, not '" << text << "'\n";
        return false;
    }
    if (option == "--at") {
        options.frameTimes.push_back(static_cast<int>(value));
    } else if (option == "--fps") {
        options.fps = static_cast<int>(value);
    } else if (option == "--from") {
        options.fromMs = static_cast<int>(value);
        options.fromSet = true;
    } else {
        options.toMs = static_cast<int>(value);
    }
    return true;
}

// Refuses what the options cannot mean together, and sorts the frame times.
bool checkOptions(CaptureOptions& options)
{
    if (options.fps < 1 || options.fps > 1000) {
        std::cerr << "bearings-capture: --fps must lie between 1 and 1000\n";
        return false;
    }
    if (!options.videoFile.empty() && (frameFormat.width % 2 || frameFormat.height % 2)) {
        // H.264 in 4:2:0 halves the colour planes: odd sizes cannot be encoded.
        std::cerr << "bearings-capture: --video needs an even width and height, not " << frameFormat.width << "x"
                  << frameFormat.height << "\n";
        return false;
    }
    std::sort(options.frameTimes.begin(), options.frameTimes.end());
    options.frameTimes.erase(std::unique(options.frameTimes.begin(), options.frameTimes.end()), options.frameTimes.end());
    if (options.joinFile.empty() != options.partsDir.empty()) {
        std::cerr << "bearings-capture: --join and --parts go together\n";
        return false;
    }
    if (!options.videoFile.empty() + !options.partFile.empty() + !options.joinFile.empty() > 1) {
        std::cerr << "bearings-capture: give one of --video, --part and --join\n";
        return false;
    }
    if (options.toMs >= 0 && options.toMs <= options.fromMs && (!options.partFile.empty() || !options.joinFile.empty())) {
        std::cerr << "bearings-capture: --to must lie after --from\n";
        return false;
    }
    if (!options.bench && options.frameTimes.empty() && options.videoFile.empty() && options.partFile.empty() &&
        options.joinFile.empty() && options.contactSheetFile.empty()) {
        std::cerr << "bearings-capture: nothing to do (give --at, --bench, --video, --part, --join or --contact-sheet)\n" << usage;
        return false;
    }
    return true;
}

bool parseOptions(int argc, char** argv, CaptureOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            std::cout << usage;
            std::exit(0);
        } else if (arg == "--bench") {
            options.bench = true;
        } else if (arg == "--lossless") {
            options.lossless = true;
        } else if (arg == "--no-seek") {
            options.noSeek = true;
        } else if (arg == "--gentle") {
            options.gentle = true;
        } else if (arg == "--part" && hasValue) {
            options.partFile = argv[++i];
        } else if (arg == "--join" && hasValue) {
            options.joinFile = argv[++i];
        } else if (arg == "--parts" && hasValue) {
            options.partsDir = argv[++i];
        } else if (arg == "--out" && hasValue) {
            options.outDir = argv[++i];
        } else if (arg == "--video" && hasValue) {
            options.videoFile = argv[++i];
        } else if (arg == "--contact-sheet" && hasValue) {
            options.contactSheetFile = argv[++i];
        } else if ((arg == "--size" || arg == "--supersample") && hasValue) {
            if (!parseFrameFormat(arg, argv[++i]))
                return false;
        } else if ((arg == "--at" || arg == "--fps" || arg == "--from" || arg == "--to") && hasValue) {
            if (!parseTime(arg, argv[++i], options))
                return false;
        } else {
            std::cerr << "bearings-capture: unknown or incomplete option '" << arg << "'\n" << usage;
            return false;
        }
    }
    return checkOptions(options);
}

}  // namespace

int main(int argc, char** argv)
{
    chooseDrivers();
    SDL_Init(SDL_INIT_NOPARACHUTE);
    std::atexit(SDL_Quit);

    CaptureOptions options;
    if (!parseOptions(argc, argv, options))
        return 2;
    if (!options.joinFile.empty()) {
        // Joining draws nothing: no show to start.
        try {
            joinParts(options.joinFile, options.partsDir, options.fromSet ? options.fromMs : -1, options.toMs);
            return 0;
        } catch (const std::exception& e) {
            std::cerr << "bearings-capture: " << e.what() << std::endl;
            return 1;
        }
    }
    try {
        const auto began = std::chrono::steady_clock::now();
        DisplayRequest display;
        display.width = frameFormat.width * frameFormat.supersample;
        display.height = frameFormat.height * frameFormat.supersample;
        Demo demo(display, options.gentle, MusicUse::Unused);
        options.loadingMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
        return runCapture(demo, options);
    } catch (Exception e) {
        std::cout << e.getMessage() << std::endl;
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "bearings-capture: " << e.what() << std::endl;
        return 1;
    }
}
