// video.cpp -- the ffmpeg pipe behind --video.
#include "video.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "frames.h"

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string seconds(int ms)
{
    std::ostringstream out;
    out << ms / 1000 << '.' << (ms % 1000) / 100 << (ms % 100) / 10 << ms % 10;
    return out.str();
}

std::string rawFramesInput(int fps)
{
    std::ostringstream input;
    input << " -f rawvideo -pixel_format rgb24 -video_size " << frameFormat.width << 'x' << frameFormat.height << " -framerate " << fps
          << " -i pipe:0";
    return input.str();
}

std::string pictureCodec(bool lossless)
{
    return std::string(" -c:v libx264 -preset veryfast ") + (lossless ? "-qp 0" : "-crf 18") + " -pix_fmt yuv420p";
}

std::string musicInput(const std::string& musicFile, int audioStartMs)
{
    return " -ss " + seconds(audioStartMs) + " -i " + shellQuoted(musicFile);
}

std::string musicCodec()
{
    return " -c:a aac -b:a 192k";
}

bool onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

std::string ffmpegCommand(const std::string& path, int fps, const std::string& musicFile, int audioStartMs, int durationMs,
                          bool lossless)
{
    std::ostringstream command;
    command << "ffmpeg -hide_banner -loglevel error -nostdin -y" << rawFramesInput(fps) << musicInput(musicFile, audioStartMs)
            << " -map 0:v:0 -map 1:a:0" << pictureCodec(lossless) << musicCodec() << " -t " << seconds(durationMs)
            << " -movflags +faststart " << shellQuoted(path);
    return command.str();
}

VideoExport::VideoExport(const std::string& path, int fps, const std::string& musicFile, int audioStartMs, int durationMs,
                         bool lossless)
    : VideoExport(path, (access(musicFile.c_str(), R_OK) == 0 ? "" : "cannot read " + musicFile),
                  ffmpegCommand(path, fps, musicFile, audioStartMs, durationMs, lossless))
{
}

VideoExport::VideoExport(const std::string& path, const std::string& refusal, const std::string& command)
    : pipe(nullptr), path(path)
{
    if (!onPath("ffmpeg"))
        throw std::runtime_error("ffmpeg not found: install Debian's ffmpeg package to export video");
    if (!refusal.empty())
        throw std::runtime_error(refusal);
    std::signal(SIGPIPE, SIG_IGN);  // a dying ffmpeg must turn into an error, not kill us
    char logName[] = "/tmp/bearings-ffmpeg-XXXXXX";
    const int log = mkstemp(logName);
    if (log >= 0)
        close(log);
    errorLog = logName;
    pipe = popen((command + " 2>" + shellQuoted(errorLog)).c_str(), "w");
    if (!pipe)
        throw std::runtime_error("cannot start ffmpeg");
}

VideoExport::~VideoExport()
{
    if (pipe)
        pclose(pipe);
    if (!errorLog.empty())
        std::remove(errorLog.c_str());
}

void VideoExport::write(const std::vector<unsigned char>& rgb)
{
    if (std::fwrite(rgb.data(), 1, rgb.size(), pipe) != rgb.size())
        fail("ffmpeg stopped taking frames");
}

void VideoExport::finish()
{
    const int status = pclose(pipe);
    pipe = nullptr;
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail("ffmpeg failed");
    if (!finalPath.empty() && std::rename(path.c_str(), finalPath.c_str()) != 0)
        throw std::runtime_error("cannot rename " + path + " to " + finalPath);
}

void VideoExport::renameWhenDone(const std::string& finalPathAfter)
{
    finalPath = finalPathAfter;
}

void VideoExport::fail(const std::string& what)
{
    if (pipe) {
        pclose(pipe);
        pipe = nullptr;
    }
    // ffmpeg's last message says why; keep it on our one line.
    std::ifstream log(errorLog);
    std::string line, last;
    while (std::getline(log, line))
        if (!line.empty())
            last = line;
    throw std::runtime_error(what + " writing " + path + (last.empty() ? "" : ": " + last));
}
