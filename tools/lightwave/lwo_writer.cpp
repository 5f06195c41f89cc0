// LWO2 bytes from an LwObject.
#include <cstring>

#include "tools/lightwave/lw_writer.h"

void lwPutU1(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
}

void lwPutU2(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

void lwPutU4(std::vector<uint8_t>& out, uint32_t value) {
    lwPutU2(out, value >> 16);
    lwPutU2(out, value & 0xFFFF);
}

void lwPutF4(std::vector<uint8_t>& out, float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    lwPutU4(out, bits);
}

void lwPutId(std::vector<uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; i++) out.push_back(uint8_t(id[i]));
}

void lwPutVX(std::vector<uint8_t>& out, uint32_t index, bool wide) {
    if (wide || index >= 0xFF00)
        lwPutU4(out, 0xFF000000u | (index & 0x00FFFFFFu));
    else
        lwPutU2(out, index);
}

void lwPutString(std::vector<uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    if ((text.size() + 1) & 1) out.push_back(0);
}

void lwPutBytes(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::vector<uint8_t> lwChunk(const char* id, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    lwPutId(out, id);
    lwPutU4(out, uint32_t(body.size()));
    lwPutBytes(out, body);
    if (body.size() & 1) out.push_back(0);
    return out;
}

std::vector<uint8_t> lwSubChunk(const char* id, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    lwPutId(out, id);
    lwPutU2(out, uint32_t(body.size()));
    lwPutBytes(out, body);
    if (body.size() & 1) out.push_back(0);
    return out;
}

static std::vector<uint8_t> floats(std::initializer_list<float> values) {
    std::vector<uint8_t> out;
    for (float v : values) lwPutF4(out, v);
    return out;
}

static std::vector<uint8_t> words(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> out;
    for (uint32_t v : values) lwPutU2(out, v);
    return out;
}

// A float sub-chunk with its envelope index (0: none).
static std::vector<uint8_t> value(const char* id, float v, bool wide) {
    std::vector<uint8_t> body = floats({v});
    lwPutVX(body, 0, wide);
    return lwSubChunk(id, body);
}

static void putRaw(std::vector<uint8_t>& out, const LwRawChunk& chunk, bool sub) {
    lwPutBytes(out, sub ? lwSubChunk(chunk.id.c_str(), chunk.body) : lwChunk(chunk.id.c_str(), chunk.body));
}

static void putLayer(std::vector<uint8_t>& out, const LwLayer& layer, bool wide) {
    std::vector<uint8_t> header = words({layer.number, 0});
    lwPutBytes(header, floats({layer.pivot[0], layer.pivot[1], layer.pivot[2]}));
    lwPutString(header, layer.name);
    if (layer.parent >= 0) lwPutU2(header, uint32_t(layer.parent));
    lwPutBytes(out, lwChunk("LAYR", header));

    std::vector<uint8_t> points;
    float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
    for (size_t i = 0; i < layer.points.size(); i++) {
        const float p[3] = {layer.points[i].x, layer.points[i].y, layer.points[i].z};
        for (int k = 0; k < 3; k++) {
            lwPutF4(points, p[k]);
            if (i == 0 || p[k] < low[k]) low[k] = p[k];
            if (i == 0 || p[k] > high[k]) high[k] = p[k];
        }
    }
    lwPutBytes(out, lwChunk("PNTS", points));
    lwPutBytes(out, lwChunk("BBOX", floats({low[0], low[1], low[2], high[0], high[1], high[2]})));

    for (const LwVertexMap& map : layer.vertexMaps) {
        if (layer.mapPreambles) lwPutBytes(out, lwChunk("VMPA", words({0, 0, 0, 0})));
        std::vector<uint8_t> body;
        lwPutId(body, map.type.c_str());
        lwPutU2(body, map.dimension);
        lwPutString(body, map.name);
        for (const LwMapEntry& entry : map.entries) {
            lwPutVX(body, entry.point, wide);
            for (int k = 0; k < map.dimension; k++) lwPutF4(body, k < 2 ? entry.values[k] : 0.0f);
        }
        lwPutBytes(out, lwChunk("VMAP", body));
    }

    std::vector<uint8_t> polygons;
    lwPutId(polygons, layer.polygonType.c_str());
    for (const LwPolygon& polygon : layer.polygons) {
        lwPutU2(polygons, uint32_t(polygon.points.size()) & 0x03FF);
        for (uint32_t index : polygon.points) lwPutVX(polygons, index, wide);
    }
    lwPutBytes(out, lwChunk("POLS", polygons));

    std::vector<uint8_t> tags;
    lwPutId(tags, "SURF");
    for (size_t i = 0; i < layer.polygons.size(); i++) {
        if (layer.polygons[i].tag < 0) continue;
        lwPutVX(tags, uint32_t(i), wide);
        lwPutU2(tags, uint32_t(layer.polygons[i].tag));
    }
    lwPutBytes(out, lwChunk("PTAG", tags));

    for (const LwRawChunk& chunk : layer.extraChunks) putRaw(out, chunk, false);
}

static void putClip(std::vector<uint8_t>& out, const LwClip& clip) {
    std::vector<uint8_t> body;
    lwPutU4(body, clip.index);
    std::vector<uint8_t> sub;
    if (clip.sequence) {
        lwPutU1(sub, clip.digits);
        lwPutU1(sub, clip.flags);
        lwPutU2(sub, clip.offset);
        lwPutU2(sub, clip.reserved);
        lwPutU2(sub, clip.start);
        lwPutU2(sub, clip.end);
        lwPutString(sub, clip.fileName);
        lwPutString(sub, clip.suffix);
    } else {
        lwPutString(sub, clip.fileName);
    }
    std::string kind = !clip.kind.empty() ? clip.kind : clip.sequence ? "ISEQ" : "STIL";
    lwPutBytes(body, lwSubChunk(kind.c_str(), sub));
    for (const LwRawChunk& chunk : clip.extraSubChunks) putRaw(body, chunk, true);
    lwPutBytes(out, lwChunk("CLIP", body));
}

static std::vector<uint8_t> textureBlock(const LwTextureLayer& layer, bool wide) {
    bool imageMap = layer.blockType == "IMAP";
    std::vector<uint8_t> header;
    lwPutString(header, "\x80");
    std::vector<uint8_t> channel;
    lwPutId(channel, layer.channel.c_str());
    lwPutBytes(header, lwSubChunk("CHAN", channel));
    if (layer.writeOpacity) {
        std::vector<uint8_t> opacity = words({layer.opacityType});
        lwPutF4(opacity, layer.opacity);
        lwPutVX(opacity, 0, wide);
        lwPutBytes(header, lwSubChunk("OPAC", opacity));
    }
    lwPutBytes(header, lwSubChunk("ENAB", words({1})));

    std::vector<uint8_t> block = lwSubChunk(layer.blockType.c_str(), header);
    if (imageMap) {
        std::vector<uint8_t> center = floats({0, 0, 0});
        lwPutVX(center, 0, wide);
        std::vector<uint8_t> tmap = lwSubChunk("CNTR", center);
        std::vector<uint8_t> size = floats({1, 1, 1});
        lwPutVX(size, 0, wide);
        lwPutBytes(tmap, lwSubChunk("SIZE", size));
        lwPutBytes(tmap, lwSubChunk("CSYS", words({0})));
        lwPutBytes(block, lwSubChunk("TMAP", tmap));
        lwPutBytes(block, lwSubChunk("PROJ", words({layer.projection})));
        lwPutBytes(block, lwSubChunk("AXIS", words({2})));
        if (layer.image) {
            std::vector<uint8_t> image;
            lwPutVX(image, *layer.image, wide);
            lwPutBytes(block, lwSubChunk("IMAG", image));
        }
        lwPutBytes(block, lwSubChunk("WRAP", words({layer.widthWrap, layer.heightWrap})));
        if (!layer.uvMap.empty()) {
            std::vector<uint8_t> name;
            lwPutString(name, layer.uvMap);
            lwPutBytes(block, lwSubChunk("VMAP", name));
        }
        if (layer.pixelBlending) lwPutBytes(block, lwSubChunk("PIXB", words({*layer.pixelBlending})));
    }
    for (const LwRawChunk& chunk : layer.extraSubChunks) putRaw(block, chunk, true);
    return lwSubChunk("BLOK", block);
}

static void putSurface(std::vector<uint8_t>& out, const LwSurface& surface, bool wide) {
    std::vector<uint8_t> body;
    lwPutString(body, surface.name);
    lwPutString(body, surface.source);
    if (surface.transparency && surface.transparencyBeforeColor)
        lwPutBytes(body, value("TRAN", *surface.transparency, wide));
    if (surface.writeColor) {
        std::vector<uint8_t> color = floats({surface.color[0], surface.color[1], surface.color[2]});
        lwPutVX(color, 0, wide);
        lwPutBytes(body, lwSubChunk("COLR", color));
    }
    lwPutBytes(body, value("DIFF", surface.diffuse, wide));
    if (surface.specular) lwPutBytes(body, value("SPEC", *surface.specular, wide));
    if (surface.glossiness) lwPutBytes(body, value("GLOS", *surface.glossiness, wide));
    if (surface.glow) lwPutBytes(body, value("GVAL", *surface.glow, wide));
    if (surface.transparency && !surface.transparencyBeforeColor)
        lwPutBytes(body, value("TRAN", *surface.transparency, wide));
    if (surface.smoothingAngle) lwPutBytes(body, lwSubChunk("SMAN", floats({*surface.smoothingAngle})));
    if (surface.lines) {
        std::vector<uint8_t> line = words({0});
        lwPutBytes(body, lwSubChunk("LINE", line));
    }
    for (const LwRawChunk& chunk : surface.extraSubChunks) putRaw(body, chunk, true);
    for (const LwTextureLayer& layer : surface.layers) lwPutBytes(body, textureBlock(layer, wide));
    lwPutBytes(out, lwChunk("SURF", body));
}

std::vector<uint8_t> writeLwo(const LwObject& object) {
    std::vector<uint8_t> body;
    lwPutId(body, "LWO2");
    std::vector<uint8_t> tags;
    for (const std::string& tag : object.tags) lwPutString(tags, tag);
    lwPutBytes(body, lwChunk("TAGS", tags));
    for (const LwLayer& layer : object.layers) putLayer(body, layer, object.wideIndices);
    if (!object.clipsAfterSurfaces)
        for (const LwClip& clip : object.clips) putClip(body, clip);
    for (const LwSurface& surface : object.surfaces) putSurface(body, surface, object.wideIndices);
    if (object.clipsAfterSurfaces)
        for (const LwClip& clip : object.clips) putClip(body, clip);
    for (const LwRawChunk& chunk : object.extraChunks) putRaw(body, chunk, false);
    return lwChunk("FORM", body);
}

int32_t lwTag(LwObject& object, const std::string& name) {
    for (size_t i = 0; i < object.tags.size(); i++)
        if (object.tags[i] == name) return int32_t(i);
    object.tags.push_back(name);
    return int32_t(object.tags.size() - 1);
}

LwObject lwTriangles(const std::vector<LwPoint>& points, const std::vector<uint32_t>& corners,
                     const std::string& surface) {
    LwObject object;
    int32_t tag = lwTag(object, surface);
    LwLayer layer;
    layer.points = points;
    for (size_t i = 0; i + 2 < corners.size(); i += 3)
        layer.polygons.push_back({{corners[i], corners[i + 1], corners[i + 2]}, tag});
    object.layers.push_back(layer);
    LwSurface s;
    s.name = surface;
    object.surfaces.push_back(s);
    return object;
}

LwClip lwSequenceClip(uint32_t index, const std::string& prefix, uint8_t digits, const std::string& suffix,
                      uint16_t start, uint16_t end) {
    LwClip clip;
    clip.index = index;
    clip.sequence = true;
    clip.fileName = prefix;
    clip.suffix = suffix;
    clip.digits = digits;
    clip.start = start;
    clip.end = end;
    return clip;
}
