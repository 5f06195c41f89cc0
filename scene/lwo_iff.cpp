// Bounded big-endian reads over an IFF image.
#include <cstring>

#include "scene/lwo_read_state.h"

IffSpan iffSpanAt(const uint8_t* data, uint32_t begin, uint32_t end) {
    IffSpan span;
    span.data = data;
    span.pos = begin;
    span.end = end;
    span.overrun = false;
    return span;
}

uint32_t iffLeft(const IffSpan* span) {
    return span->pos < span->end ? span->end - span->pos : 0;
}

static bool take(IffSpan* span, uint32_t count) {
    if (iffLeft(span) < count) {
        span->overrun = true;
        span->pos = span->end;
        return false;
    }
    return true;
}

void iffSkip(IffSpan* span, uint32_t count) {
    if (take(span, count)) span->pos += count;
}

uint8_t iffU1(IffSpan* span) {
    if (!take(span, 1)) return 0;
    return span->data[span->pos++];
}

uint16_t iffU2(IffSpan* span) {
    if (!take(span, 2)) return 0;
    const uint8_t* p = span->data + span->pos;
    span->pos += 2;
    return uint16_t((p[0] << 8) | p[1]);
}

uint32_t iffU4(IffSpan* span) {
    if (!take(span, 4)) return 0;
    const uint8_t* p = span->data + span->pos;
    span->pos += 4;
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

float iffF4(IffSpan* span) {
    uint32_t bits = iffU4(span);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

uint32_t iffVX(IffSpan* span) {
    if (!take(span, 1)) return 0;
    if (span->data[span->pos] != 0xFF) return iffU2(span);
    return iffU4(span) & 0x00FFFFFFu;
}

bool iffString(IffSpan* span, char* out, uint32_t capacity, bool* truncated) {
    *truncated = false;
    if (capacity > 0) out[0] = 0;
    const uint8_t* begin = span->data + span->pos;
    const void* nul = memchr(begin, 0, iffLeft(span));
    if (!nul) {
        span->overrun = true;
        span->pos = span->end;
        return false;
    }
    uint32_t length = uint32_t(static_cast<const uint8_t*>(nul) - begin);
    uint32_t kept = length;
    if (capacity == 0 || kept > capacity - 1) {
        kept = capacity > 0 ? capacity - 1 : 0;
        *truncated = true;
    }
    if (capacity > 0) {
        memcpy(out, begin, kept);
        out[kept] = 0;
    }
    uint32_t used = length + 1;
    used += used & 1;
    // A pad byte missing at the very end of the parent is tolerated.
    span->pos += used <= iffLeft(span) ? used : iffLeft(span);
    return true;
}

IffChunkStatus iffNextChunk(IffSpan* parent, int sizeBytes, IffChunk* chunk) {
    uint32_t left = iffLeft(parent);
    if (left == 0) return IFF_CHUNK_END;
    uint32_t header = 4 + uint32_t(sizeBytes);
    if (left < header) return IFF_CHUNK_BAD;
    chunk->offset = parent->pos;
    chunk->id = iffU4(parent);
    uint32_t size = sizeBytes == 4 ? iffU4(parent) : iffU2(parent);
    if (size > iffLeft(parent)) {
        parent->pos -= header;  // leave the offset of the bad chunk for the message
        return IFF_CHUNK_BAD;
    }
    chunk->body = iffSpanAt(parent->data, parent->pos, parent->pos + size);
    uint32_t step = size + (size & 1);
    parent->pos += step <= iffLeft(parent) ? step : iffLeft(parent);
    return IFF_CHUNK_OK;
}

void iffChunkName(uint32_t id, char out[5]) {
    for (int i = 0; i < 4; i++) {
        char c = char((id >> (24 - 8 * i)) & 0xFF);
        out[i] = (c >= 32 && c < 127) ? c : '?';
    }
    out[4] = 0;
}
