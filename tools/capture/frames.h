// frames.h -- reading the rendered frame back and writing pictures of it.
#pragma once

#include <string>
#include <vector>

constexpr int FRAME_WIDTH = 1024;   // pixels, the show's video mode
constexpr int FRAME_HEIGHT = 768;

// Reads the back buffer into top-row-first RGB bytes (FRAME_WIDTH x FRAME_HEIGHT x 3).
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
