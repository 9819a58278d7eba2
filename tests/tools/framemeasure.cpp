// framemeasure.cpp -- measurements on captured PNG frames for the end-to-end tests: mean differences,
// what lies outside the picture, hard steps along edges and the width of text edges.
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

// Edge width of the letters in rows top..bottom, in pixels: along each row, every run that climbs
// from the background to a letter's full brightness; the width is how many pixels its 10 % to 90 %
// part takes, interpolated. Prints the median over all such rising edges.
int edgeWidth(const char* path, int top, int bottom)
{
    const Frame frame = load(path);
    std::vector<double> widths;
    for (int y = top; y < bottom && y < frame.height; ++y) {
        // This row's darkest and brightest levels: the background and the letters' full strength.
        int low = 255, high = 0;
        for (int x = 0; x < frame.width; ++x) {
            low = std::min(low, luma(frame.at(x, y)));
            high = std::max(high, luma(frame.at(x, y)));
        }
        if (high - low < 80)
            continue;
        const double at10 = low + 0.1 * (high - low), at90 = low + 0.9 * (high - low);
        for (int x = 1; x < frame.width; ++x) {
            if (luma(frame.at(x - 1, y)) > at10 || luma(frame.at(x, y)) <= at10)
                continue;
            // Climb until at or over 90 %, or until it stops rising (not a letter's full edge).
            int end = x;
            while (end + 1 < frame.width && luma(frame.at(end, y)) < at90 && luma(frame.at(end + 1, y)) > luma(frame.at(end, y)))
                ++end;
            if (luma(frame.at(end, y)) < at90)
                continue;
            const double start = x - 1 + (at10 - luma(frame.at(x - 1, y))) / double(luma(frame.at(x, y)) - luma(frame.at(x - 1, y)));
            const double finish = end - 1 + (at90 - luma(frame.at(end - 1, y))) / double(luma(frame.at(end, y)) - luma(frame.at(end - 1, y)));
            widths.push_back(std::max(0.0, finish - start));
        }
    }
    if (widths.empty()) {
        std::printf("none\n");
        return 1;
    }
    std::sort(widths.begin(), widths.end());
    std::printf("%.2f %zu\n", widths[widths.size() / 2], widths.size());
    return 0;
}

// Mean level of each channel over the rectangle at (left, top), width x height pixels.
int meanLevel(const char* path, int left, int top, int width, int height)
{
    const Frame frame = load(path);
    double sum = 0;
    long count = 0;
    for (int y = top; y < top + height && y < frame.height; ++y)
        for (int x = left; x < left + width && x < frame.width; ++x) {
            const unsigned char* p = frame.at(x, y);
            sum += p[0] + p[1] + p[2];
            count += 3;
        }
    std::printf("%.3f\n", count ? sum / count : 0.0);
    return count ? 0 : 1;
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
    if (command == "mean" && argc == 7)
        return meanLevel(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]));
    if (command == "edge-width" && argc == 5)
        return edgeWidth(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr,
                 "usage: framemeasure mean-diff A.png B.png [N]   mean |A - B shrunk N x N| per channel, levels\n"
                 "       framemeasure outside F.png X Y W H       brightest channel outside the rectangle\n"
                 "       framemeasure hard-steps F.png            steps over 48 levels per 1000 neighbour pairs\n"
                 "       framemeasure edge-width F.png TOP BOTTOM median 10-90 %% rise of letter edges, pixels\n"
                 "       framemeasure mean F.png X Y W H          mean level of the rectangle per channel\n");
    return 2;
}
