// parts.h -- an export made in parts: each part one stretch's picture, and the join that puts the
// parts end to end under the music.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "video.h"

// What a part says about itself, in its MP4 comment.
struct PartInfo {
    std::string file;
    int fromMs = 0;         // the stretch of show time [fromMs, toMs) it holds
    int toMs = 0;
    int fps = 0;            // virtual frames per second
    long frames = 0;        // frames the file holds (its own count, which the stretch must match)
    bool lossless = false;  // H.264 at -qp 0 rather than -crf 18
};

// The comment written into a part, and read back; false when the text is not a part's.
std::string partComment(int fromMs, int toMs, int fps, bool lossless);
bool parsePartComment(const std::string& comment, PartInfo& part);

// Starts writing the picture of frames [fromMs, toMs) at fps, no music, under a temporary name
// beside path; finish() gives it the name path, so a file by that name is always a whole part.
std::unique_ptr<VideoExport> startPart(const std::string& path, int fps, int fromMs, int toMs, bool lossless);

// The parts in show order, once it is sure that they hold every frame from the first part's start
// to the last one's end exactly once, at one frame rate and in one encoding, each as many frames as
// its stretch has; with fromMs and toMs not -1, that they hold [fromMs, toMs). Throws
// std::runtime_error naming the gap, overlap or mismatch otherwise.
std::vector<PartInfo> orderParts(std::vector<PartInfo> parts, int fromMs, int toMs);

// --join: every part file (*.mp4) in dir, checked by orderParts, into one MP4 at path: the pictures
// end to end, copied, not encoded again, and the music laid under them once, from the show time of
// the first frame, exactly as a one-process export lays it.
void joinParts(const std::string& path, const std::string& dir, int fromMs, int toMs);
