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

#include "framegrid.h"
#include "frames.h"
#include "gl.h"
#include "heldticks.h"
#include "parts.h"
#include "seek.h"
#include "timeline.h"
#include "video.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point began)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - began).count();
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

// The table: per entry, its frames' median and 99th percentile, the median over the title card's and
// over the floor's; the floor's own line above it.
void printBench(const std::vector<std::vector<double>>& frameMs, const std::vector<double>& floorMs, double loadingMs)
{
    std::printf("renderer: %s (%s)\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    GLint viewport[2] = {0, 0}, texture = 0;
    GLfloat points[2] = {0, 0}, lines[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetFloatv(GL_POINT_SIZE_RANGE, points);
    glGetFloatv(GL_ALIASED_LINE_WIDTH_RANGE, lines);
    std::printf("limits: viewport %dx%d, texture %d, point sizes %g-%g, line widths %g-%g\n", viewport[0], viewport[1], texture,
                points[0], points[1], lines[0], lines[1]);
    std::printf("frames: %dx%d, drawn at %dx%d\n", frameFormat.width, frameFormat.height, frameFormat.width * frameFormat.supersample,
                frameFormat.height * frameFormat.supersample);
    std::printf("start-up to first frame: %.0f ms\n", loadingMs);
    const double floorMedian = percentile(floorMs, 0.5);
    std::printf("floor (clear, overlay pass, present; no scene), %zu frames: median %.2f ms, p99 %.2f ms\n",
                floorMs.size(), floorMedian, percentile(floorMs, 0.99));
    const double reference = percentile(frameMs[0], 0.5);
    std::printf("%-5s %-16s %7s %10s %10s %8s %8s\n", "entry", "name", "frames", "median ms", "p99 ms", "ratio", "/floor");
    for (std::size_t i = 0; i < frameMs.size(); ++i) {
        if (frameMs[i].empty())
            continue;
        const double median = percentile(frameMs[i], 0.5);
        std::printf("%-5zu %-16s %7zu %10.2f %10.2f", i, entryName(static_cast<int>(i)).c_str(), frameMs[i].size(), median,
                    percentile(frameMs[i], 0.99));
        // No title card played (--from past it) leaves that ratio out.
        if (reference > 0)
            std::printf(" %8.2f", median / reference);
        else
            std::printf(" %8s", "-");
        std::printf(" %8.2f\n", median / floorMedian);
    }
    std::fflush(stdout);
}

// Per entry, the cost of a frame run for its effects alone (reaching a later time exactly) next to
// one drawn in full; only when the run skipped any (frames before --from, or before an --at time).
void printSeekBench(const std::vector<std::vector<double>>& drawnMs, const std::vector<std::vector<double>>& skippedMs)
{
    std::vector<double> all;
    for (const auto& entry : skippedMs)
        all.insert(all.end(), entry.begin(), entry.end());
    if (all.empty())
        return;
    std::printf("skipped (run for their effects, clipped away; no read-back or swap), %zu frames: median %.2f ms, p99 %.2f ms\n", all.size(),
                percentile(all, 0.5), percentile(all, 0.99));
    std::printf("%-5s %-16s %7s %10s %10s %10s\n", "entry", "name", "skipped", "median ms", "p99 ms", "drawn ms");
    for (std::size_t i = 0; i < skippedMs.size(); ++i) {
        if (skippedMs[i].empty())
            continue;
        std::printf("%-5zu %-16s %7zu %10.2f %10.2f", i, entryName(static_cast<int>(i)).c_str(), skippedMs[i].size(),
                    percentile(skippedMs[i], 0.5), percentile(skippedMs[i], 0.99));
        if (drawnMs[i].empty())
            std::printf(" %10s\n", "-");
        else
            std::printf(" %10.2f\n", percentile(drawnMs[i], 0.5));
    }
    std::fflush(stdout);
}

std::string frameName(int ms)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", ms);
    return name;
}

std::string framePath(const std::string& dir, int ms)
{
    return dir + "/" + frameName(ms);
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

// What one run will draw and keep, worked out from the options and the timeline before any frame.
struct CapturePlan {
    int entries = 0;                // timeline entries, without the terminating one
    FrameGrid grid{60};
    std::vector<int> frameTimes;    // show times (ms) of the frames to write as PNG, on the grid, sorted
    std::vector<int> captureTimes;  // show times (ms) to read back: those and the sheet thumbnails
    int lastMs = 0;                 // the last show time (ms) that may be drawn
    int videoStartMs = 0;           // the first whole frame at or after --from (ms); the music starts there too
    int videoDurationMs = 0;        // how long the video lasts (ms); 0 without --video or --part
    bool drawEveryFrame = false;    // --no-seek: frames nobody sees are drawn in full too
};

// Which frames to draw and read back, and where the video starts and ends.
CapturePlan planCapture(const Demo& demo, const CaptureOptions& options)
{
    CapturePlan plan;
    const int showEnd = demo.timeline.back().start;
    plan.entries = static_cast<int>(demo.timeline.size()) - 1;
    const bool wholeStretch = options.bench || !options.videoFile.empty() || !options.partFile.empty();

    plan.grid = FrameGrid{options.fps};

    // A requested time between two frames takes the frame on screen then, the one before it.
    for (int ms : options.frameTimes) {
        const int frameMs = plan.grid.timeOf(plan.grid.lastAtOrBefore(ms));
        if (frameMs != ms)
            std::fprintf(stderr, "bearings-capture: no frame at %d ms at %d fps; writing the one at %d ms, %s\n", ms,
                         options.fps, frameMs, frameName(frameMs).c_str());
        plan.frameTimes.push_back(frameMs);
    }
    plan.frameTimes.erase(std::unique(plan.frameTimes.begin(), plan.frameTimes.end()), plan.frameTimes.end());
    plan.captureTimes = plan.frameTimes;
    // Entries start on whole bars, so their middles fall on whole seconds: on every grid.
    if (!options.contactSheetFile.empty())
        for (int i = 0; i < plan.entries; ++i)
            plan.captureTimes.push_back(entryMiddle(demo, i));
    std::sort(plan.captureTimes.begin(), plan.captureTimes.end());
    plan.captureTimes.erase(std::unique(plan.captureTimes.begin(), plan.captureTimes.end()), plan.captureTimes.end());

    plan.lastMs = showEnd - 1;
    if (options.toMs >= 0)
        plan.lastMs = std::min(plan.lastMs, options.toMs - 1);
    else if (!wholeStretch && !plan.captureTimes.empty())
        plan.lastMs = std::min(plan.lastMs, plan.captureTimes.back());

    const int fromMs = std::min(options.fromMs, showEnd - 1);
    const long firstVideoFrame = plan.grid.firstAtOrAfter(fromMs);
    plan.videoStartMs = plan.grid.timeOf(firstVideoFrame);
    plan.drawEveryFrame = options.noSeek;
    if (!options.videoFile.empty() || !options.partFile.empty()) {
        const long videoFrames = std::max(0L, plan.grid.lastAtOrBefore(plan.lastMs) + 1 - firstVideoFrame);
        plan.videoDurationMs = static_cast<int>(videoFrames * 1000 / options.fps);
    }
    return plan;
}

// Where the frames go while the show plays: PNG files, the video pipe and the contact sheet.
struct CaptureOutputs {
    std::unique_ptr<VideoExport> video;
    std::unique_ptr<ContactSheet> sheet;
    std::vector<unsigned char> rgb;  // the frame last read back, top row first
};

// Creates the frame folder and starts the video and the sheet the options ask for.
void openOutputs(const CaptureOptions& options, const CapturePlan& plan, CaptureOutputs& outputs)
{
    if (!options.frameTimes.empty())
#ifdef _WIN32
        mkdir(options.outDir.c_str());  // Windows folders have no mode bits
#else
        mkdir(options.outDir.c_str(), 0755);
#endif
    if (!options.videoFile.empty())
        outputs.video.reset(new VideoExport(options.videoFile, options.fps, "music.ogg", plan.videoStartMs, plan.videoDurationMs,
                                            options.lossless));
    else if (!options.partFile.empty())
        outputs.video = startPart(options.partFile, options.fps, options.fromMs, plan.lastMs + 1, options.lossless);
    if (!options.contactSheetFile.empty())
        outputs.sheet.reset(new ContactSheet(plan.entries, 7));
}

// Reads the drawn frame back and hands it to whatever wants it: a PNG for an --at time, the
// contact sheet in the middle of an entry, the video.
void writeFrame(const Demo& demo, const CaptureOptions& options, const CapturePlan& plan, int now, bool capture, bool toVideo,
                CaptureOutputs& outputs)
{
    if (!capture && !toVideo)
        return;
    readFrame(outputs.rgb);
    if (capture) {
        if (std::binary_search(plan.frameTimes.begin(), plan.frameTimes.end(), now))
            writeFramePng(outputs.rgb, framePath(options.outDir, now));
        const int entry = demo.currentEntry();
        if (outputs.sheet && entry < static_cast<int>(demo.timeline.size()) - 1 && now == entryMiddle(demo, entry))
            outputs.sheet->add(entry, outputs.rgb, std::to_string(entry) + "  " + entryName(entry) + "  " + clockText(now / 1000.0).substr(2));
    }
    if (toVideo)
        outputs.video->write(outputs.rgb);
}

// The frame with the scene left out, timed like a show frame: clear, overlay pass, present. Every
// frame costs at least this. It draws no random value and leaves the GL state as a show frame
// does, and the next frame clears, so the show's own frames come out the same.
double drawFloorFrame(Demo& demo)
{
    const auto began = Clock::now();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    demo.drawOverlays(0.5f);
    glFinish();
    SDL_GL_SwapBuffers();
    return msSince(began);
}

// Wall times (ms) of the frames a run went through, for --bench.
struct FrameTimes {
    std::vector<std::vector<double>> drawnMs;    // by timeline entry: frames drawn in full
    std::vector<std::vector<double>> skippedMs;  // by timeline entry: frames run for their effects alone
    std::vector<double> floorMs;                 // the floor frame after each drawn frame
};

// Whether the frame at show time now is drawn in full: it is written somewhere, or timed as part
// of the stretch. Every other frame before the stretch's end still runs, into one pixel.
bool drawsInFull(const CaptureOptions& options, const CapturePlan& plan, int now, bool capture)
{
    return plan.drawEveryFrame || capture || ((options.bench || !options.videoFile.empty() || !options.partFile.empty()) &&
                                              now >= plan.videoStartMs);
}

// Plays every frame from show time 0 to the plan's last time on the virtual clock, drawing in full
// those somebody sees and writing them as it goes; the others only run, so that every frame shows
// the show exactly as a full play does. For --bench, each drawn frame is followed by a floor frame
// at the same show time.
FrameTimes play(Demo& demo, const CaptureOptions& options, const CapturePlan& plan, CaptureOutputs& outputs)
{
    FrameTimes times{std::vector<std::vector<double>>(demo.timeline.size()), std::vector<std::vector<double>>(demo.timeline.size()), {}};
    std::size_t nextCapture = 0;
    Progress progress(0, plan.lastMs);

    for (long frame = 0;; ++frame) {
        const int now = plan.grid.timeOf(frame);
        if (now > plan.lastMs || !demo.running)
            break;

        holdTicks(static_cast<std::uint32_t>(now));
        const bool capture = nextCapture < plan.captureTimes.size() && plan.captureTimes[nextCapture] == now;
        const auto began = Clock::now();
        if (!demo.advanceTimeline())
            break;
        demo.handleEvents();
        if (!drawsInFull(options, plan, now, capture)) {
            drawSkippedFrame(demo);
            if (options.bench) {
                glFinish();
                times.skippedMs[demo.currentEntry()].push_back(msSince(began));
            }
            progress.update(now, frame + 1);
            continue;
        }
        demo.drawFrame();
        glFinish();
        double spent = msSince(began);

        const bool toVideo = outputs.video && now >= plan.videoStartMs;
        writeFrame(demo, options, plan, now, capture, toVideo, outputs);
        if (capture)
            ++nextCapture;

        const auto swapBegan = Clock::now();
        SDL_GL_SwapBuffers();
        spent += msSince(swapBegan);
        times.drawnMs[demo.currentEntry()].push_back(spent);
        if (options.bench)
            times.floorMs.push_back(drawFloorFrame(demo));
        progress.update(now, frame + 1);
    }
    progress.finish();
    return times;
}

// Closes the video and writes the contact sheet.
void finishOutputs(const CaptureOptions& options, CaptureOutputs& outputs)
{
    if (outputs.video)
        outputs.video->finish();
    if (outputs.sheet)
        outputs.sheet->write(options.contactSheetFile);
}

}  // namespace

int runCapture(Demo& demo, const CaptureOptions& options)
{
    const CapturePlan plan = planCapture(demo, options);
    CaptureOutputs outputs;
    openOutputs(options, plan, outputs);

    Tempo::setTickSource(heldTicks);
    holdTicks(0);
    demo.startClockAndMusic(false);
    const FrameTimes times = play(demo, options, plan, outputs);

    finishOutputs(options, outputs);
    if (options.bench) {
        printBench(times.drawnMs, times.floorMs, options.loadingMs);
        printSeekBench(times.drawnMs, times.skippedMs);
    }
    return 0;
}
