// recorder.cpp -- records a sound server's source for the sync harness, with the monotonic time at
// which each stretch was captured: raw signed 16-bit stereo at 44100 Hz to one file, and one line
// "frames-so-far seconds" per read to another, the time being that of the last frame read.
// usage: bearings-avsync-recorder SOURCE RAW_FILE TIMES_FILE   (stops on SIGTERM or SIGINT)
#include <pulse/error.h>
#include <pulse/simple.h>
#include <signal.h>
#include <time.h>

#include <cstdio>
#include <cstdint>

namespace {
constexpr int RATE = 44100;             // frames per second
constexpr int CHUNK_FRAMES = RATE / 100;  // 10 ms a read
volatile sig_atomic_t stopping = 0;

void stop(int) { stopping = 1; }

double monotonicSeconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE RAW_FILE TIMES_FILE\n", argv[0]);
        return 2;
    }
    const pa_sample_spec format = {PA_SAMPLE_S16LE, RATE, 2};
    pa_buffer_attr attributes;
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(-1);
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = CHUNK_FRAMES * 4;  // small fragments: each read is stamped close to its capture
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "bearings-avsync", PA_STREAM_RECORD, argv[1], "monitor", &format,
                                      nullptr, &attributes, &error);
    if (!stream) {
        std::fprintf(stderr, "recorder: %s\n", pa_strerror(error));
        return 1;
    }
    FILE* raw = std::fopen(argv[2], "wb");
    FILE* times = std::fopen(argv[3], "w");
    if (!raw || !times) {
        std::fprintf(stderr, "recorder: cannot write %s or %s\n", argv[2], argv[3]);
        return 1;
    }
    signal(SIGTERM, stop);
    signal(SIGINT, stop);
    static std::int16_t chunk[CHUNK_FRAMES * 2];
    std::uint64_t frames = 0;
    while (!stopping) {
        if (pa_simple_read(stream, chunk, sizeof chunk, &error) < 0)
            break;
        const double now = monotonicSeconds();
        // What is still waiting to be read was captured after the last frame we now hold.
        const pa_usec_t waiting = pa_simple_get_latency(stream, &error);
        frames += CHUNK_FRAMES;
        std::fwrite(chunk, sizeof chunk, 1, raw);
        std::fprintf(times, "%llu %.6f\n", static_cast<unsigned long long>(frames), now - waiting * 1e-6);
    }
    std::fclose(raw);
    std::fclose(times);
    pa_simple_free(stream);
    return 0;
}
