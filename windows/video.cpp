// video.cpp -- the Windows capture tool has no video export: it would pipe frames into ffmpeg.
#include "video.h"

#include <stdexcept>

VideoExport::VideoExport(const std::string&, int, const std::string&, int, int) : pipe(nullptr)
{
    fail("video export is not in the Windows build; capture frames with --at instead");
}

VideoExport::~VideoExport() = default;

void VideoExport::write(const std::vector<unsigned char>&)
{
}

void VideoExport::finish()
{
}

void VideoExport::fail(const std::string& what)
{
    throw std::runtime_error(what);
}

bool onPath(const std::string&)
{
    return false;
}
