// frames.h -- reading the rendered frame back and writing pictures of it.
#pragma once

#include <string>
#include <vector>

#include "picture.h"

// The size frames, videos and thumbnails come out at, and how many drawn pixels each way are
// averaged into one of theirs (the output is drawn that many times larger). Set once, before the
// show opens its display; by default the show's own 1024x768, one to one.
struct FrameFormat {
    int width = DESIGN_WIDTH;  // pixels
    int height = DESIGN_HEIGHT;
    int supersample = 1;  // 1 to 4
};
extern FrameFormat frameFormat;

// Reads the back buffer into top-row-first RGB bytes (frameFormat.width x height x 3), each pixel the
// mean of its supersample x supersample drawn pixels.
void readFrame(std::vector<unsigned char>& rgb);

void writeFramePng(const std::vector<unsigned char>& rgb, const std::string& path);

// Collects labelled quarter-size thumbnails and writes them as one sheet.
class ContactSheet {
public:
    ContactSheet(int thumbnailCount, int columns);
    void add(int slot, const std::vector<unsigned char>& rgb, const std::string& label);
    void write(const std::string& path) const;

private:
    int columns;
    int rows;
    std::vector<unsigned char> pixels;  // RGB, sheet-sized
    std::vector<std::string> labels;
    int sheetWidth() const;
    int sheetHeight() const;
};
