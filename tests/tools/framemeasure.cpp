// framemeasure.cpp -- measurements on captured PNG frames for the end-to-end tests: mean differences,
// what lies outside the picture and hard steps along edges.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // top row first
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

Frame load(const char* path)
{
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "framemeasure: cannot read %s\n", path);
        std::exit(2);
    }
    Frame frame;
    frame.width = cairo_image_surface_get_width(surface);
    frame.height = cairo_image_surface_get_height(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    frame.rgb.resize(static_cast<std::size_t>(frame.width) * frame.height * 3);
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, data + static_cast<std::size_t>(y) * stride + 4 * x, 4);
            unsigned char* out = &frame.rgb[(static_cast<std::size_t>(y) * frame.width + x) * 3];
            out[0] = (pixel >> 16) & 255, out[1] = (pixel >> 8) & 255, out[2] = pixel & 255;
        }
    cairo_surface_destroy(surface);
    return frame;
}

// Each pixel the mean of its n x n block.
Frame shrink(const Frame& big, int n)
{
    Frame small;
    small.width = big.width / n, small.height = big.height / n;
    small.rgb.resize(static_cast<std::size_t>(small.width) * small.height * 3);
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < n; ++dy)
                    for (int dx = 0; dx < n; ++dx)
                        sum += big.at(n * x + dx, n * y + dy)[c];
                small.rgb[(static_cast<std::size_t>(y) * small.width + x) * 3 + c] = static_cast<unsigned char>((sum + n * n / 2) / (n * n));
            }
    return small;
}

int luma(const unsigned char* p) { return (299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000; }

// Mean absolute difference per channel, in levels, of b shrunk by n against a.
int meanDiff(const char* a, const char* b, int n)
{
    const Frame first = load(a), second = shrink(load(b), n);
    if (first.width != second.width || first.height != second.height) {
        std::fprintf(stderr, "framemeasure: sizes differ\n");
        return 2;
    }
    double sum = 0;
    for (std::size_t i = 0; i < first.rgb.size(); ++i)
        sum += std::abs(int(first.rgb[i]) - int(second.rgb[i]));
    std::printf("%.3f\n", sum / first.rgb.size());
    return 0;
}

// The brightest channel value outside the rectangle x, y, width, height (top-left origin).
int outside(const char* path, int left, int top, int width, int height)
{
    const Frame frame = load(path);
    int brightest = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            if (x < left || x >= left + width || y < top || y >= top + height)
                for (int c = 0; c < 3; ++c)
                    brightest = std::max(brightest, int(frame.at(x, y)[c]));
    std::printf("%d\n", brightest);
    return 0;
}

// Hard steps: neighbouring pixels (across or down) whose brightness differs by more than 48 levels,
// per thousand pixel pairs. An aliased edge is a staircase of such steps; an antialiased one spreads
// each step over intermediate pixels.
int hardSteps(const char* path)
{
    const Frame frame = load(path);
    long steps = 0, pairs = 0;
    for (int y = 0; y + 1 < frame.height; ++y)
        for (int x = 0; x + 1 < frame.width; ++x) {
            const int here = luma(frame.at(x, y));
            steps += std::abs(here - luma(frame.at(x + 1, y))) > 48;
            steps += std::abs(here - luma(frame.at(x, y + 1))) > 48;
            pairs += 2;
        }
    std::printf("%.3f\n", 1000.0 * steps / pairs);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "mean-diff" && (argc == 4 || argc == 5))
        return meanDiff(argv[2], argv[3], argc == 5 ? std::atoi(argv[4]) : 1);
    if (command == "outside" && argc == 7)
        return outside(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]));
    if (command == "hard-steps" && argc == 3)
        return hardSteps(argv[2]);
    std::fprintf(stderr,
                 "usage: framemeasure mean-diff A.png B.png [N]   mean |A - B shrunk N x N| per channel, levels\n"
                 "       framemeasure outside F.png X Y W H       brightest channel outside the rectangle\n"
                 "       framemeasure hard-steps F.png            steps over 48 levels per 1000 neighbour pairs\n");
    return 2;
}
