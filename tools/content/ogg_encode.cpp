#include "tools/content/ogg_encode.h"

#include <cmath>
#include <cstring>

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

namespace {

void appendPage(const ogg_page& page, Bytes* out) {
    out->insert(out->end(), page.header, page.header + page.header_len);
    out->insert(out->end(), page.body, page.body + page.body_len);
}

struct MemoryReader {
    const Bytes* data;
    size_t at;
};

size_t memoryRead(void* buffer, size_t size, size_t count, void* source) {
    MemoryReader* r = static_cast<MemoryReader*>(source);
    size_t want = size * count, left = r->data->size() - r->at;
    if (want > left) want = left - left % (size ? size : 1);
    std::memcpy(buffer, r->data->data() + r->at, want);
    r->at += want;
    return size ? want / size : 0;
}

int memorySeek(void* source, ogg_int64_t offset, int whence) {
    MemoryReader* r = static_cast<MemoryReader*>(source);
    ogg_int64_t base = whence == SEEK_SET ? 0 : (whence == SEEK_CUR ? ogg_int64_t(r->at) : ogg_int64_t(r->data->size()));
    ogg_int64_t to = base + offset;
    if (to < 0 || to > ogg_int64_t(r->data->size())) return -1;
    r->at = size_t(to);
    return 0;
}

long memoryTell(void* source) { return long(static_cast<MemoryReader*>(source)->at); }

}  // namespace

bool encodeOggVorbis(const float* left, const float* right, size_t frames, int rate, float quality, uint32_t serial,
                     const OggTags& tags, Bytes* out, std::string* error) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, rate, quality) != 0) {
        vorbis_info_clear(&info);
        *error = "libvorbisenc refused the rate or quality";
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    if (!tags.title.empty()) vorbis_comment_add_tag(&comment, "TITLE", tags.title.c_str());
    if (!tags.artist.empty()) vorbis_comment_add_tag(&comment, "ARTIST", tags.artist.c_str());

    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_init(&stream, int(serial));

    out->clear();
    ogg_packet header, commentPacket, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    // The headers end on a page of their own, as Ogg Vorbis players expect.
    while (ogg_stream_flush(&stream, &page)) appendPage(page, out);

    const size_t chunk = 1024;
    size_t done = 0;
    bool finished = false;
    while (!finished) {
        size_t n = frames - done < chunk ? frames - done : chunk;
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, int(n));
            std::memcpy(buffer[0], left + done, n * sizeof(float));
            std::memcpy(buffer[1], right + done, n * sizeof(float));
        }
        vorbis_analysis_wrote(&dsp, int(n));  // 0 marks the end of the stream
        done += n;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) {
                    appendPage(page, out);
                    if (ogg_page_eos(&page)) finished = true;
                }
            }
        }
        if (n == 0) finished = true;
    }
    while (ogg_stream_flush(&stream, &page)) appendPage(page, out);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}

bool decodeOggVorbis(const Bytes& data, DecodedAudio* out, std::string* error) {
    MemoryReader reader{&data, 0};
    ov_callbacks callbacks{memoryRead, memorySeek, nullptr, memoryTell};
    OggVorbis_File file;
    if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) {
        *error = "not an Ogg Vorbis stream";
        return false;
    }
    vorbis_info* info = ov_info(&file, -1);
    out->channels = info->channels;
    out->rate = info->rate;
    out->frames = 0;
    out->peak = 0.0;
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&file, &pcm, 4096, &section);
        if (n == 0) break;
        if (n < 0) {
            ov_clear(&file);
            *error = "damaged Ogg Vorbis data";
            return false;
        }
        for (int c = 0; c < out->channels; ++c)
            for (long i = 0; i < n; ++i) out->peak = std::fmax(out->peak, std::fabs(double(pcm[c][i])));
        out->frames += n;
    }
    ov_clear(&file);
    return true;
}
