#!/bin/sh
# Peak memory (maximum resident set size, /usr/bin/time) of plenmar-convert on crafted files
# that claim far more than they hold: the answer to "how much can one file make it take?".
#   sh bench/crafted-memory.sh [-b PLENMAR-CONVERT]
# The converter is -b PATH, else $PLENMAR_CONVERT, else build/app/plenmar-convert. Needs
# cjpeg (libjpeg-turbo-progs), GNU time and python3; heif-enc (libheif-examples) and
# ImageMagick's convert for the HEIF grid, which is left out without them.
set -eu
BIN=${PLENMAR_CONVERT:-build/app/plenmar-convert}
[ "${1:-}" = "-b" ] && BIN=$2
BIN=$(realpath "$BIN")
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
cd "$W"

# Two bytes big-endian, or four little-endian, written into a file at an offset.
be16() { printf "\\$(printf %03o $(($2 >> 8)))\\$(printf %03o $(($2 & 255)))" |
           dd of="$1" bs=1 seek="$3" conv=notrunc status=none; }
le32() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))\\$(printf %03o $((($1 >> 16) & 255)))\\$(printf %03o $((($1 >> 24) & 255)))"; }
# A JPEG whose frame header claims WIDTH x HEIGHT.
claim() {
  cp "$1" "$2"
  at=$(LC_ALL=C grep -obUaP '\xff[\xc0\xc2\xc9\xca]' "$2" | head -1 | cut -d: -f1)
  be16 "$2" "$4" $((at + 5))
  be16 "$2" "$3" $((at + 7))
}

{ printf 'P6\n64 48\n255\n'; head -c 9216 /dev/zero | tr '\0' '\200'; } >in.ppm
printf '0;\n1;\n2;\n' >scans
cjpeg in.ppm >baseline.jpg
cjpeg -sample 1x1 -scans scans in.ppm >multi.jpg
cjpeg -sample 1x1 -progressive in.ppm >progressive.jpg
claim multi.jpg multi-20000.jpg 20000 20000
claim multi.jpg multi-65500.jpg 65500 65500
claim multi.jpg multi-9392.jpg 9392 9392
claim progressive.jpg progressive-9392.jpg 9392 9392
claim baseline.jpg baseline-65500.jpg 65500 65500
# 43 bytes: a GIF of 11500 x 11500 with a transparent colour.
printf 'GIF89a\354\054\354\054\200\000\000\000\000\000\377\377\377\041\371\004\001\000\000\000\000\054\000\000\000\000\354\054\354\054\000\002\002\114\001\000\073' >bomb.gif
# A 24-bit BMP of 11500 x 11500, its pixels a sparse run of zeros: just inside the rule.
stride=$(( (11500 * 3 + 3) / 4 * 4 ))
{ printf 'BM'; le32 $((54 + stride * 11500)); le32 0; le32 54; le32 40; le32 11500; le32 11500
  printf '\001\000\030\000'; le32 0; le32 $((stride * 11500)); le32 0; le32 0; le32 0; le32 0; } >bmp-11500.bmp
truncate -s $((54 + stride * 11500)) bmp-11500.bmp

# The bombs of the second round, made by a few lines of Python each.
cat >make.py <<'PY'
import struct, sys, zlib
def box(t, p): return struct.pack('>I4s', 8 + len(p), t) + p
def full(t, v, f, p): return box(t, struct.pack('>I', (v << 24) | f) + p)
what, args = sys.argv[1], sys.argv[2:]
if what == 'tiff':  # deflate strips of zeros, RGB, claiming W x H
    w, h, rows = int(args[1]), int(args[2]), 1000
    strips = [zlib.compress(bytes(w * 3 * min(rows, h - y)), 9) for y in range(0, h, rows)]
    n, body = len(strips), b''.join(strips)
    ifd_at = 8 + len(body); arrays = ifd_at + 2 + 11 * 12 + 4
    offsets = [8 + sum(map(len, strips[:i])) for i in range(n)]
    tags = [(256, 4, 1, w), (257, 4, 1, h), (258, 3, 3, arrays), (259, 3, 1, 8), (262, 3, 1, 2),
            (273, 4, n, arrays + 6), (277, 3, 1, 3), (278, 4, 1, rows),
            (279, 4, n, arrays + 6 + 4 * n), (284, 3, 1, 1), (339, 3, 1, 1)]
    ifd = struct.pack('<H', 11) + b''.join(
        struct.pack('<HHIHH', t, k, c, v, 0) if k == 3 and c == 1 else struct.pack('<HHII', t, k, c, v)
        for t, k, c, v in tags) + struct.pack('<I', 0)
    extra = struct.pack('<3H', 8, 8, 8) + struct.pack('<%dI' % n, *offsets) + \
        struct.pack('<%dI' % n, *map(len, strips))
    open(args[0], 'wb').write(b'II*\0' + struct.pack('<I', ifd_at) + body + ifd + extra)
elif what == 'comments':  # COUNT comment segments of 64 KiB after the start of the image
    j = open(args[0], 'rb').read()
    seg = b'\xff\xfe' + struct.pack('>H', 65535) + b'A' * 65533
    open(args[1], 'wb').write(j[:2] + seg * int(args[2]) + j[2:])
elif what == 'scans':  # the last scan repeated COUNT times
    j = open(args[0], 'rb').read()
    scan = j[j.rindex(b'\xff\xda'):-2]
    open(args[1], 'wb').write(j[:-2] + scan * int(args[2]) + b'\xff\xd9')
elif what == 'grid':  # a HEIF grid of one 512 x 512 tile, claiming W x H
    d = open(args[0], 'rb').read()
    def find(t):
        i = d.index(t) - 4
        return d[i:i + struct.unpack('>I', d[i:i + 4])[0]]
    tile, w, h = find(b'mdat')[8:], int(args[2]), int(args[3])
    cols, rows = (w + 511) // 512, (h + 511) // 512
    grid = struct.pack('>BBBBHH', 0, 0, rows - 1, cols - 1, w, h)
    infe = lambda i, t: full(b'infe', 2, 0, struct.pack('>HH', i, 0) + t + b'\0')
    ispe = lambda a, b: full(b'ispe', 0, 0, struct.pack('>II', a, b))
    rest = (full(b'iinf', 0, 0, struct.pack('>H', 2) + infe(1, b'hvc1') + infe(2, b'grid')) +
            full(b'iref', 0, 0, box(b'dimg', struct.pack('>HH', 2, cols * rows) +
                                    struct.pack('>H', 1) * (cols * rows))) +
            box(b'iprp', box(b'ipco', find(b'hvcC') + ispe(512, 512) + ispe(w, h)) +
                full(b'ipma', 0, 0, struct.pack('>I', 2) + struct.pack('>HB', 1, 2) +
                     bytes([0x81, 2]) + struct.pack('>HB', 2, 1) + bytes([3]))))
    def head(base):
        iloc = full(b'iloc', 0, 0, bytes([0x44, 0]) + struct.pack('>H', 2) +
                    struct.pack('>HHHII', 1, 0, 1, base, len(tile)) +
                    struct.pack('>HHHII', 2, 0, 1, base + len(tile), len(grid)))
        hdlr = full(b'hdlr', 0, 0, b'\0' * 4 + b'pict' + b'\0' * 13)
        return find(b'ftyp') + full(b'meta', 0, 0, hdlr + full(b'pitm', 0, 0, b'\0\2') + iloc + rest)
    start = len(head(0)) + 8
    open(args[1], 'wb').write(head(start) + box(b'mdat', tile + grid))
PY
python3 make.py tiff tiff-12000.tif 12000 11000
python3 make.py comments baseline.jpg comments-2000.jpg 2000
cp progressive.jpg progressive-0.jpg
claim progressive.jpg progressive-3000.jpg 3000 2000
python3 make.py scans progressive-3000.jpg scans-100000.jpg 100000
python3 make.py scans progressive-3000.jpg scans-400.jpg 400
bombs="tiff-12000.tif comments-2000.jpg scans-100000.jpg scans-400.jpg"
if command -v heif-enc >/dev/null && command -v convert >/dev/null; then
  convert -size 512x512 xc:gray tile.png && heif-enc -q 50 -o tile.heic tile.png >/dev/null
  python3 make.py grid tile.heic grid-8000.heic 8000 7800
  python3 make.py grid tile.heic grid-7168.heic 7168 7168
  bombs="$bombs grid-8000.heic grid-7168.heic"
fi

printf '%-22s %6s  %6s  %8s  %s\n' file size status "peak MiB" seconds
for file in bomb.gif multi-20000.jpg multi-65500.jpg multi-9392.jpg progressive-9392.jpg \
            baseline-65500.jpg bmp-11500.bmp $bombs; do
  for size in 368 3000; do
    status=0
    /usr/bin/time -f '%M %e' -o rss "$BIN" --quiet --size "$size" "$file" out.jpg 2>/dev/null ||
      status=$?
    set -- $(tail -1 rss)
    printf '%-22s %6s  %6s  %8s  %s\n' "$file" "$size" "$status" $(( $1 / 1024 )) "$2"
  done
done
