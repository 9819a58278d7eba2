// showoptions.cpp -- the show's command line: --native, --window WxH, --gentle, --start, --help, --version.
#include "showoptions.h"

#include <cmath>
#include <cstdlib>

#include "picture.h"
#include "runningorder.h"

const char* const SHOW_USAGE =
    "usage: bearings [--native | --window WIDTHxHEIGHT] [--gentle] [--start SECONDS | --start ENTRY]\n"
    "                | --help | --version\n"
    "  (no option)            full screen at 1024x768\n"
    "  --native               full screen at the desktop's own resolution\n"
    "  --window WIDTHxHEIGHT  a window of that size, which may be resized\n"
    "  --gentle               the show kept below the photosensitive flash limits: the letterbox\n"
    "                         flickers shallower, the wormhole and the planet's ring glow less\n"
    "  --start SECONDS        start that far into the show (212, or 212.5)\n"
    "  --start ENTRY          start at an entry of the running order (forest, \"storm board\")\n"
    "  --help                 this text\n"
    "  --version              the version\n"
    "The 4:3 picture fills the height or width of the output, with black bars beside it.\n"
    "Keys: Space pauses and resumes; Right or Page Down, Left or Page Up jump to the start of the\n"
    "next or previous entry; Home goes back to the start; ',' and '.' step one frame back or on\n"
    "while paused; Ctrl+F toggles full screen; Escape or closing the window quits.\n"
    "Without --gentle the show flashes at rates that can trigger seizures in people with\n"
    "photosensitive epilepsy; a warning shows before it starts (any key skips it).\n";

namespace {
// The show time (ms) an argument of --start names: seconds, or the name of an entry; -1 if neither.
int startFor(const std::string& text)
{
    for (const TimelineRow& row : timelineRows())
        if (text == row.name)
            return row.startBar * BEATS_PER_BAR * 60000 / SHOW_BPM;
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    const double showSeconds = static_cast<double>(SHOW_BARS) * BEATS_PER_BAR * 60 / SHOW_BPM;
    if (text.empty() || *end != '\0' || !(seconds >= 0 && seconds < showSeconds))
        return -1;
    return static_cast<int>(std::lround(seconds * 1000));
}
}  // namespace

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
        if (arg == "--start") {
            if (i + 1 >= args.size())
                return fail("--start needs a time in seconds or an entry's name, such as 212 or forest");
            const std::string& where = args[++i];
            options.startMs = startFor(where);
            if (options.startMs < 0)
                return fail("--start needs seconds from 0 to under 490 or an entry's name (forest), not '" + where + "'");
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

bool parseWhole(const char* text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end && *end == '\0' && end != text && value >= 0;
}
