// main.cpp -- bearings-flashcheck: the photosensitive flash rules over raw frames read from standard input.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "framegrid.h"
#include "flashrules.h"
#include "picture.h"
#include "riskpicture.h"
#include "showoptions.h"
#include "runningorder.h"

namespace {

const char* usage =
    "usage: bearings-flashcheck --size WxH [--fps N] [--from MS] [--to MS] [--picture FILE] [--title TEXT] < FRAMES\n"
    "  Reads raw RGB frames (8 bits a channel, rows top first), as bearings-capture draws them from\n"
    "  show time MS on at N frames a second (default 30), and applies the general and red flash rules:\n"
    "  more than three flashes in any one second over a quarter of any 341x256 window of a 1024x768\n"
    "  screen fails. Prints the failing stretches and a summary line; exits 1 if anything fails.\n"
    "  --to MS         the stretch ends before MS: its frames must all come, or it stops with status 3\n"
    "  --picture FILE  the risk per second as PNG, a row per running-order entry\n"
    "  --title TEXT    the picture's title line (the summary goes under it)\n"
    "  scripts/flashcheck.sh captures the show and runs this.\n";

void printRule(const char* name, const std::vector<flash::Stretch>& stretches)
{
    for (const flash::Stretch& s : stretches)
        std::printf("%-8s %7.1f-%.1f s  worst window %3.0f %%  %4.1f flashes/s\n", name, s.startMs / 1000.0, s.endMs / 1000.0,
                    100 * s.share, s.rate);
}

// "general 130 s failing in 43 stretches, worst share 100 %, worst rate 10.5 flashes/s"
std::string summary(const char* name, const flash::RuleResult& result, const std::vector<flash::Stretch>& stretches)
{
    float share = 0, rate = 0;
    for (const flash::SecondRisk& risk : result.fromFrame) {
        share = std::max(share, risk.share);
        rate = std::max(rate, risk.rate);
    }
    char line[160];
    std::snprintf(line, sizeof line, "%s %d s failing in %zu stretches, worst share %.0f %%, worst rate %.1f flashes/s", name,
                  flash::secondsTouched(stretches), stretches.size(), 100 * share, rate);
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    int width = 0, height = 0;
    long fps = 30, fromMs = 0, toMs = -1;
    std::string picture, title;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            std::cout << usage;
            return 0;
        } else if (arg == "--size" && hasValue && parseSize(argv[i + 1], width, height)) {
            ++i;
        } else if (arg == "--fps" && hasValue && parseWhole(argv[i + 1], fps) && fps >= 1 && fps <= 1000) {
            ++i;
        } else if (arg == "--from" && hasValue && parseWhole(argv[i + 1], fromMs)) {
            ++i;
        } else if (arg == "--to" && hasValue && parseWhole(argv[i + 1], toMs)) {
            ++i;
        } else if (arg == "--picture" && hasValue) {
            picture = argv[++i];
        } else if (arg == "--title" && hasValue) {
            title = argv[++i];
        } else {
            std::cerr << "bearings-flashcheck: unknown, incomplete or malformed option '" << arg << "'\n" << usage;
            return 2;
        }
    }
    if (width == 0) {
        std::cerr << "bearings-flashcheck: --size is needed\n" << usage;
        return 2;
    }

    const FrameGrid grid{static_cast<int>(fps)};
    const long firstFrame = grid.firstAtOrAfter(static_cast<int>(fromMs));
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    std::vector<int> frameMs;
    flash::FlashAnalysis analysis;
    flash::BlockFrame blocks;
    while (std::fread(rgb.data(), 1, rgb.size(), stdin) == rgb.size()) {
        flash::measureFrame(rgb.data(), width, height, blocks);
        analysis.add(blocks);
        frameMs.push_back(grid.timeOf(firstFrame + static_cast<long>(frameMs.size())));
    }
    // A capture that died half way must not pass for a stretch without flashes.
    const long expected = toMs >= 0 ? grid.firstAtOrAfter(static_cast<int>(toMs)) - firstFrame : -1;
    if (frameMs.empty() || (expected >= 0 && static_cast<long>(frameMs.size()) != expected)) {
        std::cerr << "bearings-flashcheck: " << frameMs.size() << " frames of " << width << "x" << height
                  << " on standard input";
        if (expected >= 0)
            std::cerr << ", not the " << expected << " of the stretch";
        std::cerr << std::endl;
        return 3;
    }
    flash::RuleResult general, red;
    analysis.finish(static_cast<int>(fps), general, red);
    const int endMs = grid.timeOf(firstFrame + static_cast<long>(frameMs.size()));
    const std::vector<flash::Stretch> generalStretches = flash::failingStretches(general, frameMs, endMs);
    const std::vector<flash::Stretch> redStretches = flash::failingStretches(red, frameMs, endMs);

    std::printf("flashcheck: %zu frames of %dx%d at %ld fps, %.2f-%.2f s\n", frameMs.size(), width, height, fps,
                frameMs.front() / 1000.0, endMs / 1000.0);
    printRule("general", generalStretches);
    printRule("red", redStretches);
    const std::string line = summary("general", general, generalStretches) + "; " + summary("red", red, redStretches);
    std::printf("summary: %s\n", line.c_str());
    std::fflush(stdout);

    if (!picture.empty()) {
        const int showSeconds = SHOW_BARS * BEATS_PER_BAR * 60 / SHOW_BPM;
        try {
            writeRiskPicture(picture, title.empty() ? "Flash risk per second" : title, line,
                             secondCells(general, red, frameMs, showSeconds));
        } catch (const std::exception& e) {
            std::cerr << "bearings-flashcheck: " << e.what() << std::endl;
            return 1;
        }
    }
    return generalStretches.empty() && redStretches.empty() ? 0 : 1;
}
