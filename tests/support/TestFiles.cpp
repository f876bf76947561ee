#include "TestFiles.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <csignal>

TestFolder::TestFolder() {
    EXPECT_TRUE(m_dir.isValid());
}

QImage QuarterPattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            const int shade = 40 * x / std::max(1, width - 1);
            QRgb colour = !bottom ? (!right ? qRgb(255 - shade, 0, 0) : qRgb(0, 255 - shade, 0))
                                  : (!right ? qRgb(0, 0, 255 - shade)
                                            : qRgb(255 - shade, 255 - shade, 255 - shade));
            image.setPixel(x, y, colour);
        }
    }
    return image;
}

QImage Plain(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray Encode(const QImage& image, const char* format, int quality) {
    if (qstrcmp(format, "gif") == 0) {
        return EncodeGif(image);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return bytes;
}

namespace {

class BitWriter {
public:
    void Put(int code, int bits) {
        m_accumulator |= static_cast<quint32>(code) << m_count;
        m_count += bits;
        while (m_count >= 8) {
            m_bytes.append(char(m_accumulator & 0xFF));
            m_accumulator >>= 8;
            m_count -= 8;
        }
    }
    QByteArray Finish() {
        if (m_count > 0) {
            m_bytes.append(char(m_accumulator & 0xFF));
        }
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_accumulator = 0;
    int m_count = 0;
};

void PutLe16(QByteArray& bytes, int value);

}  // namespace

QByteArray EncodeGif(const QImage& image) {
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QByteArray gif("GIF89a");
    PutLe16(gif, indexed.width());
    PutLe16(gif, indexed.height());
    gif.append(char(0xF7)).append(char(0)).append(char(0));  // 256-entry global colour table
    const QList<QRgb> colours = indexed.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < colours.size() ? colours[i] : 0;
        gif.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    gif.append(char(0x2C));
    PutLe16(gif, 0);
    PutLe16(gif, 0);
    PutLe16(gif, indexed.width());
    PutLe16(gif, indexed.height());
    gif.append(char(0)).append(char(8));  // no local table; 8-bit minimum code size
    // Nine-bit literal codes, with a clear code before the table would need ten bits.
    BitWriter bits;
    int sinceClear = 0;
    bits.Put(256, 9);
    for (int y = 0; y < indexed.height(); ++y) {
        for (int x = 0; x < indexed.width(); ++x) {
            if (sinceClear == 250) {
                bits.Put(256, 9);
                sinceClear = 0;
            }
            bits.Put(indexed.constScanLine(y)[x], 9);
            ++sinceClear;
        }
    }
    bits.Put(257, 9);
    const QByteArray data = bits.Finish();
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        gif.append(char(block.size())).append(block);
    }
    gif.append(char(0)).append(char(0x3B));
    return gif;
}

namespace {

void PutWord(QByteArray& bytes, int value) {
    bytes.append(char((value >> 8) & 0xFF));
    bytes.append(char(value & 0xFF));
}

// Little-endian TIFF words inside the EXIF block.
void PutLe16(QByteArray& bytes, int value) {
    bytes.append(char(value & 0xFF));
    bytes.append(char((value >> 8) & 0xFF));
}

void PutLe32(QByteArray& bytes, int value) {
    PutLe16(bytes, value & 0xFFFF);
    PutLe16(bytes, (value >> 16) & 0xFFFF);
}

}  // namespace

QByteArray WithExifOrientation(const QByteArray& jpeg, int orientation) {
    QByteArray exif("Exif\0\0", 6);
    exif += QByteArray("II*\0", 4);
    PutLe32(exif, 8);       // offset of IFD0
    PutLe16(exif, 1);       // one entry
    PutLe16(exif, 0x0112);  // Orientation
    PutLe16(exif, 3);       // SHORT
    PutLe32(exif, 1);
    PutLe16(exif, orientation);
    PutLe16(exif, 0);
    PutLe32(exif, 0);  // no next IFD
    QByteArray segment("\xFF\xE1", 2);
    PutWord(segment, exif.size() + 2);
    segment += exif;
    return jpeg.left(2) + segment + jpeg.mid(2);
}

namespace {

// Where the frame header's marker stands, or -1.
qsizetype FrameHeader(const QByteArray& jpeg) {
    for (qsizetype at = 2; at + 12 < jpeg.size();) {
        const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9 ||
            marker == 0xCA) {
            return at;
        }
        at += 2 + ((static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                   static_cast<unsigned char>(jpeg[at + 3]));
    }
    ADD_FAILURE() << "no frame header";
    return -1;
}

}  // namespace

QByteArray WithFrameSize(const QByteArray& jpeg, int width, int height,
                         std::optional<bool> progressive) {
    QByteArray patched = jpeg;
    const qsizetype at = FrameHeader(patched);
    if (at >= 0) {
        if (progressive) {
            patched[at + 1] = char(*progressive ? 0xC2 : 0xC0);
        }
        patched[at + 5] = char(height >> 8);
        patched[at + 6] = char(height & 0xFF);
        patched[at + 7] = char(width >> 8);
        patched[at + 8] = char(width & 0xFF);
    }
    return patched;
}

QByteArray WithUndefinedQuantTable(const QByteArray& jpeg) {
    QByteArray patched = jpeg;
    const qsizetype at = FrameHeader(patched);
    if (at >= 0) {
        patched[at + 12] = 3;  // the first component's table, which the file never defines
    }
    return patched;
}

QByteArray EncodeWithCjpeg(const QImage& image, const QStringList& options, const QString& scans) {
    TestFolder folder;
    QStringList arguments = options;
    if (!scans.isEmpty()) {
        WriteAll(folder.File("scans.txt"), scans.toLatin1());
        arguments << QStringLiteral("-scans") << folder.File("scans.txt");
    }
    const ProcessResult run = RunProgram(QStringLiteral("cjpeg"), arguments, ToPpm(image));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return run.out;
}

QByteArray WithIccProfile(const QByteArray& jpeg, const QByteArray& profile) {
    QByteArray segment("\xFF\xE2", 2);
    const QByteArray payload = QByteArray("ICC_PROFILE\0\x01\x01", 14) + profile;
    PutWord(segment, static_cast<int>(payload.size()) + 2);
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

QByteArray AdobeRgbProfile() {
    QFile file(QStringLiteral("/usr/share/color/icc/compatibleWithAdobeRGB1998.icc"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray EncodeHeic(const QImage& image) {
    if (!HaveProgram(QStringLiteral("heif-enc"))) {
        return {};
    }
    TestFolder folder;
    WriteAll(folder.File("in.png"), Encode(image, "png"));
    const ProcessResult run =
        RunProgram(QStringLiteral("heif-enc"),
                   {"-q", "95", folder.File("in.png"), "-o", folder.File("out.heic")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return ReadAll(folder.File("out.heic"));
}

QByteArray WithHeifTurn(const QByteArray& heic, int quarterTurns) {
    QByteArray turned = heic;
    const qsizetype at = turned.indexOf(QByteArray("\0\0\0\x10pixi", 8));
    EXPECT_GE(at, 0) << "no pixi box";
    if (at >= 0) {
        turned.replace(
            at, 16, QByteArray("\0\0\0\x10irot", 8) + char(quarterTurns & 3) + QByteArray(7, '\0'));
    }
    return turned;
}

QByteArray WithHeifSize(const QByteArray& heic, int width, int height) {
    QByteArray patched = heic;
    const qsizetype at = patched.indexOf("ispe");
    EXPECT_GE(at, 0) << "no ispe box";
    if (at >= 0) {
        QByteArray size;
        PutWord(size, width >> 16);
        PutWord(size, width & 0xFFFF);
        PutWord(size, height >> 16);
        PutWord(size, height & 0xFFFF);
        patched.replace(at + 8, 8, size);
    }
    return patched;
}

QByteArray DeflateTiffOfZeros(int width, int height) {
    constexpr int kRows = 100;
    const int strips = (height + kRows - 1) / kRows;
    // qCompress puts the length before zlib's own stream.
    const QByteArray strip = qCompress(QByteArray(qsizetype(width) * 3 * kRows, '\0'), 9).mid(4);
    const auto le16 = [](QByteArray& out, int v) { out += char(v & 255), out += char(v >> 8); };
    const auto le32 = [&](QByteArray& out, quint32 v) {
        le16(out, v & 0xFFFF), le16(out, v >> 16);
    };
    const quint32 ifd = 8 + quint32(strip.size());
    const quint32 arrays = ifd + 2 + 11 * 12 + 4;
    QByteArray tiff("II*\0", 4);
    le32(tiff, ifd);
    tiff += strip;
    le16(tiff, 11);
    const quint32 entries[][4] = {{256, 4, 1, quint32(width)},
                                  {257, 4, 1, quint32(height)},
                                  {258, 3, 3, arrays},
                                  {259, 3, 1, 8},
                                  {262, 3, 1, 2},
                                  {273, 4, quint32(strips), arrays + 6},
                                  {277, 3, 1, 3},
                                  {278, 4, 1, kRows},
                                  {279, 4, quint32(strips), arrays + 6 + 4 * quint32(strips)},
                                  {284, 3, 1, 1},
                                  {339, 3, 1, 1}};
    for (const auto& e : entries) {
        le16(tiff, int(e[0])), le16(tiff, int(e[1])), le32(tiff, e[2]), le32(tiff, e[3]);
    }
    le32(tiff, 0);
    le16(tiff, 8), le16(tiff, 8), le16(tiff, 8);
    for (int i = 0; i < strips; ++i) {
        le32(tiff, 8);
    }
    for (int i = 0; i < strips; ++i) {
        le32(tiff, quint32(strip.size()));
    }
    return tiff;
}

QByteArray WithComments(const QByteArray& jpeg, int count, int bytes) {
    QByteArray segment("\xFF\xFE");
    PutWord(segment, bytes + 2);
    segment += QByteArray(bytes, 'A');
    return jpeg.left(2) + segment.repeated(count) + jpeg.mid(2);
}

QByteArray WithRepeatedScan(const QByteArray& jpeg, int count) {
    const qsizetype last = jpeg.lastIndexOf("\xFF\xDA");
    const QByteArray scan = jpeg.mid(last, jpeg.size() - 2 - last);
    return jpeg.left(jpeg.size() - 2) + scan.repeated(count) + QByteArray("\xFF\xD9");
}

QByteArray WithFrameKind(const QByteArray& jpeg, int marker, int precision) {
    QByteArray patched = jpeg;
    const qsizetype at = FrameHeader(patched);
    if (at >= 0) {
        patched[at + 1] = char(marker);
        patched[at + 4] = char(precision);
    }
    return patched;
}

QByteArray Tga(int width, int height) {
    QByteArray tga(18, '\0');
    tga[2] = 2;  // uncompressed true colour
    tga[12] = char(width & 255), tga[13] = char(width >> 8);
    tga[14] = char(height & 255), tga[15] = char(height >> 8);
    tga[16] = 24;
    return tga + QByteArray(qsizetype(width) * height * 3, char(0x80));
}

namespace {

QByteArray Box(const char* type, const QByteArray& payload) {
    QByteArray box;
    PutWord(box, 0);
    PutWord(box, int(8 + payload.size()));
    return box + QByteArray(type, 4) + payload;
}

QByteArray FullBox(const char* type, int version, const QByteArray& payload) {
    return Box(type, QByteArray(1, char(version)) + QByteArray(3, '\0') + payload);
}

QByteArray Words(std::initializer_list<int> words) {
    QByteArray bytes;
    for (const int word : words) {
        PutWord(bytes, word);
    }
    return bytes;
}

QByteArray FoundBox(const QByteArray& file, const char* type) {
    const qsizetype at = file.indexOf(type) - 4;
    const auto size = qFromBigEndian<quint32>(file.constData() + at);
    return file.mid(at, size);
}

}  // namespace

QByteArray HeifGrid(const QByteArray& heic, int tile, int width, int height) {
    const QByteArray data = FoundBox(heic, "mdat").mid(8);
    const int columns = (width + tile - 1) / tile;
    const int rows = (height + tile - 1) / tile;
    const QByteArray grid =
        QByteArray(2, '\0') + char(rows - 1) + char(columns - 1) + Words({width, height});
    const auto infe = [](int id, const char* type) {
        return FullBox("infe", 2, Words({id, 0}) + QByteArray(type, 4) + QByteArray(1, '\0'));
    };
    const auto ispe = [](int w, int h) { return FullBox("ispe", 0, Words({0, w, 0, h})); };
    QByteArray references = Words({2, columns * rows});
    for (int i = 0; i < columns * rows; ++i) {
        PutWord(references, 1);
    }
    const QByteArray rest =
        FullBox("iinf", 0, Words({2}) + infe(1, "hvc1") + infe(2, "grid")) +
        FullBox("iref", 0, Box("dimg", references)) +
        Box("iprp", Box("ipco", FoundBox(heic, "hvcC") + ispe(tile, tile) + ispe(width, height)) +
                        FullBox("ipma", 0,
                                Words({0, 2, 1}) + QByteArray("\x02\x81\x02", 3) + Words({2}) +
                                    QByteArray("\x01\x03", 2)));
    const auto head = [&](int base) {
        const QByteArray iloc = FullBox(
            "iloc", 0,
            QByteArray("\x44\0", 2) +
                Words({2, 1, 0, 1, base >> 16, base & 0xFFFF, 0, int(data.size()), 2, 0, 1}) +
                Words({(base + int(data.size())) >> 16, (base + int(data.size())) & 0xFFFF, 0,
                       int(grid.size())}));
        const QByteArray hdlr =
            FullBox("hdlr", 0, QByteArray(4, '\0') + "pict" + QByteArray(13, '\0'));
        return FoundBox(heic, "ftyp") +
               FullBox("meta", 0, hdlr + FullBox("pitm", 0, Words({2})) + iloc + rest);
    };
    const int start = int(head(0).size()) + 8;
    return head(start) + Box("mdat", data + grid);
}

QByteArray StoredTopDown(const QByteArray& bmp) {
    const auto field = [&](int at) {
        quint32 value = 0;
        std::memcpy(&value, bmp.constData() + at, 4);
        return static_cast<qint32>(value);
    };
    const int offset = field(10);
    const int height = field(22);
    const int stride = (field(18) * static_cast<quint16>(field(28)) + 31) / 32 * 4;
    QByteArray flipped = bmp.left(offset);
    for (int row = height - 1; row >= 0; --row) {
        flipped += bmp.mid(offset + qsizetype(row) * stride, stride);
    }
    const qint32 negative = -height;
    std::memcpy(flipped.data() + 22, &negative, 4);
    return flipped;
}

void StartWithStandardSignals(QProcess& process) {
    process.setChildProcessModifier([] {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            std::signal(signal, SIG_DFL);
        }
    });
}

ProcessResult RunProgram(const QString& program, const QStringList& arguments,
                         const QByteArray& input) {
    QProcess process;
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(10000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return result;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        ADD_FAILURE() << program.toStdString() << " did not finish";
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

ProcessResult RunLimited(const QString& program, const QStringList& arguments, int resource,
                         long long limit) {
    QProcess process;
    process.setChildProcessModifier([resource, limit] {
        const rlimit bound{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        ::setrlimit(static_cast<__rlimit_resource>(resource), &bound);
    });
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(10000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return result;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        ADD_FAILURE() << program.toStdString() << " did not finish";
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

bool HaveProgram(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QImage ReadPpm(const QByteArray& ppm) {
    // "P6 <w> <h> 255\n" then the pixels; djpeg writes exactly one blank between fields.
    QList<QByteArray> fields;
    qsizetype at = 0;
    while (fields.size() < 4 && at < ppm.size()) {
        while (at < ppm.size() && QChar(ppm[at]).isSpace()) {
            ++at;
        }
        const qsizetype start = at;
        while (at < ppm.size() && !QChar(ppm[at]).isSpace()) {
            ++at;
        }
        fields.append(ppm.mid(start, at - start));
    }
    ++at;
    if (fields.size() < 4 || fields[0] != "P6") {
        return {};
    }
    const int width = fields[1].toInt();
    const int height = fields[2].toInt();
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        std::memcpy(image.scanLine(y), ppm.constData() + at + 3LL * width * y, 3 * width);
    }
    return image;
}

QByteArray ToPpm(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray ppm =
        QStringLiteral("P6\n%1 %2\n255\n").arg(rgb.width()).arg(rgb.height()).toLatin1();
    for (int y = 0; y < rgb.height(); ++y) {
        ppm.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), 3 * rgb.width());
    }
    return ppm;
}

QImage DecodeWithDjpeg(const QString& jpegPath) {
    const ProcessResult result =
        RunProgram(QStringLiteral("djpeg"), {QStringLiteral("-ppm"), jpegPath});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return ReadPpm(result.out);
}
