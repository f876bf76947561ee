// Writes the starting corpus of each fuzz target into the folder given: small pictures of
// every kind the decoders meet (JPEG baseline, progressive, of several scans, arithmetic,
// grey, CMYK, with restarts, EXIF and a colour profile; GIF still, transparent, animated,
// interlaced; BMP of 1, 4, 8, 16, 24 and 32 bits, run-length, bit fields, top-down, OS/2;
// PNG and TIFF of kinds their libraries test with), settings files and command lines; the
// crafted files of tests/support/CraftedFiles.h. Made at build time, so no binary is kept in
// the sources.
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <csetjmp>
#include <cstdio>
#include <functional>
#include <vector>

#include <jpeglib.h>

#include "tests/support/CraftedFiles.h"

namespace {

constexpr int kWidth = 24;
constexpr int kHeight = 16;

// Colour of pixel (x, y): quarters and a gradient, so every channel and region differ.
unsigned char Channel(int x, int y, int c) {
    const bool right = x >= kWidth / 2, bottom = y >= kHeight / 2;
    const int base = c == 0   ? (!right && !bottom) * 220
                     : c == 1 ? (right && !bottom) * 220
                              : bottom * 200;
    return static_cast<unsigned char>(base + (x * 3 + y) % 30);
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_corpus: cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// ---- JPEG, through the library itself ----

struct JpegOptions {
    int components = 3;
    J_COLOR_SPACE in = JCS_RGB;
    J_COLOR_SPACE out = JCS_YCbCr;
    bool progressive = false;
    // Large enough for a drawing at 1/8 of it, which progressive files take a way of their own.
    int width = kWidth;
    int height = kHeight;
    bool scanPerComponent = false;
    bool arithmetic = false;
    bool fullChroma = false;
    int restartRows = 0;
    QByteArray app1;  // EXIF
    QByteArray app2;  // colour profile
};

struct Failure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

extern "C" [[noreturn]] void Fail(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<Failure*>(cinfo->err)->jump, 1);
}

QByteArray EncodeJpeg(const JpegOptions& o) {
    jpeg_compress_struct cinfo{};
    Failure failure{};
    cinfo.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = Fail;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    static jpeg_scan_info scans[4];
    if (setjmp(failure.jump) != 0) {
        std::fprintf(stderr, "make_corpus: the JPEG library failed\n");
        std::exit(1);
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(o.width);
    cinfo.image_height = static_cast<JDIMENSION>(o.height);
    cinfo.input_components = o.components;
    cinfo.in_color_space = o.in;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, o.out);
    jpeg_set_quality(&cinfo, 80, TRUE);
    if (o.fullChroma || o.scanPerComponent) {
        for (int c = 0; c < cinfo.num_components; ++c) {
            cinfo.comp_info[c].h_samp_factor = 1;
            cinfo.comp_info[c].v_samp_factor = 1;
        }
    }
    if (o.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    if (o.scanPerComponent) {
        for (int c = 0; c < cinfo.num_components; ++c) {
            scans[c] = {1, {c, 0, 0, 0}, 0, 63, 0, 0};
        }
        cinfo.scan_info = scans;
        cinfo.num_scans = cinfo.num_components;
    }
    cinfo.arith_code = o.arithmetic ? TRUE : FALSE;
    cinfo.restart_in_rows = o.restartRows;
    jpeg_start_compress(&cinfo, TRUE);
    if (!o.app1.isEmpty()) {
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1,
                          reinterpret_cast<const JOCTET*>(o.app1.constData()),
                          static_cast<unsigned>(o.app1.size()));
    }
    if (!o.app2.isEmpty()) {
        jpeg_write_marker(&cinfo, JPEG_APP0 + 2,
                          reinterpret_cast<const JOCTET*>(o.app2.constData()),
                          static_cast<unsigned>(o.app2.size()));
    }
    std::vector<unsigned char> row(static_cast<std::size_t>(o.width * o.components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < o.width; ++x) {
            for (int c = 0; c < o.components; ++c) {
                row[static_cast<std::size_t>(x * o.components + c)] = Channel(x, y, c % 3);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return bytes;
}

QByteArray ExifOrientation(int orientation) {
    QByteArray exif("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24);
    exif += char(orientation);
    exif += QByteArray("\0\0\0\0\0\0", 6);
    return exif;
}

// ---- GIF: literal nine-bit codes with a clear code before the table would grow ----

class Bits {
public:
    void Put(int code) {
        m_value |= static_cast<unsigned>(code) << m_count;
        for (m_count += 9; m_count >= 8; m_count -= 8, m_value >>= 8) {
            m_bytes += char(m_value & 0xFF);
        }
    }
    QByteArray Blocks() {
        if (m_count > 0) {
            m_bytes += char(m_value & 0xFF);
        }
        QByteArray blocks;
        for (qsizetype at = 0; at < m_bytes.size(); at += 255) {
            const QByteArray block = m_bytes.mid(at, 255);
            blocks += char(block.size()) + block;
        }
        return blocks + '\0';
    }

private:
    QByteArray m_bytes;
    unsigned m_value = 0;
    int m_count = 0;
};

void PutLe16(QByteArray& bytes, int value) {
    bytes += char(value & 0xFF);
    bytes += char((value >> 8) & 0xFF);
}

void PutLe32(QByteArray& bytes, long long value) {
    PutLe16(bytes, static_cast<int>(value & 0xFFFF));
    PutLe16(bytes, static_cast<int>((value >> 16) & 0xFFFF));
}

struct GifFrame {
    int shift = 0;         // moves the colours round, so frames differ
    int transparent = -1;  // colour index, or none
    int disposal = 0;
    bool interlaced = false;
};

QByteArray EncodeGif(const std::vector<GifFrame>& frames) {
    QByteArray gif("GIF89a");
    PutLe16(gif, kWidth);
    PutLe16(gif, kHeight);
    gif += QByteArray("\xF7\0\0", 3);  // 256 colours
    for (int i = 0; i < 256; ++i) {
        gif += char(i);
        gif += char(255 - i);
        gif += char((i * 7) & 0xFF);
    }
    if (frames.size() > 1) {
        gif += QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\0\0\0", 19);
    }
    for (const GifFrame& frame : frames) {
        gif += QByteArray("\x21\xF9\x04", 3);
        gif += char((frame.disposal << 2) | (frame.transparent >= 0 ? 1 : 0));
        PutLe16(gif, 10);
        gif += char(frame.transparent >= 0 ? frame.transparent : 0);
        gif += '\0';
        gif += ',';
        PutLe16(gif, 0);
        PutLe16(gif, 0);
        PutLe16(gif, kWidth);
        PutLe16(gif, kHeight);
        gif += char(frame.interlaced ? 0x40 : 0);
        gif += char(8);
        Bits bits;
        bits.Put(256);
        for (int i = 0; i < kWidth * kHeight; ++i) {
            if (i % 250 == 249) {
                bits.Put(256);
            }
            bits.Put((Channel(i % kWidth, i / kWidth, 0) + frame.shift) & 0xFF);
        }
        bits.Put(257);
        gif += bits.Blocks();
    }
    return gif + ';';
}

// ---- BMP ----

struct BmpOptions {
    int bits = 24;
    int compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    bool topDown = false;
    bool core = false;       // the OS/2 header of 12 bytes
    bool alphaMask = false;  // a version 4 header with an alpha mask
};

QByteArray BmpPixels(const BmpOptions& o) {
    QByteArray pixels;
    if (o.compression == 1 || o.compression == 2) {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; x += 6) {
                pixels += char(6);  // a run of six
                pixels += char(o.compression == 1 ? (x + y) : ((x + y) & 15) * 0x11);
            }
            pixels += QByteArray("\0\0", 2);  // end of row
        }
        return pixels + QByteArray("\0\x01", 2);  // end of picture
    }
    const int stride = (kWidth * o.bits + 31) / 32 * 4;
    for (int row = 0; row < kHeight; ++row) {
        const int y = o.topDown ? row : kHeight - 1 - row;
        QByteArray line(stride, '\0');
        for (int x = 0; x < kWidth; ++x) {
            const int b = Channel(x, y, 2), g = Channel(x, y, 1), r = Channel(x, y, 0);
            switch (o.bits) {
                case 1:
                    line[x / 8] = char(line[x / 8] | (((x + y) & 1) << (7 - x % 8)));
                    break;
                case 4:
                    line[x / 2] = char(line[x / 2] | (((x + y) & 15) << (x % 2 ? 0 : 4)));
                    break;
                case 8:
                    line[x] = char((x * 10 + y) & 0xFF);
                    break;
                case 16: {
                    const int v = o.compression == 3
                                      ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                                      : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
                    line[2 * x] = char(v & 0xFF);
                    line[2 * x + 1] = char(v >> 8);
                    break;
                }
                default: {
                    const int n = o.bits / 8;
                    line[n * x] = char(b);
                    line[n * x + 1] = char(g);
                    line[n * x + 2] = char(r);
                    if (n == 4) {
                        line[n * x + 3] = char(x * 10);  // alpha, where a mask says so
                    }
                }
            }
        }
        pixels += line;
    }
    return pixels;
}

QByteArray EncodeBmp(const BmpOptions& o) {
    const int colours = o.bits <= 8 ? 1 << o.bits : 0;
    QByteArray info;
    if (o.core) {
        PutLe32(info, 12);
        PutLe16(info, kWidth);
        PutLe16(info, kHeight);
        PutLe16(info, 1);
        PutLe16(info, o.bits);
    } else {
        const int size = o.alphaMask ? 108 : 40;
        PutLe32(info, size);
        PutLe32(info, kWidth);
        PutLe32(info, o.topDown ? -kHeight : kHeight);
        PutLe16(info, 1);
        PutLe16(info, o.bits);
        PutLe32(info, o.compression);
        PutLe32(info, BmpPixels(o).size());
        PutLe32(info, 2835);
        PutLe32(info, 2835);
        PutLe32(info, colours);
        PutLe32(info, 0);
        if (o.compression == 3) {
            const bool wide = o.bits == 16;
            PutLe32(info, wide ? 0xF800 : 0x00FF0000);
            PutLe32(info, wide ? 0x07E0 : 0x0000FF00);
            PutLe32(info, wide ? 0x001F : 0x000000FF);
            if (o.alphaMask) {
                PutLe32(info, 0xFF000000u);
                info += QByteArray(size - 56, '\0');  // colour space, end points, gamma
            }
        }
    }
    QByteArray palette;
    for (int i = 0; i < colours; ++i) {
        palette += char(i * 255 / std::max(1, colours - 1));
        palette += char(255 - i * 255 / std::max(1, colours - 1));
        palette += char((i * 37) & 0xFF);
        if (!o.core) {
            palette += '\0';
        }
    }
    const QByteArray pixels = BmpPixels(o);
    QByteArray bmp("BM");
    const int offset = 14 + static_cast<int>(info.size() + palette.size());
    PutLe32(bmp, offset + pixels.size());
    PutLe32(bmp, 0);
    PutLe32(bmp, offset);
    return bmp + info + palette + pixels;
}

QImage WithAlpha() {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            image.setPixel(x, y,
                           qRgba(Channel(x, y, 0), Channel(x, y, 1), Channel(x, y, 2), x * 10));
        }
    }
    return image;
}

// Through Qt's own writers and plugins; empty when the format has no writer here.
QByteArray EncodeWithQt(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return QImageWriter(&buffer, format).write(image) ? bytes : QByteArray();
}

// Through libheif's own encoder program, when it is installed.
QByteArray EncodeHeic(const QImage& image, const QDir& scratch) {
    const QString in = scratch.filePath(QStringLiteral("heic-in.png"));
    const QString out = scratch.filePath(QStringLiteral("heic-out.heic"));
    Write(in, EncodeWithQt(image, "png"));
    QProcess encoder;
    encoder.start(QStringLiteral("heif-enc"),
                  {QStringLiteral("-q"), QStringLiteral("50"), in, QStringLiteral("-o"), out});
    QByteArray bytes;
    if (encoder.waitForFinished(60000) && encoder.exitCode() == 0) {
        QFile file(out);
        if (file.open(QIODevice::ReadOnly)) {
            bytes = file.readAll();
        }
    }
    QFile::remove(in);
    QFile::remove(out);
    return bytes;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus FOLDER\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const char* target : {"picture", "settings", "options"}) {
        root.mkpath(QString::fromLatin1(target));
    }
    const auto picture = [&](const char* name, const QByteArray& bytes) {
        Write(root.filePath(QStringLiteral("picture/") + QString::fromLatin1(name)), bytes);
    };
    const QByteArray profile = QByteArray("ICC_PROFILE\0\x01\x01", 14) + QByteArray(128, '\x11');
    picture("baseline.jpg", EncodeJpeg({}));
    picture("full-chroma.jpg", EncodeJpeg({.fullChroma = true}));
    picture("progressive.jpg", EncodeJpeg({.progressive = true}));
    picture("progressive-eighth.jpg",
            EncodeJpeg({.progressive = true, .width = 120, .height = 80}));
    picture("progressive-eighth-444.jpg",
            EncodeJpeg({.progressive = true, .width = 120, .height = 80, .fullChroma = true}));
    picture("scan-per-component.jpg", EncodeJpeg({.scanPerComponent = true}));
    picture("arithmetic.jpg", EncodeJpeg({.arithmetic = true}));
    picture("arithmetic-scans.jpg", EncodeJpeg({.scanPerComponent = true, .arithmetic = true}));
    picture("arithmetic-progressive.jpg", EncodeJpeg({.progressive = true, .arithmetic = true}));
    picture("grey.jpg", EncodeJpeg({.components = 1, .in = JCS_GRAYSCALE, .out = JCS_GRAYSCALE}));
    picture("cmyk.jpg", EncodeJpeg({.components = 4, .in = JCS_CMYK, .out = JCS_CMYK}));
    picture("ycck.jpg", EncodeJpeg({.components = 4, .in = JCS_CMYK, .out = JCS_YCCK}));
    picture("restarts.jpg", EncodeJpeg({.restartRows = 1}));
    picture("exif.jpg", EncodeJpeg({.app1 = ExifOrientation(6)}));
    picture("profile.jpg", EncodeJpeg({.app2 = profile}));
    picture("still.gif", EncodeGif({{}}));
    picture("transparent.gif", EncodeGif({{.transparent = 3}}));
    picture("interlaced.gif", EncodeGif({{.interlaced = true}}));
    picture("animated.gif",
            EncodeGif(
                {{.disposal = 2}, {.shift = 40, .transparent = 7, .disposal = 3}, {.shift = 80}}));
    picture("1bit.bmp", EncodeBmp({.bits = 1}));
    picture("4bit.bmp", EncodeBmp({.bits = 4}));
    picture("8bit.bmp", EncodeBmp({.bits = 8}));
    picture("rle8.bmp", EncodeBmp({.bits = 8, .compression = 1}));
    picture("rle4.bmp", EncodeBmp({.bits = 4, .compression = 2}));
    picture("16bit.bmp", EncodeBmp({.bits = 16}));
    picture("16bit-fields.bmp", EncodeBmp({.bits = 16, .compression = 3}));
    picture("24bit.bmp", EncodeBmp({}));
    picture("32bit.bmp", EncodeBmp({.bits = 32}));
    picture("32bit-alpha.bmp", EncodeBmp({.bits = 32, .compression = 3, .alphaMask = true}));
    picture("top-down.bmp", EncodeBmp({.topDown = true}));
    picture("os2.bmp", EncodeBmp({.core = true}));
    picture("alpha.png", EncodeWithQt(WithAlpha(), "png"));
    for (const char* format : {"webp", "tiff"}) {
        const QByteArray bytes = EncodeWithQt(WithAlpha(), format);
        if (!bytes.isEmpty()) {
            picture(format == QByteArray("webp") ? "alpha.webp" : "alpha.tiff", bytes);
        }
    }
    const QByteArray heic = EncodeHeic(WithAlpha().convertToFormat(QImage::Format_RGB888), root);
    if (!heic.isEmpty()) {
        picture("photo.heic", heic);
    }
    // Files that claim more than they hold, kept small: the paths that refuse them.
    const QByteArray tile = EncodeHeic(QImage(64, 64, QImage::Format_RGB888), root);
    if (!tile.isEmpty()) {
        picture("grid.heic", HeifGrid(tile, 64, 128, 128));
        picture("grid-8000.heic", HeifGrid(tile, 64, 8000, 7800));
    }
    const QByteArray baseline = EncodeJpeg({});
    const QByteArray progressive = EncodeJpeg({.progressive = true});
    picture("zeros.tiff", DeflateTiffOfZeros(400, 300));
    picture("zeros-12000.tiff", DeflateTiffOfZeros(12000, 11000));
    picture("jpeg-5000.tiff", JpegInTiff(baseline, 5000, 5000));
    picture("comments.jpg", WithComments(baseline, 3, 100));
    picture("scans-repeated.jpg", WithRepeatedScan(progressive, 20));
    picture("scans-600.jpg", WithRepeatedScan(progressive, 600));
    picture("12bit.jpg", WithFrameKind(baseline, 0xC1, 12));
    picture("lossless.jpg", WithFrameKind(baseline, 0xC3, 8));
    picture("grey.tga", Tga(kWidth, kHeight));
    // Kinds the libraries' own test pictures hold: a 16-bit PNG with a transparent colour (in
    // two chunks, the first of a wrong CRC), a chunk claiming more than the file holds,
    // old-style JPEG in TIFF, floating-point samples.
    const QByteArray wide = EncodeWithQt(WithAlpha().convertToFormat(QImage::Format_RGBX64), "png");
    const QByteArray white("\xFF\xFF\xFF\xFF\xFF\xFF", 6);
    picture("rgb16-trns.png",
            WithPngChunk(WithPngChunk(wide, "tRNS", white), "tRNS", white, false));
    picture("text-claiming-2gib.png", WithPngChunkClaiming(wide, "tEXt", 0x7FFFFFF0u));
    picture("old-style-jpeg.tiff", OldStyleJpegTiff(baseline, kWidth, kHeight, 2, 2));
    picture("float64.tiff",
            PlainTiff(kWidth, kHeight, 1, 64, 3, QByteArray(kWidth * kHeight * 8, '\0')));
    picture("float32-rgb.tiff",
            PlainTiff(kWidth, kHeight, 3, 32, 3, QByteArray(kWidth * kHeight * 12, '\0')));
    picture("icon.ico", EncodeWithQt(WithAlpha(), "ico"));

    const auto settings = [&](const char* name, const char* text) {
        Write(root.filePath(QStringLiteral("settings/") + QString::fromLatin1(name)), text);
    };
    settings("complete.conf",
             "[Setting]\nX=368\nY=276\nQuality=70\nTestfile=/home/u/Bilder/Urlaub 1.jpg\n"
             "Source=/home/u/Bilder\nDestination=/tmp\nMail%20senden=0\nNachfragen=1\n"
             "Position%20Top=20\nPosition%20Left=20\nPosition%20Right=760\n"
             "Position%20Bottom=560\nSubject=Beiliegend Ihre Bilder\n"
             "Mailtext=In der Beilage erhalten Sie die gew\\xfcnschten Bilder\n\n"
             "[SettingSub1]\nPosition%20Top=30\nPosition%20Left=600\nPosition%20Right=900\n"
             "Position%20Bottom=400\n");
    settings("quoted.conf",
             "[Setting]\nSubject=\"Hallo, Welt\"\nMailtext=a,b,\"c\"\nTestfile=@Variant(\\0)\n"
             "Source=\"\\\"quoted\\\"\"\nY=-2147483648\nPosition%20Left=2147483647\n");
    settings("extremes.conf",
             "[Setting]\nPosition%20Left=-2147483648\nPosition%20Right=2147483647\n"
             "Position%20Top=2147483647\nPosition%20Bottom=-2147483648\nX=4294967296\n");
    settings("empty.conf", "");

    const auto options = [&](const char* name, std::initializer_list<const char*> arguments) {
        QByteArray joined;
        for (const char* argument : arguments) {
            joined += argument;
            joined += '\0';
        }
        joined.chop(1);
        Write(root.filePath(QStringLiteral("options/") + QString::fromLatin1(name)), joined);
    };
    options("one.args", {"--size", "100", "in.jpg", "out.jpg"});
    options("folder.args", {"--folder", "--jobs", "3", "--quiet", "src", "dst"});
    options("colours.args",
            {"--brightness", "-20", "--contrast", "30", "--red", "5", "--green", "-5", "--blue",
             "0", "--black-and-white", "--orientation", "7", "a", "b"});
    options("help.args", {"--help"});
    options("limits.args", {"--quality", "-5", "--resolution", "0", "--size", "4000", "a", "b"});
    options("tree.args", {"--folder", "--recursive", "--formats", "jpg,HEIC,.webp,*.tif",
                          "--max-kb", "100", "src", "dst"});
    return 0;
}
