// capture.cpp -- the virtual-clock frame loop behind captures and benchmarks.
#include "capture.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <sys/stat.h>

#include <cairo.h>

#include "gl.h"
#include "scene.h"
#include "timeline.h"

namespace {

const int FRAME_WIDTH = 1024;
const int FRAME_HEIGHT = 768;

std::uint32_t virtualNow = 0;  // ms; the show clock the Demo reads

std::uint32_t virtualTicks()
{
    return virtualNow;
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

struct EntryTimes {
    std::vector<double> frameMs;
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t index = std::min(values.size() - 1, static_cast<std::size_t>(fraction * (values.size() - 1) + 0.5));
    return values[index];
}

void printBench(const std::vector<EntryTimes>& entries)
{
    std::printf("renderer: %s (%s)\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    std::printf("%-5s %-16s %7s %10s %10s\n", "entry", "name", "frames", "median ms", "p99 ms");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].frameMs.empty())
            continue;
        std::printf("%-5zu %-16s %7zu %10.2f %10.2f\n", i, entryName(static_cast<int>(i)).c_str(), entries[i].frameMs.size(),
                    percentile(entries[i].frameMs, 0.5), percentile(entries[i].frameMs, 0.99));
    }
    std::fflush(stdout);
}

std::string framePath(const std::string& dir, int ms)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", ms);
    return dir + "/" + name;
}

}  // namespace

std::vector<unsigned char> readFrame()
{
    std::vector<unsigned char> bottomUp(static_cast<std::size_t>(FRAME_WIDTH) * FRAME_HEIGHT * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, FRAME_WIDTH, FRAME_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<unsigned char> rgb(bottomUp.size());
    const std::size_t rowBytes = static_cast<std::size_t>(FRAME_WIDTH) * 3;
    for (int y = 0; y < FRAME_HEIGHT; ++y)
        std::copy_n(&bottomUp[(FRAME_HEIGHT - 1 - y) * rowBytes], rowBytes, &rgb[y * rowBytes]);
    return rgb;
}

void writeFramePng(const std::vector<unsigned char>& rgb, int width, int height, const std::string& path)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        const unsigned char* source = &rgb[static_cast<std::size_t>(y) * width * 3];
        for (int x = 0; x < width; ++x)
            row[x] = 0xFF000000u | (source[3 * x] << 16) | (source[3 * x + 1] << 8) | source[3 * x + 2];
    }
    cairo_surface_mark_dirty(surface);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}

int runCapture(Demo& demo, const CaptureOptions& options)
{
    const int showEnd = demo.timeline.back().start;
    int lastMs = showEnd - 1;
    if (options.toMs >= 0)
        lastMs = std::min(lastMs, options.toMs - 1);
    else if (!options.frameTimes.empty() && !options.bench)
        lastMs = std::min(lastMs, options.frameTimes.back());

    const int firstEntry = entryAt(demo, std::min(options.fromMs, showEnd - 1));
    const int startMs = demo.timeline[firstEntry].start;

    if (!options.frameTimes.empty())
        mkdir(options.outDir.c_str(), 0755);

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

    std::vector<EntryTimes> entryTimes(demo.timeline.size());
    std::size_t nextCapture = 0;
    while (nextCapture < options.frameTimes.size() && options.frameTimes[nextCapture] < startMs)
        ++nextCapture;

    const double msPerFrame = 1000.0 / options.fps;
    for (long frame = 0;; ++frame) {
        int now = startMs + static_cast<int>(frame * msPerFrame);
        // A requested time between two frames gets a frame of its own.
        if (nextCapture < options.frameTimes.size() && options.frameTimes[nextCapture] < now)
            now = options.frameTimes[nextCapture], --frame;
        if (now > lastMs || !demo.running)
            break;

        virtualNow = static_cast<std::uint32_t>(now);
        const auto began = std::chrono::steady_clock::now();
        if (!demo.advanceTimeline())
            break;
        demo.handleEvents();
        demo.drawFrame();
        if (nextCapture < options.frameTimes.size() && options.frameTimes[nextCapture] == now) {
            writeFramePng(readFrame(), FRAME_WIDTH, FRAME_HEIGHT, framePath(options.outDir, now));
            ++nextCapture;
        }
        SDL_GL_SwapBuffers();
        if (options.bench) {
            glFinish();
            const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - began;
            entryTimes[demo.currentEntry()].frameMs.push_back(spent.count());
        }
    }

    if (options.bench)
        printBench(entryTimes);
    return 0;
}
