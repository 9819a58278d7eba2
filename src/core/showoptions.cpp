// showoptions.cpp -- the show's command line: --native, --window WxH, --gentle, --help, --version.
#include "showoptions.h"

#include "picture.h"

const char* const SHOW_USAGE =
    "usage: bearings [--native | --window WIDTHxHEIGHT] [--gentle] | --help | --version\n"
    "  (no option)            full screen at 1024x768\n"
    "  --native               full screen at the desktop's own resolution\n"
    "  --window WIDTHxHEIGHT  a window of that size, which may be resized\n"
    "  --gentle               the show kept below the photosensitive flash limits: the letterbox\n"
    "                         flickers shallower, the wormhole and the planet's ring glow less\n"
    "  --help                 this text\n"
    "  --version              the version\n"
    "The 4:3 picture fills the height or width of the output, with black bars beside it.\n"
    "Escape or closing the window quits; Ctrl+F toggles full screen.\n"
    "Without --gentle the show flashes at rates that can trigger seizures in people with\n"
    "photosensitive epilepsy; a warning shows before it starts (any key skips it).\n";

ShowOptions parseShowOptions(const std::vector<std::string>& args)
{
    ShowOptions options;
    auto fail = [&options](const std::string& why) {
        options.action = ShowOptions::Fail;
        options.error = why;
        return options;
    };
    bool displayChosen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.action = ShowOptions::Help;
            return options;
        }
        if (arg == "--version") {
            options.action = ShowOptions::Version;
            return options;
        }
        if (arg == "--gentle") {
            options.gentle = true;
            continue;
        }
        if (arg != "--native" && arg != "--window")
            return fail("unknown option '" + arg + "' (try --help)");
        if (displayChosen)
            return fail("give at most one of --native and --window");
        displayChosen = true;
        if (arg == "--native") {
            options.width = options.height = 0;
        } else {
            if (i + 1 >= args.size())
                return fail("--window needs a size, such as 1280x960");
            const std::string& size = args[++i];
            if (!parseSize(size, options.width, options.height))
                return fail("--window needs a size such as 1280x960, not '" + size + "'");
            options.fullScreen = false;
            options.resizable = true;
        }
    }
    return options;
}
