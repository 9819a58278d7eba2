// testfiles.h -- scratch folders and tiny image files for tests that load assets.
#pragma once

#include <string>

// A fresh, empty folder under the system's temporary directory; removed by ~ScratchFolder.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string path(const std::string& name) const { return folder + "/" + name; }
    const std::string& folderPath() const { return folder; }

private:
    std::string folder;
};

// Writes a width x height 24-bit BMP filled with one colour.
void writeSolidBmp(const std::string& path, int width, int height, unsigned char r, unsigned char g, unsigned char b);
