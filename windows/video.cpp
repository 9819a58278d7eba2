// video.cpp -- the Windows capture tool has no video export, parts or joins: they pipe frames into
// ffmpeg through a POSIX shell. Each refuses with one line; frames come with --at instead.
#include "parts.h"
#include "video.h"

#include <stdexcept>

namespace {
const char* const NO_VIDEO = "video export is not in the Windows build; capture frames with --at instead";
}

VideoExport::VideoExport(const std::string&, int, const std::string&, int, int, bool) : pipe(nullptr)
{
    fail(NO_VIDEO);
}

VideoExport::VideoExport(const std::string&, const std::string&, const std::string&) : pipe(nullptr)
{
    fail(NO_VIDEO);
}

VideoExport::~VideoExport() = default;

void VideoExport::renameWhenDone(const std::string&)
{
}

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

std::unique_ptr<VideoExport> startPart(const std::string&, int, int, int, bool)
{
    throw std::runtime_error("exports in parts are not in the Windows build; capture frames with --at instead");
}

void joinParts(const std::string&, const std::string&, int, int)
{
    throw std::runtime_error("joining parts is not in the Windows build");
}
