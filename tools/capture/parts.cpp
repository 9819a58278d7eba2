// parts.cpp -- parts of an export: writing one, checking a set of them and joining them under the music.
#include "parts.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "framegrid.h"

namespace {

const char* const COMMENT_HEAD = "bearings part:";

std::string stretchText(int fromMs, int toMs)
{
    return std::to_string(fromMs) + "-" + std::to_string(toMs) + " ms";
}

std::string describe(const PartInfo& part)
{
    return std::filesystem::path(part.file).filename().string() + " (" + stretchText(part.fromMs, part.toMs) + ")";
}

long framesIn(int fps, int fromMs, int toMs)
{
    const FrameGrid grid{fps};
    return std::max(0L, grid.firstAtOrAfter(toMs) - grid.firstAtOrAfter(fromMs));
}

// Runs a command and returns what it printed; throws with the reason when it fails.
std::string commandOutput(const std::string& command, const std::string& what)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot start " + what);
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = pclose(pipe);
    if (status != 0) {
        // The tool's last message says why.
        std::istringstream lines(output);
        std::string line, last;
        while (std::getline(lines, line))
            if (!line.empty())
                last = line;
        throw std::runtime_error(what + " failed" + (last.empty() ? "" : ": " + last));
    }
    return output;
}

// A part file's comment and frame count, from ffprobe.
PartInfo probePart(const std::string& file)
{
    const std::string output = commandOutput("ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames:format_tags=comment"
                                             " -of default=noprint_wrappers=1 " + shellQuoted(file),
                                             "reading " + file);
    PartInfo part;
    std::istringstream lines(output);
    std::string line;
    bool tagged = false;
    long frames = -1;
    while (std::getline(lines, line)) {
        if (line.rfind("nb_frames=", 0) == 0)
            frames = std::atol(line.c_str() + 10);
        else if (line.rfind("TAG:comment=", 0) == 0)
            tagged = parsePartComment(line.substr(12), part);
    }
    if (!tagged || frames < 0)
        throw std::runtime_error(file + " is not a part written by bearings-capture --part");
    part.file = file;
    part.frames = frames;
    return part;
}

}  // namespace

std::string partComment(int fromMs, int toMs, int fps, bool lossless)
{
    std::ostringstream text;
    text << COMMENT_HEAD << " from " << fromMs << " to " << toMs << " ms at " << fps << " fps, "
         << (lossless ? "lossless" : "h264");
    return text.str();
}

bool parsePartComment(const std::string& comment, PartInfo& part)
{
    char encoding[16] = "";
    const std::string format = std::string(COMMENT_HEAD) + " from %d to %d ms at %d fps, %15s";
    if (std::sscanf(comment.c_str(), format.c_str(), &part.fromMs, &part.toMs, &part.fps, encoding) != 4)
        return false;
    part.lossless = std::string(encoding) == "lossless";
    return part.fps > 0 && part.fromMs <= part.toMs && (part.lossless || std::string(encoding) == "h264");
}

std::unique_ptr<VideoExport> startPart(const std::string& path, int fps, int fromMs, int toMs, bool lossless)
{
    // Named so that a join never takes it for a part while it is unfinished.
    const std::string unfinished = path + ".unfinished";
    std::ostringstream command;
    command << "ffmpeg -hide_banner -loglevel error -nostdin -y" << rawFramesInput(fps) << " -map 0:v:0" << pictureCodec(lossless)
            << " -metadata comment=" << shellQuoted(partComment(fromMs, toMs, fps, lossless)) << " -movflags +faststart -f mp4 "
            << shellQuoted(unfinished);
    std::unique_ptr<VideoExport> part(new VideoExport(unfinished, "", command.str()));
    part->renameWhenDone(path);
    return part;
}

std::vector<PartInfo> orderParts(std::vector<PartInfo> parts, int fromMs, int toMs)
{
    if (parts.empty())
        throw std::runtime_error("no parts to join");
    std::sort(parts.begin(), parts.end(), [](const PartInfo& a, const PartInfo& b) {
        return a.fromMs != b.fromMs ? a.fromMs < b.fromMs : a.toMs < b.toMs;
    });
    const PartInfo& first = parts.front();
    for (const PartInfo& part : parts) {
        if (part.fps != first.fps)
            throw std::runtime_error(describe(part) + " is at " + std::to_string(part.fps) + " fps, " + describe(first) + " at " +
                                     std::to_string(first.fps) + " fps");
        if (part.lossless != first.lossless)
            throw std::runtime_error(describe(part) + " and " + describe(first) + " differ in encoding (lossless and H.264)");
        const long expected = framesIn(part.fps, part.fromMs, part.toMs);
        if (part.frames != expected)
            throw std::runtime_error(describe(part) + " holds " + std::to_string(part.frames) + " frames; its stretch has " +
                                     std::to_string(expected) + ": an unfinished or damaged part");
    }
    // Compared in frames: stretches whose ends fall between the same two frames still meet.
    const FrameGrid grid{first.fps};
    if (fromMs >= 0 && grid.firstAtOrAfter(first.fromMs) > grid.firstAtOrAfter(fromMs))
        throw std::runtime_error("missing part: nothing holds " + stretchText(fromMs, first.fromMs) + ", before " + describe(first));
    if (fromMs >= 0 && grid.firstAtOrAfter(first.fromMs) < grid.firstAtOrAfter(fromMs))
        throw std::runtime_error(describe(first) + " starts before the stretch to join, at " + std::to_string(fromMs) + " ms");
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const PartInfo& before = parts[i - 1];
        const PartInfo& after = parts[i];
        const long end = grid.firstAtOrAfter(before.toMs);
        const long start = grid.firstAtOrAfter(after.fromMs);
        if (start > end)
            throw std::runtime_error("missing part: nothing holds " + stretchText(before.toMs, after.fromMs) + ", between " +
                                     describe(before) + " and " + describe(after));
        if (start < end)
            throw std::runtime_error("overlapping parts: " + describe(before) + " and " + describe(after) + " both hold " +
                                     stretchText(after.fromMs, std::min(before.toMs, after.toMs)));
    }
    const PartInfo& last = parts.back();
    if (toMs >= 0 && grid.firstAtOrAfter(last.toMs) < grid.firstAtOrAfter(toMs))
        throw std::runtime_error("missing part: nothing holds " + stretchText(last.toMs, toMs) + ", after " + describe(last));
    if (toMs >= 0 && grid.firstAtOrAfter(last.toMs) > grid.firstAtOrAfter(toMs))
        throw std::runtime_error(describe(last) + " ends after the stretch to join, at " + std::to_string(toMs) + " ms");
    return parts;
}

void joinParts(const std::string& path, const std::string& dir, int fromMs, int toMs)
{
    if (!onPath("ffmpeg") || !onPath("ffprobe"))
        throw std::runtime_error("ffmpeg not found: install Debian's ffmpeg package to join parts");
    if (access("music.ogg", R_OK) != 0)
        throw std::runtime_error("cannot read music.ogg");
    std::error_code error;
    std::vector<PartInfo> parts;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".mp4" ||
            std::filesystem::equivalent(entry.path(), path, error))
            continue;
        parts.push_back(probePart(entry.path().string()));
    }
    if (error)
        throw std::runtime_error("cannot read the parts folder " + dir + ": " + error.message());
    parts = orderParts(parts, fromMs, toMs);

    // The concat demuxer reads the list; names in it are absolute, single-quoted its way.
    char listName[] = "/tmp/bearings-join-XXXXXX";
    const int listFd = mkstemp(listName);
    if (listFd < 0)
        throw std::runtime_error("cannot write the list of parts");
    close(listFd);
    {
        std::ofstream list(listName);
        for (const PartInfo& part : parts) {
            std::string quoted;
            for (char c : std::filesystem::absolute(part.file).string())
                quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
            list << "file '" << quoted << "'\n";
        }
    }
    const FrameGrid grid{parts.front().fps};
    const long firstFrame = grid.firstAtOrAfter(parts.front().fromMs);
    long frames = 0;
    for (const PartInfo& part : parts)
        frames += part.frames;
    const int durationMs = static_cast<int>(frames * 1000 / grid.fps);
    std::ostringstream command;
    command << "ffmpeg -hide_banner -loglevel error -nostdin -y -f concat -safe 0 -i " << shellQuoted(listName)
            << musicInput("music.ogg", grid.timeOf(firstFrame)) << " -map 0:v:0 -map 1:a:0 -c:v copy" << musicCodec() << " -t "
            << seconds(durationMs) << " -movflags +faststart " << shellQuoted(path);
    try {
        commandOutput(command.str(), "joining into " + path);
    } catch (...) {
        std::remove(listName);
        throw;
    }
    std::remove(listName);
}
