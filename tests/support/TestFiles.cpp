#include "TestFiles.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>

#include "Bytes.h"

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

QImage Busy(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y,
                           qRgb((x * 37 + y * 11) & 255, (x * x + y * 3) & 255, (y * 29) & 255));
        }
    }
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

namespace {

ProcessResult Run(QProcess& process, const QString& program, const QStringList& arguments,
                  const QByteArray& input) {
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

}  // namespace

ProcessResult RunProgram(const QString& program, const QStringList& arguments,
                         const QByteArray& input) {
    QProcess process;
    return Run(process, program, arguments, input);
}

ProcessResult RunLimited(const QString& program, const QStringList& arguments, int resource,
                         long long limit) {
    QProcess process;
    process.setChildProcessModifier([resource, limit] {
        const rlimit bound{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        ::setrlimit(static_cast<__rlimit_resource>(resource), &bound);
    });
    return Run(process, program, arguments, {});
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

ScopedEnvironment::ScopedEnvironment(const char* name, const QByteArray& value)
    : m_name(name),
      m_before(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                               : std::nullopt) {
    qputenv(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (m_before) {
        qputenv(m_name, *m_before);
    } else {
        qunsetenv(m_name);
    }
}
