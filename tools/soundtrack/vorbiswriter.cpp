// vorbiswriter.cpp -- Ogg Vorbis encoding of the mix, in memory, with a fixed stream serial.
#include "vorbiswriter.h"

#include <algorithm>
#include <cstdio>

#include <vorbis/vorbisenc.h>

#include "dsp.h"
#include "exception.h"

namespace {

constexpr int ENCODE_BLOCK_FRAMES = 4096;  // frames handed to the encoder per call

void appendPage(std::vector<unsigned char>& bytes, const ogg_page& page)
{
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
}

// Moves every finished block through analysis and the bitrate manager into pages.
void drainEncoder(vorbis_dsp_state& dsp, vorbis_block& block, ogg_stream_state& stream, std::vector<unsigned char>& bytes)
{
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page))
                appendPage(bytes, page);
        }
    }
}

}  // namespace

std::vector<unsigned char> encodeVorbis(const StereoMix& mix, float quality)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, SAMPLE_RATE, quality) != 0) {
        vorbis_info_clear(&info);
        THROW_EXCEPTION("Vorbis encoder refused the settings");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Bearings");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, OGG_STREAM_SERIAL);

    std::vector<unsigned char> bytes;
    bytes.reserve(static_cast<std::size_t>(mix.frames() / SAMPLE_RATE + 1) * 24000);
    ogg_packet header, commentHeader, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    // The audio starts on a fresh page, as Vorbis players expect.
    while (ogg_stream_flush(&stream, &page))
        appendPage(bytes, page);

    for (std::int64_t first = 0; first < mix.frames(); first += ENCODE_BLOCK_FRAMES) {
        const int count = static_cast<int>(std::min<std::int64_t>(ENCODE_BLOCK_FRAMES, mix.frames() - first));
        float** channels = vorbis_analysis_buffer(&dsp, count);
        std::copy(mix.left.begin() + first, mix.left.begin() + first + count, channels[0]);
        std::copy(mix.right.begin() + first, mix.right.begin() + first + count, channels[1]);
        vorbis_analysis_wrote(&dsp, count);
        drainEncoder(dsp, block, stream, bytes);
    }
    vorbis_analysis_wrote(&dsp, 0);  // end of stream
    drainEncoder(dsp, block, stream, bytes);
    while (ogg_stream_flush(&stream, &page))
        appendPage(bytes, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return bytes;
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        THROW_EXCEPTION("Cannot write " + path);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written)
        THROW_EXCEPTION("Cannot write " + path);
}
