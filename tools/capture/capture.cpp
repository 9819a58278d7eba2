// capture.cpp -- the virtual-clock frame loop behind frames, benchmarks, video and the contact sheet.
#include "capture.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "frames.h"
#include "gl.h"
#include "timeline.h"
#include "video.h"

namespace {

using Clock = std::chrono::steady_clock;

std::uint32_t virtualNow = 0;  // ms; the show clock the Demo reads

std::uint32_t virtualTicks()
{
    return virtualNow;
}

double msSince(Clock::time_point began)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - began).count();
}

// Index of the timeline entry that is current at show time ms.
int entryAt(const Demo& demo, int ms)
{
    int index = 0;
    while (index + 1 < static_cast<int>(demo.timeline.size()) && demo.timeline[index + 1].start <= ms)
        ++index;
    return index;
}

std::string entryName(int index)
{
    const auto& rows = timelineRows();
    return index < static_cast<int>(rows.size()) ? rows[index].name : "end";
}

int entryMiddle(const Demo& demo, int index)
{
    return (demo.timeline[index].start + demo.timeline[index + 1].start) / 2;
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t index = std::min(values.size() - 1, static_cast<std::size_t>(fraction * (values.size() - 1) + 0.5));
    return values[index];
}

void printBench(const std::vector<std::vector<double>>& frameMs, double loadingMs)
{
    std::printf("renderer: %s (%s)\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    std::printf("start-up to first frame: %.0f ms\n", loadingMs);
    const double reference = percentile(frameMs[0], 0.5);
    std::printf("%-5s %-16s %7s %10s %10s %8s\n", "entry", "name", "frames", "median ms", "p99 ms", "ratio");
    for (std::size_t i = 0; i < frameMs.size(); ++i) {
        if (frameMs[i].empty())
            continue;
        const double median = percentile(frameMs[i], 0.5);
        std::printf("%-5zu %-16s %7zu %10.2f %10.2f", i, entryName(static_cast<int>(i)).c_str(), frameMs[i].size(), median,
                    percentile(frameMs[i], 0.99));
        if (reference > 0)
            std::printf(" %8.2f", median / reference);
        std::printf("\n");
    }
    std::fflush(stdout);
}

std::string framePath(const std::string& dir, int ms)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", ms);
    return dir + "/" + name;
}

std::string clockText(double seconds)
{
    char text[32];
    const int s = static_cast<int>(seconds + 0.5);
    std::snprintf(text, sizeof text, "%d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return text;
}

// One progress line on a terminal, rewritten in place; silent when stderr is not a terminal.
class Progress {
public:
    Progress(int firstMs, int lastMs) : firstMs(firstMs), lastMs(lastMs), enabled(isatty(STDERR_FILENO)), began(Clock::now()) {}

    void update(int nowMs, long frames)
    {
        if (!enabled || msSince(lastShown) < 250)
            return;
        lastShown = Clock::now();
        const double done = std::max(1e-6, double(nowMs - firstMs) / std::max(1, lastMs - firstMs));
        const double elapsed = msSince(began) / 1000;
        std::fprintf(stderr, "\rshow time %s of %s, %ld frames, elapsed %s, remaining %s   ", clockText(nowMs / 1000.0).c_str(),
                     clockText(lastMs / 1000.0).c_str(), frames, clockText(elapsed).c_str(),
                     clockText(elapsed / done - elapsed).c_str());
    }

    void finish()
    {
        if (enabled)
            std::fprintf(stderr, "\n");
    }

private:
    int firstMs, lastMs;
    bool enabled;
    Clock::time_point began;
    Clock::time_point lastShown;
};

}  // namespace

int runCapture(Demo& demo, const CaptureOptions& options)
{
    const int showEnd = demo.timeline.back().start;
    const int entries = static_cast<int>(demo.timeline.size()) - 1;  // without the terminating one
    const bool wholeStretch = options.bench || !options.videoFile.empty();

    // Which frames to read back: requested times and the middle of every entry for the sheet.
    std::vector<int> captureTimes = options.frameTimes;
    if (!options.contactSheetFile.empty())
        for (int i = 0; i < entries; ++i)
            captureTimes.push_back(entryMiddle(demo, i));
    std::sort(captureTimes.begin(), captureTimes.end());
    captureTimes.erase(std::unique(captureTimes.begin(), captureTimes.end()), captureTimes.end());

    int lastMs = showEnd - 1;
    if (options.toMs >= 0)
        lastMs = std::min(lastMs, options.toMs - 1);
    else if (!wholeStretch && !captureTimes.empty())
        lastMs = std::min(lastMs, captureTimes.back());

    const int fromMs = std::min(options.fromMs, showEnd - 1);
    const int firstEntry = entryAt(demo, fromMs);
    const int startMs = demo.timeline[firstEntry].start;
    const double msPerFrame = 1000.0 / options.fps;

    if (!options.frameTimes.empty())
        mkdir(options.outDir.c_str(), 0755);

    // The video starts at the first whole frame at or after fromMs; the music starts there too.
    long firstVideoFrame = 0;
    while (startMs + static_cast<int>(firstVideoFrame * msPerFrame) < fromMs)
        ++firstVideoFrame;
    const int videoStartMs = startMs + static_cast<int>(firstVideoFrame * msPerFrame);
    std::unique_ptr<VideoExport> video;
    if (!options.videoFile.empty()) {
        long videoFrames = 0;
        while (startMs + static_cast<int>((firstVideoFrame + videoFrames) * msPerFrame) <= lastMs)
            ++videoFrames;
        const int durationMs = static_cast<int>(videoFrames * 1000 / options.fps);
        video.reset(new VideoExport(options.videoFile, options.fps, "music.ogg", videoStartMs, durationMs));
    }
    std::unique_ptr<ContactSheet> sheet;
    if (!options.contactSheetFile.empty())
        sheet.reset(new ContactSheet(entries, 7));

    Tempo::setTickSource(virtualTicks);
    virtualNow = 0;
    demo.startClockAndMusic(false);

    // Fast-forward: every earlier entry still gets its setup and one frame, so the GL state a scene
    // inherits from the ones before it is in place.
    for (int i = 0; i < firstEntry; ++i) {
        virtualNow = static_cast<std::uint32_t>(demo.timeline[i].start);
        demo.advanceTimeline();
        demo.drawFrame();
    }

    std::vector<std::vector<double>> frameMs(demo.timeline.size());
    std::vector<unsigned char> rgb;
    std::size_t nextCapture = 0;
    while (nextCapture < captureTimes.size() && captureTimes[nextCapture] < startMs)
        ++nextCapture;
    Progress progress(startMs, lastMs);

    long frame = 0;
    for (long drawn = 0;; ++drawn) {
        int now = startMs + static_cast<int>(frame * msPerFrame);
        // A requested time between two frames gets a frame of its own (never sent to the video).
        const bool extraFrame = nextCapture < captureTimes.size() && captureTimes[nextCapture] < now;
        if (extraFrame)
            now = captureTimes[nextCapture];
        else
            ++frame;
        if (now > lastMs || !demo.running)
            break;

        virtualNow = static_cast<std::uint32_t>(now);
        const auto began = Clock::now();
        if (!demo.advanceTimeline())
            break;
        demo.handleEvents();
        demo.drawFrame();
        glFinish();
        double spent = msSince(began);

        const bool capture = nextCapture < captureTimes.size() && captureTimes[nextCapture] == now;
        const bool toVideo = video && !extraFrame && now >= videoStartMs;
        if (capture || toVideo)
            readFrame(rgb);
        if (capture) {
            if (std::binary_search(options.frameTimes.begin(), options.frameTimes.end(), now))
                writeFramePng(rgb, framePath(options.outDir, now));
            if (sheet && demo.currentEntry() < entries && now == entryMiddle(demo, demo.currentEntry()))
                sheet->add(demo.currentEntry(), rgb, std::to_string(demo.currentEntry()) + "  " + entryName(demo.currentEntry()) + "  " +
                                                          clockText(now / 1000.0).substr(2));
            ++nextCapture;
        }
        if (toVideo)
            video->write(rgb);

        const auto swapBegan = Clock::now();
        SDL_GL_SwapBuffers();
        spent += msSince(swapBegan);
        frameMs[demo.currentEntry()].push_back(spent);
        progress.update(now, drawn + 1);
    }
    progress.finish();

    if (video)
        video->finish();
    if (sheet)
        sheet->write(options.contactSheetFile);
    if (options.bench)
        printBench(frameMs, options.loadingMs);
    return 0;
}
