// framemeasure.cpp -- measurements on captured PNG frames for the end-to-end tests: mean differences,
// what lies outside the picture and hard steps along edges.
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// A PNG as cairo decodes it: 32-bit pixels, 0xAARRGGBB, top row first.
class Frame {
public:
    explicit Frame(const char* path) : surface_(cairo_image_surface_create_from_png(path), cairo_surface_destroy)
    {
        if (cairo_surface_status(surface_.get()) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "framemeasure: cannot read %s\n", path);
            std::exit(2);
        }
        width = cairo_image_surface_get_width(surface_.get());
        height = cairo_image_surface_get_height(surface_.get());
        stride_ = cairo_image_surface_get_stride(surface_.get());
        data_ = cairo_image_surface_get_data(surface_.get());
    }
    // Channel c (0 red, 1 green, 2 blue) of the pixel at x, y, in levels.
    int at(int x, int y, int c) const
    {
        std::uint32_t pixel;
        std::memcpy(&pixel, data_ + static_cast<std::size_t>(y) * stride_ + 4 * x, 4);
        return (pixel >> (16 - 8 * c)) & 255;
    }
    int luma(int x, int y) const { return (299 * at(x, y, 0) + 587 * at(x, y, 1) + 114 * at(x, y, 2)) / 1000; }

    int width = 0, height = 0;

private:
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;
    int stride_ = 0;  // bytes
    const unsigned char* data_ = nullptr;
};

// Mean absolute difference per channel, in levels, of b shrunk by n x n (each pixel the rounded
// mean of its block) against a.
int meanDiff(const char* a, const char* b, int n)
{
    const Frame first(a), second(b);
    if (first.width != second.width / n || first.height != second.height / n) {
        std::fprintf(stderr, "framemeasure: sizes differ\n");
        return 2;
    }
    double sum = 0;
    for (int y = 0; y < first.height; ++y)
        for (int x = 0; x < first.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int block = 0;
                for (int dy = 0; dy < n; ++dy)
                    for (int dx = 0; dx < n; ++dx)
                        block += second.at(n * x + dx, n * y + dy, c);
                sum += std::abs(first.at(x, y, c) - (block + n * n / 2) / (n * n));
            }
    std::printf("%.3f\n", sum / (3.0 * first.width * first.height));
    return 0;
}

// The brightest channel value outside the rectangle x, y, width, height (top-left origin).
int outside(const char* path, int left, int top, int width, int height)
{
    const Frame frame(path);
    int brightest = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            if (x < left || x >= left + width || y < top || y >= top + height)
                for (int c = 0; c < 3; ++c)
                    brightest = std::max(brightest, frame.at(x, y, c));
    std::printf("%d\n", brightest);
    return 0;
}

// Hard steps: neighbouring pixels (across or down) whose brightness differs by more than 48 levels,
// per thousand pixel pairs. An aliased edge is a staircase of such steps; an antialiased one spreads
// each step over intermediate pixels.
int hardSteps(const char* path)
{
    const Frame frame(path);
    long steps = 0, pairs = 0;
    for (int y = 0; y + 1 < frame.height; ++y)
        for (int x = 0; x + 1 < frame.width; ++x) {
            const int here = frame.luma(x, y);
            steps += std::abs(here - frame.luma(x + 1, y)) > 48;
            steps += std::abs(here - frame.luma(x, y + 1)) > 48;
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
