// video.h -- H.264/MP4 export: raw frames piped into Debian's ffmpeg, with the music muxed in.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class VideoExport {
public:
    // Starts ffmpeg writing path at fps, with the music from musicFile starting at audioStartMs so
    // that video frame 0 and that audio sample coincide; the file lasts durationMs.
    // Throws std::runtime_error with a one-line reason when ffmpeg is missing or cannot start.
    VideoExport(const std::string& path, int fps, const std::string& musicFile, int audioStartMs, int durationMs);
    ~VideoExport();

    void write(const std::vector<unsigned char>& rgb);  // one RGB frame of frameFormat's size, top row first
    void finish();  // closes the pipe; throws when ffmpeg failed

private:
    [[noreturn]] void fail(const std::string& what);

private:
    FILE* pipe;
    std::string path;
    std::string errorLog;  // ffmpeg's own messages, folded into our one-line error
};

// The ffmpeg command line for an export (exposed for tests).
std::string ffmpegCommand(const std::string& path, int fps, const std::string& musicFile, int audioStartMs, int durationMs);

// True when an executable of that name is on PATH.
bool onPath(const std::string& program);
