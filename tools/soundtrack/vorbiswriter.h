// vorbiswriter.h -- encodes the finished stereo mix as an Ogg Vorbis stream through libvorbisenc.
#pragma once

#include <string>
#include <vector>

#include "mixdown.h"

constexpr float VORBIS_QUALITY = 0.5f;     // libvorbisenc VBR quality, -0.1 .. 1
constexpr int OGG_STREAM_SERIAL = 0x42656172;  // fixed, so that a build writes the same bytes every time

// The whole Ogg file for a 44100 Hz stereo mix; the same mix always gives the same bytes.
std::vector<unsigned char> encodeVorbis(const StereoMix& mix, float quality = VORBIS_QUALITY);

// Writes bytes to a file, replacing it; throws on failure.
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);
