// swapstamp.cpp -- preloaded into the program under test by the sync harness: stamps each buffer swap
// with the monotonic time it returned and a coarse signature of the picture it showed, so the
// program itself carries no measuring code.
//
// One line per swap to the file named by AVSYNC_FRAMES: seconds, then the mean level (0..255) of
// sixteen stretches of each of twelve rows across the picture, bottom row first.
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

#include <GL/gl.h>

namespace {
constexpr int ROWS = 12;
constexpr int STRETCHES = 16;
constexpr int MAX_WIDTH = 8192;  // pixels

FILE* out = nullptr;
void (*realSwap)() = nullptr;
unsigned char row[MAX_WIDTH * 3];

double monotonicSeconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// Mean levels of the back buffer along ROWS rows, STRETCHES to a row, read before the swap.
void signature(float* levels)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2] < MAX_WIDTH ? viewport[2] : MAX_WIDTH;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int r = 0; r < ROWS; ++r) {
        glReadPixels(viewport[0], viewport[1] + viewport[3] * (2 * r + 1) / (2 * ROWS), width, 1, GL_RGB, GL_UNSIGNED_BYTE, row);
        for (int s = 0; s < STRETCHES; ++s) {
            long sum = 0;
            const int from = width * s / STRETCHES, to = width * (s + 1) / STRETCHES;
            for (int x = from; x < to; ++x)
                sum += row[x * 3] + row[x * 3 + 1] + row[x * 3 + 2];
            levels[r * STRETCHES + s] = to > from ? sum / (3.0f * (to - from)) : 0.0f;
        }
    }
}
}  // namespace

extern "C" void SDL_GL_SwapBuffers(void)
{
    if (!realSwap) {
        realSwap = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
        const char* path = std::getenv("AVSYNC_FRAMES");
        out = path ? std::fopen(path, "w") : nullptr;
    }
    float levels[ROWS * STRETCHES];
    if (out)
        signature(levels);
    realSwap();
    if (!out)
        return;
    std::fprintf(out, "%.6f", monotonicSeconds());
    for (float level : levels)
        std::fprintf(out, " %.1f", level);
    std::fputc('\n', out);
    std::fflush(out);  // the harness ends the program with a signal
}
