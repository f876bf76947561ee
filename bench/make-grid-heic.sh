#!/bin/sh
# A HEIC photo laid out as phone cameras store theirs: a grid of 512 x 512 HEVC tiles, each
# its own hidden item, composed by a "grid" item that is the primary picture.
#   sh bench/make-grid-heic.sh PICTURE OUT.heic [WIDTHxHEIGHT] [QUALITY]
# PICTURE is scaled and cropped to WIDTHxHEIGHT (default 4032x3024, 12 megapixels, as phones
# take them); its edge is repeated to whole tiles, as phones do, and the grid crops it off
# again. heif-enc of libheif 1.15 makes no grids itself, so each tile is encoded on its own
# (heif-enc, QUALITY, default 50) and the container is written here. Needs heif-enc
# (libheif-examples), ImageMagick's convert and python3.
set -eu
IN=${1:?usage: make-grid-heic.sh PICTURE OUT.heic [WIDTHxHEIGHT] [QUALITY]}
OUT=${2:?usage: make-grid-heic.sh PICTURE OUT.heic [WIDTHxHEIGHT] [QUALITY]}
SIZE=${3:-4032x3024}
QUALITY=${4:-50}
W=${SIZE%x*}
H=${SIZE#*x}
COLS=$(((W + 511) / 512))
ROWS=$(((H + 511) / 512))
CONVERT=/usr/bin/convert
[ -x "$CONVERT" ] || CONVERT=convert
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT INT TERM

"$CONVERT" "$IN" -resize "${W}x${H}^" -gravity center -extent "${W}x${H}" +repage \
  -define distort:viewport="$((COLS * 512))x$((ROWS * 512))+0+0" -virtual-pixel edge \
  -distort SRT 0 +repage -crop 512x512 +repage "$TMP/tile-%03d.png"
# Tiles in reading order, left to right, top to bottom; two encoders at a time.
ls "$TMP"/tile-*.png | xargs -P 2 -I{} sh -c 'heif-enc -q "$1" -o "${2%.png}.heic" "$2" >/dev/null' sh "$QUALITY" {}

python3 - "$OUT" "$W" "$H" "$COLS" "$ROWS" "$TMP"/tile-*.heic <<'PY'
import struct, sys

def box(kind, payload):
    return struct.pack('>I4s', 8 + len(payload), kind) + payload

def full(kind, version, flags, payload):
    return box(kind, struct.pack('>I', (version << 24) | flags) + payload)

def children(data, start, end):
    while start < end:
        size, kind = struct.unpack('>I4s', data[start:start + 8])
        yield kind, start, start + size
        start += size

def child(data, start, end, kind):
    return next((s, e) for k, s, e in children(data, start, end) if k == kind)

def tile(path):
    """The HEVC data and configuration box of the one picture heif-enc wrote."""
    d = open(path, 'rb').read()
    ms, me = child(d, 0, len(d), b'meta')
    ps, pe = child(d, ms + 12, me, b'iprp')
    cs, ce = child(d, ps + 8, pe, b'ipco')
    hs, he = child(d, cs + 8, ce, b'hvcC')
    ls, _ = child(d, ms + 12, me, b'iloc')
    version = d[ls + 8]
    off_len, base_idx = d[ls + 12], d[ls + 13]
    sizes = (off_len >> 4, off_len & 15, base_idx >> 4, base_idx & 15 if version else 0)
    at = ls + 14
    count = struct.unpack('>H', d[at:at + 2])[0]
    at += 2

    def num(n):
        nonlocal at
        value = int.from_bytes(d[at:at + n], 'big') if n else 0
        at += n
        return value

    for _ in range(count):
        item = num(2)
        if version:
            num(2)
        num(2)
        base = num(sizes[2])
        parts = []
        for _ in range(num(2)):
            num(sizes[3])
            offset, length = num(sizes[0]), num(sizes[1])
            parts.append(d[base + offset:base + offset + length])
        if item == 1:
            return b''.join(parts), d[hs:he]
    raise SystemExit(path + ': no picture')

out, w, h, cols, rows = sys.argv[1], *map(int, sys.argv[2:6])
tiles = [tile(p) for p in sys.argv[6:]]
assert len(tiles) == cols * rows, 'tiles missing'
grid_id = len(tiles) + 1
grid = struct.pack('>BBBBHH', 0, 0, rows - 1, cols - 1, w, h)

# Properties: each distinct hvcC once, then the tiles' ispe, then the grid's.
configs = []
for _, config in tiles:
    if config not in configs:
        configs.append(config)
ispe = lambda a, b: full(b'ispe', 0, 0, struct.pack('>II', a, b))
ipco = box(b'ipco', b''.join(configs) + ispe(512, 512) + ispe(w, h))
tile_ispe, grid_ispe = len(configs) + 1, len(configs) + 2
entries = b''.join(struct.pack('>HBBB', i + 1, 2, 0x80 | (configs.index(c) + 1), tile_ispe)
                   for i, (_, c) in enumerate(tiles))
entries += struct.pack('>HBB', grid_id, 1, grid_ispe)
ipma = full(b'ipma', 0, 0, struct.pack('>I', grid_id) + entries)
# Tiles are hidden items (flag 1), as phones write them.
infe = lambda i, kind, flags: full(b'infe', 2, flags, struct.pack('>HH', i, 0) + kind + b'\0')
iinf = full(b'iinf', 0, 0, struct.pack('>H', grid_id) +
            b''.join(infe(i + 1, b'hvc1', 1) for i in range(len(tiles))) + infe(grid_id, b'grid', 0))
iref = full(b'iref', 0, 0, box(b'dimg', struct.pack('>HH', grid_id, len(tiles)) +
                                b''.join(struct.pack('>H', i + 1) for i in range(len(tiles)))))
hdlr = full(b'hdlr', 0, 0, b'\0' * 4 + b'pict' + b'\0' * 13)
ftyp = box(b'ftyp', b'heic' + b'\0\0\0\0' + b'mif1heicmiaf')

def head(base):
    at, locations = base, b''
    for i, (data, _) in enumerate(tiles):
        locations += struct.pack('>HHHII', i + 1, 0, 1, at, len(data))
        at += len(data)
    locations += struct.pack('>HHHII', grid_id, 0, 1, at, len(grid))
    iloc = full(b'iloc', 0, 0, bytes([0x44, 0]) + struct.pack('>H', grid_id) + locations)
    meta = full(b'meta', 0, 0, hdlr + full(b'pitm', 0, 0, struct.pack('>H', grid_id)) + iloc +
                iinf + iref + box(b'iprp', ipco + ipma))
    return ftyp + meta

start = len(head(0)) + 8
payload = b''.join(data for data, _ in tiles) + grid
open(out, 'wb').write(head(start) + box(b'mdat', payload))
PY
