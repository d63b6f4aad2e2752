#!/usr/bin/env python3
"""Makes HEIC, AVIF and JPEG XL pictures with Debian's encoders (heif-enc, avifenc, cjxl).
  make_modern_pictures.py FOLDER            the pictures heif.spi and jxl.spi are checked with, each
                                            beside the PNG its reference decoder (heif-convert, avifdec,
                                            djxl) makes of it: NAME.heic|avif|jxl and NAME.png
  make_modern_pictures.py --samples FOLDER  one picture of each kind for the viewer's samples
  make_modern_pictures.py --bench FOLDER    4000 x 3000 pictures of each kind for the benchmark
Also a HEIC grid, which heif-enc does not write: its tiles are encoded alone and put under a grid
item by hand. Quick when the folder is already complete."""
import os
import struct
import subprocess
import sys
import zlib

samples = sys.argv[1] in ("--samples", "--bench")
out = sys.argv[-1]
os.makedirs(out, exist_ok=True)


def png(path, width, height, channels, depth=8, frames=1, frame=0):
    """A PNG of a smooth pattern with detail (an APNG of Frames frames when more than one)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    def pixels(frame):
        rows = bytearray()
        top = (1 << depth) - 1
        for y in range(height):
            rows.append(0)
            row = []
            for x in range(width):
                row += [(x * 7 + y * 3 + frame * 40) % 256, (x * 2 + y * 5) % 256, (x * y + frame * 90) % 256]
                if channels == 4:
                    row.append(255 if x % 9 else (x * 13 + y * 11) % 256)
            rows += struct.pack(">%dH" % len(row), *(v * top // 255 for v in row)) if depth == 16 else bytes(row)
        return zlib.compress(bytes(rows))

    colour = {3: 2, 4: 6}[channels]
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0))
    if frames > 1:
        data += chunk(b"acTL", struct.pack(">II", frames, 0))
    sequence = 0
    for frame in range(frame, frame + frames):
        if frames > 1:
            data += chunk(b"fcTL", struct.pack(">IIIIIHHBB", sequence, width, height, 0, 0, 1, 10, 0, 0))
            sequence += 1
        if sequence <= 1:
            data += chunk(b"IDAT", pixels(frame))
        else:
            data += chunk(b"fdAT", struct.pack(">I", sequence) + pixels(frame))
            sequence += 1
    with open(path, "wb") as f:
        f.write(data + chunk(b"IEND", b""))


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def boxes(data, start=0, end=None):
    """The boxes in data[start:end]: (type, start of contents, end)."""
    end = len(data) if end is None else end
    while start < end:
        size, kind = struct.unpack(">I4s", data[start:start + 8])
        yield kind, start + 8, start + size
        start += size


def box(kind, contents, full=None):
    head = struct.pack(">I", full) if full is not None else b""
    return struct.pack(">I4s", 8 + len(head) + len(contents), kind) + head + contents


def first_item(data, at):
    """The bytes of the first item of the item location box whose contents start at At."""
    def number(size):
        nonlocal at
        value = int.from_bytes(data[at:at + size], "big")
        at += size
        return value

    version = number(4) >> 24
    sizes, more = number(1), number(1)
    offset_size, length_size, base_size = sizes >> 4, sizes & 15, more >> 4
    index_size = more & 15 if version else 0
    number(2 if version < 2 else 4)  # item count
    number(2 if version < 2 else 4)  # item ID
    if version:
        number(2)  # construction method: 0, in the file
    number(2)
    base = number(base_size)
    code = b""
    for _ in range(number(2)):
        number(index_size)
        offset, length = number(offset_size), number(length_size)
        code += data[base + offset:base + offset + length]
    return code


def heic_grid(path, tiles, columns, rows, tile_size):
    """A HEIC whose primary item is a grid of the given single-image HEIC files' pictures."""
    codes, configs = [], []
    for tile in tiles:
        data = open(tile, "rb").read()
        meta = next(b for b in boxes(data) if b[0] == b"meta")
        items = dict((k, (s, e)) for k, s, e in boxes(data, meta[1] + 4, meta[2]))
        codes.append(first_item(data, items[b"iloc"][0]))
        iprp = items[b"iprp"]
        ipco = next(b for b in boxes(data, iprp[0], iprp[1]) if b[0] == b"ipco")
        configs.append(next(data[s - 8:e] for k, s, e in boxes(data, ipco[1], ipco[2]) if k == b"hvcC"))
    count = len(tiles)
    grid_id = count + 1
    # The tiles are hidden: only the grid is an image of its own.
    infe = b"".join(box(b"infe", struct.pack(">HH4s", i + 1, 0, b"hvc1") + b"\0", 2 << 24 | 1) for i in range(count))
    infe += box(b"infe", struct.pack(">HH4s", grid_id, 0, b"grid") + b"\0", 2 << 24)
    grid = struct.pack(">BBBBHH", 0, 0, rows - 1, columns - 1, columns * tile_size[0], rows * tile_size[1])
    ispe_tile = box(b"ispe", struct.pack(">II", *tile_size), 0)
    ispe_grid = box(b"ispe", struct.pack(">II", columns * tile_size[0], rows * tile_size[1]), 0)
    ipco = box(b"ipco", configs[0] + ispe_tile + ispe_grid)
    ipma = struct.pack(">I", count + 1)
    for i in range(count):
        ipma += struct.pack(">HBBB", i + 1, 2, 0x81, 2)
    ipma += struct.pack(">HBB", grid_id, 1, 3)
    iprp = box(b"iprp", ipco + box(b"ipma", ipma, 0))
    iref = box(b"iref", box(b"dimg", struct.pack(">HH", grid_id, count) +
                            b"".join(struct.pack(">H", i + 1) for i in range(count))), 0)

    def meta(mdat_start):
        iloc = struct.pack(">BBH", 0x44, 0x00, count + 1)
        at = mdat_start
        for i, code in enumerate(codes):
            iloc += struct.pack(">HHHII", i + 1, 0, 1, at, len(code))
            at += len(code)
        iloc += struct.pack(">HHHII", grid_id, 0, 1, at, len(grid))
        return box(b"meta", box(b"hdlr", struct.pack(">I4s12s", 0, b"pict", b"") + b"\0", 0) +
                   box(b"pitm", struct.pack(">H", grid_id), 0) + box(b"iloc", iloc, 0) +
                   box(b"iinf", struct.pack(">H", count + 1) + infe, 0) + iref + iprp, 0)

    ftyp = box(b"ftyp", b"heic\0\0\0\0mif1heic")
    head = ftyp + meta(0)
    head = ftyp + meta(len(head) + 8)
    with open(path, "wb") as f:
        f.write(head + box(b"mdat", b"".join(codes) + grid))


# name: (source size, channels, depth, frames), how it is encoded, how its reference is decoded
made = [
    ("heic_8bit", (64, 48, 3, 8, 1), ["heif-enc", "-q", "80"], "heif-convert"),
    ("heic_10bit", (64, 48, 3, 16, 1), ["heif-enc", "-q", "80", "-b", "10"], "heif-convert"),
    ("heic_alpha", (64, 48, 4, 8, 1), ["heif-enc", "-q", "80"], "heif-convert"),
    ("heic_1x1", (1, 1, 3, 8, 1), ["heif-enc", "-q", "80"], "heif-convert"),
    ("heic_4097x3", (4097, 3, 3, 8, 1), ["heif-enc", "-q", "80"], "heif-convert"),
    # Large enough that libheif decodes it for longer than the plug-in's first report of time gone.
    ("heic_slow", (2048, 1536, 3, 8, 1), ["heif-enc", "-q", "80"], None),
    ("avif_8bit", (64, 48, 3, 8, 1), ["avifenc", "--min", "10", "--max", "20"], "avifdec"),
    ("avif_10bit", (64, 48, 3, 16, 1), ["avifenc", "-d", "10"], "avifdec"),
    ("avif_12bit_alpha", (64, 48, 4, 16, 1), ["avifenc", "-d", "12"], "avifdec"),
    ("avif_lossless", (64, 48, 3, 8, 1), ["avifenc", "-l"], "avifdec"),
    ("avif_1x1", (1, 1, 3, 8, 1), ["avifenc"], "avifdec"),
    ("avif_4097x3", (4097, 3, 4, 8, 1), ["avifenc"], "avifdec"),
    ("avif_grid", (128, 128, 3, 8, 1), ["avifenc", "-g", "2x2"], "avifdec"),
    # Turned a quarter anticlockwise, then mirrored: avifdec leaves both to the application.
    ("avif_rotated", (64, 48, 3, 8, 1), ["avifenc", "--irot", "1", "--imir", "1"], "heif-convert"),
    ("avif_sequence", (64, 48, 3, 8, 2), ["avifenc"], "avifdec"),
    ("jxl_lossless", (64, 48, 3, 8, 1), ["cjxl", "-d", "0"], "djxl"),
    ("jxl_lossy", (64, 48, 3, 8, 1), ["cjxl", "-d", "1"], "djxl"),
    ("jxl_alpha_container", (64, 48, 4, 8, 1), ["cjxl", "-d", "0", "--container=1"], "djxl"),
    ("jxl_16bit", (64, 48, 3, 16, 1), ["cjxl", "-d", "0"], "djxl"),
    ("jxl_1x1", (1, 1, 3, 8, 1), ["cjxl", "-d", "0"], "djxl"),
    ("jxl_4097x3", (4097, 3, 4, 8, 1), ["cjxl", "-d", "1"], "djxl"),
    ("jxl_animation", (64, 48, 4, 8, 2), ["cjxl", "-d", "0"], "djxl"),
]
extension = {"heif-enc": "heic", "avifenc": "avif", "cjxl": "jxl"}
if samples:
    made = [("08 photo 10bit 400x300", (400, 300, 3, 16, 1), ["heif-enc", "-q", "70", "-b", "10"], None),
            ("09 alpha 360x240", (360, 240, 4, 8, 1), ["avifenc"], None),
            ("10 web 320x260", (320, 260, 3, 8, 1), ["cjxl", "-d", "1"], None)]
if sys.argv[1] == "--bench":
    made = [("bench", (4000, 3000, 3, 8, 1), [encoder, *options], None)
            for encoder, options in (("heif-enc", ["-q", "80"]), ("avifenc", ["-s", "8"]), ("cjxl", ["-d", "1"]))]
for name, (width, height, channels, depth, frames), encode, reference in made:
    picture = os.path.join(out, name + "." + extension[encode[0]])
    decoded = os.path.join(out, name + ".png")
    if os.path.exists(decoded if reference else picture):
        continue
    sources = []
    for frame in range(frames if encode[0] == "avifenc" else 1):
        sources.append(os.path.join(out, "%s-source%d.png" % (name, frame)))
        png(sources[-1], width, height, channels, depth, frames if encode[0] == "cjxl" else 1)
    if encode[0] == "heif-enc":
        run(*encode, "-o", picture, *sources)
    else:
        run(*encode, *sources, picture)
    if reference:
        run(reference, picture, decoded)
    for source in sources:
        os.remove(source)

# A JPEG whose Exif orientation turns it a quarter clockwise, recompressed by cjxl: the orientation
# goes into the JPEG XL header, and djxl shows the picture upright.
jpeg_xl = os.path.join(out, "jxl_jpeg_rotated.jxl")
if not samples and not os.path.exists(os.path.join(out, "jxl_jpeg_rotated.png")):
    with open(jpeg_xl + ".ppm", "wb") as f:
        f.write(b"P6\n64 48\n255\n" + bytes((x * 4 + c * 80) % 256 for y in range(48) for x in range(64)
                                              for c in (y * 5, 0, 1)))
    run("cjpeg", "-quality", "90", "-outfile", jpeg_xl + ".jpg", jpeg_xl + ".ppm")
    jpeg = open(jpeg_xl + ".jpg", "rb").read()
    exif = b"Exif\0\0MM\0*\0\0\0\x08" + struct.pack(">HHHIHHI", 1, 0x0112, 3, 1, 6, 0, 0)
    with open(jpeg_xl + ".jpg", "wb") as f:
        f.write(jpeg[:2] + b"\xff\xe1" + struct.pack(">H", 2 + len(exif)) + exif + jpeg[2:])
    run("cjxl", jpeg_xl + ".jpg", jpeg_xl)
    run("djxl", jpeg_xl, os.path.join(out, "jxl_jpeg_rotated.png"))
    os.remove(jpeg_xl + ".ppm")
    os.remove(jpeg_xl + ".jpg")

grid = os.path.join(out, "heic_grid.heic")
if not samples and not os.path.exists(os.path.join(out, "heic_grid.png")):
    tiles = []
    for i in range(4):
        tiles.append(os.path.join(out, "tile%d.heic" % i))
        png(tiles[-1] + ".png", 64, 64, 3, frame=i)
        run("heif-enc", "-q", "60", "-o", tiles[-1], tiles[-1] + ".png")
    heic_grid(grid, tiles, 2, 2, (64, 64))
    run("heif-convert", grid, os.path.join(out, "heic_grid.png"))
    for tile in tiles:
        os.remove(tile)
        os.remove(tile + ".png")
