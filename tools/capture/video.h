// video.h -- H.264/MP4 export: raw frames piped into Debian's ffmpeg, with the music muxed in.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class VideoExport {
public:
    // Starts ffmpeg writing path at fps, with the music from musicFile starting at audioStartMs so
    // that video frame 0 and that audio sample coincide; the file lasts durationMs.
    // The picture is H.264 at -crf 18, or at -qp 0 when lossless (for checks that compare frames).
    // Throws std::runtime_error with a one-line reason when ffmpeg is missing or cannot start.
    VideoExport(const std::string& path, int fps, const std::string& musicFile, int audioStartMs, int durationMs,
                bool lossless = false);
    // Any ffmpeg command that reads raw frames from its standard input and writes path; a refusal
    // that is not empty is thrown instead, after the check for ffmpeg itself.
    VideoExport(const std::string& path, const std::string& refusal, const std::string& command);
    ~VideoExport();

    // Renames the file to finalPath once ffmpeg has finished it, so that a file by that name is
    // always a whole one.
    void renameWhenDone(const std::string& finalPath);

    void write(const std::vector<unsigned char>& rgb);  // one RGB frame of frameFormat's size, top row first
    void finish();  // closes the pipe; throws when ffmpeg failed

private:
    [[noreturn]] void fail(const std::string& what);

private:
    FILE* pipe;
    std::string path;
    std::string finalPath;  // empty: the file keeps its name
    std::string errorLog;  // ffmpeg's own messages, folded into our one-line error
};

// The ffmpeg command line for an export (exposed for tests).
std::string ffmpegCommand(const std::string& path, int fps, const std::string& musicFile, int audioStartMs, int durationMs,
                          bool lossless = false);

// Pieces of ffmpeg command lines, each starting with a space, shared by exports, parts and joins.
std::string rawFramesInput(int fps);                                        // raw RGB frames on standard input
std::string pictureCodec(bool lossless);                                    // H.264, -crf 18 or -qp 0
std::string musicInput(const std::string& musicFile, int audioStartMs);     // the music from that show time
std::string musicCodec();                                                   // AAC at 192 kbit/s

std::string shellQuoted(const std::string& text);  // single-quoted for sh: any file name passes unchanged
std::string seconds(int ms);                        // "12.345"

// True when an executable of that name is on PATH.
bool onPath(const std::string& program);
