#!/usr/bin/env python3
"""Writes the raw seed inputs of every harness from the sample production and small made-up files.

usage: seed_corpus.py PRODUCTION_TREE OUT_DIR
The committed corpora (fuzz/corpus/NAME) are these seeds minimised with libFuzzer's -merge=1
(see fuzz/run.sh seed)."""
import os
import struct
import sys
import zlib

tree, out = sys.argv[1], sys.argv[2]


def put(harness, name, data):
    os.makedirs(os.path.join(out, harness), exist_ok=True)
    with open(os.path.join(out, harness, name), "wb") as f:
        f.write(data)


def production(extensions, limit):
    for root, _, files in os.walk(tree):
        for name in sorted(files):
            path = os.path.join(root, name)
            if name.lower().rsplit(".", 1)[-1] in extensions and os.path.getsize(path) <= limit:
                yield name, open(path, "rb").read()


def bmp(width, height, bits, top_down=False, padded=True, compression=0):
    row = width * bits // 8
    stride = (row + 3) // 4 * 4 if padded else row
    palette = bytes(range(256)) * 4 if bits == 8 else b""
    if compression == 3:
        palette = struct.pack("<III", 0xFF0000, 0xFF00, 0xFF)
    pixels = b"".join(bytes((x * 37 + y * 11) & 255 for x in range(row)) + bytes(stride - row)
                      for y in range(height))
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, compression,
                       0, 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + palette + pixels


def tga(width, height, bits, rle):
    header = bytes([0, 0, 10 if rle else 2]) + bytes(9) + struct.pack("<HHBB", width, height, bits, 0)
    size = bits // 8
    pixels = [bytes(((x + y * width) * 13 + c) & 255 for c in range(size)) for y in range(height)
              for x in range(width)]
    if not rle:
        return header + b"".join(pixels)
    body = b""
    k = 0
    while k < len(pixels):
        if k % 3 == 0:
            n = min(5, len(pixels) - k)
            body += bytes([127 + n]) + pixels[k]
        else:
            n = min(2, len(pixels) - k)
            body += bytes([n - 1]) + b"".join(pixels[k:k + n])
        k += n
    return header + body


def package(files, compress):
    image = struct.pack("<I", len(files))
    for name, data in files:
        image += b"\0" + name.encode() + b"\0" + bytes(16) + struct.pack("<I", len(data))
    image += b"".join(data for _, data in files)
    if compress:
        return b"c" + struct.pack("<I", len(image)) + zlib.compress(image)
    return b"s" + image


for name, data in production({"lwo"}, 16384):
    put("lwo", name, data)
for name, data in production({"lws"}, 40000):
    put("lws", name, data)
for name, data in production({"env"}, 65536):
    put("envelope", name, data)
    put("clip", name, data)
for name, data in production({"txt"}, 65536):
    put("words", name, data)
    target = {"Skrypt.txt": "timeline", "ClipScript.txt": "clip", "Login.txt": "typing",
              "Scroll.txt": "typing", "SceneSetup.txt": "setup"}.get(name)
    if target:
        put(target, name, data)
for name, data in production({"jpg"}, 8192):
    put("jpeg", name, data)

pictures = {
    "grey8.bmp": bmp(5, 3, 8), "rgb24.bmp": bmp(5, 3, 24), "rgba32.bmp": bmp(4, 2, 32),
    "topdown24.bmp": bmp(3, 4, 24, top_down=True), "unpadded24.bmp": bmp(5, 3, 24, padded=False),
    "fields32.bmp": bmp(2, 2, 32, compression=3),
}
for name, data in pictures.items():
    put("bmp", name, data)
    put("jpeg", name, data)
for name, data in {"plain24.tga": tga(5, 3, 24, False), "plain32.tga": tga(4, 2, 32, False),
                   "rle24.tga": tga(6, 4, 24, True), "rle32.tga": tga(3, 3, 32, True)}.items():
    put("tga", name, data)
    put("jpeg", name, data)

script = b"begin\nload scene a Demo/A.lws\nplay scene a Camera 0:0:0 0:0:0 0:5:0\nend\n"
files = [("Demo/Skrypt.txt", script), ("Demo\\Back\\Slash.txt", b"word 12 3:4:5"), ("Demo/Empty", b"")]
put("package", "stored.dat", package(files, False))
put("package", "compressed.dat", package(files, True))
put("package", "empty.dat", package([], False))
put("package", "compressed_empty.dat", package([], True))
