#include "PictureObject.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <mutex>

#include "BmpHeader.h"
#include "ColourTransform.h"
#include "DecodeMemory.h"
#include "HeifPicture.h"
#include "JpegFrame.h"
#include "PictureFormat.h"
#include "PictureSource.h"
#include "PngHead.h"
#include "TiffMessages.h"
#include "platform/emulation/DrawingContext.h"
#include "platform/emulation/MulDiv.h"
#include "platform/files/FileOps.h"

namespace {

constexpr long long kDecodeLimitBytes = 1LL * PictureObject::kDecodeLimitMiB * 1024 * 1024;
// No encoder writes more scans than a few dozen, ten or so for a progressive JPEG; a file of
// thousands of tiny ones only keeps the decoder busy, every scan a pass over the picture.
constexpr int kScanLimit = 500;
// Qt's JPEG reader keeps every comment segment and makes text of each, in UTF-16 and once
// more joined into the picture's description: five times its bytes, measured.
constexpr long long kCommentCost = 5;

void SetReaderLimitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(PictureObject::kDecodeLimitMiB); });
}

// Transparent parts show what lies below, the black of a fresh buffer: premultiplied colours
// are exactly that. Done in place for the 32-bit forms, so no second picture is needed.
void MakeOpaque(QImage& image) {
    if (image.format() == QImage::Format_RGB32) {
        return;
    }
    if (!image.hasAlphaChannel()) {
        image.convertTo(QImage::Format_RGB32);
        return;
    }
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            row[x] |= 0xFF000000u;
        }
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
}

bool Refuse(PictureDefect why, QString* error, PictureDefect* defect) {
    *defect = why;
    *error = DefectText(why);
    return false;
}

}  // namespace

void QuietDecoderMessages() {
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false\nqt.gui.icc=false"));
    QuietTiffMessages();
}

std::unique_ptr<PictureObject> PictureObject::Load(const QByteArray& bytes, QString* error,
                                                   PictureDefect* defect) {
    std::unique_ptr<PictureObject> picture(new PictureObject);
    picture->m_bytes = bytes;
    QBuffer buffer(&picture->m_bytes);
    buffer.open(QIODevice::ReadOnly);
    if (!picture->ReadHeader(buffer, error, defect)) {
        return nullptr;
    }
    return picture;
}

std::unique_ptr<PictureObject> PictureObject::LoadFile(const QString& path, QString* error,
                                                       PictureDefect* defect) {
    QFile file;
    switch (OpenRegularFile(file, path, error)) {
        case FileOpening::Opened:
            break;
        case FileOpening::NotRegular:
            *defect = PictureDefect::NotAFile;
            return nullptr;
        case FileOpening::ForeignLink:
            *defect = PictureDefect::ForeignLink;
            return nullptr;
        case FileOpening::Failed:
            // The system's words stay for the terminal; the defect gives the user's.
            *defect = OpeningDefect(errno, path);
            if (*defect == PictureDefect::TooManyOpenFiles ||
                *defect == PictureDefect::NameNotUtf8) {
                *error = DefectText(*defect);
            }
            return nullptr;
    }
    if (file.size() == 0) {
        *defect = PictureDefect::Empty;
        *error = DefectText(*defect);
        return nullptr;
    }
    std::unique_ptr<PictureObject> picture(new PictureObject);
    picture->m_path = path;
    picture->m_identity = IdentifyOpenFile(file.handle());
    if (!picture->ReadHeader(file, error, defect)) {
        return nullptr;
    }
    return picture;
}

bool PictureObject::ReadHeader(QIODevice& raw, QString* error, PictureDefect* defect) {
    SetReaderLimitOnce();
    PictureSource device(raw);
    const QByteArray format = FormatFromSignature(device.peek(12));
    if (format == "tiff") {
        WatchTiffOnce();
    }
    const int complaintsBefore = TiffComplaints();
    if (format == "heif") {
        return ReadHeifHeader(device, error, defect);
    }
    JpegFrame frame;
    if (format == "jpeg") {
        // Everything Qt's reader would keep of the file is counted before it reads a byte.
        frame = ReadJpegFrame(device);
        const JpegWalk walk = WalkJpeg(device);
        if (device.ReadFailed()) {
            return Refuse(PictureDefect::ReadError, error, defect);
        }
        if (frame.valid && frame.unreadKind) {
            return Refuse(PictureDefect::UnreadKind, error, defect);
        }
        if (walk.scans > kScanLimit) {
            return Refuse(PictureDefect::TooManyScans, error, defect);
        }
        m_metadataBytes = kCommentCost * walk.commentBytes + walk.keptBytes;
        m_jpegEnding = walk.ending;
        m_eighth = PlanEighthDecoding(frame, walk);
    }
    if (format == "png") {
        // libpng takes the memory each chunk before the pixels claims as it meets it.
        const PngHead head = ReadPngHead(device);
        if (device.ReadFailed() || head.claimsTooMuch) {
            return Refuse(
                device.ReadFailed() ? PictureDefect::ReadError : PictureDefect::DamagedHeader,
                error, defect);
        }
        m_metadataBytes = head.keptBytes;
        m_pngKey = head.key;
    }
    if (m_metadataBytes > kDecodeLimitBytes) {
        return Refuse(PictureDefect::TooLarge, error, defect);
    }
    QImageReader reader(&device, format);
    reader.setAutoDetectImageFormat(format.isEmpty());
    reader.setAutoTransform(true);
    QSize stored = reader.size();
    if (format == "bmp" && stored.width() > 0 && stored.height() < 0 && stored.height() > INT_MIN) {
        stored.setHeight(-stored.height());  // stored top-down
    }
    if (!reader.canRead() || !stored.isValid() || stored.isEmpty()) {
        return Refuse(HeaderDefect(device, format, reader), error, defect);
    }
    m_format = reader.format();
    m_decodesScaled = m_format == "jpeg";
    m_turn = reader.transformation();
    m_turnedByExif = (m_turn & QImageIOHandler::TransformationRotate90) != 0;
    m_size = m_turnedByExif ? stored.transposed() : stored;
    m_stored = stored;
    if (m_decodesScaled) {
        m_coefficientBytes = CoefficientBytes(frame);
        // Its smallest decoding is at 1/8.
        m_decodeBytes = m_metadataBytes +
                        (m_eighth.applies ? m_eighth.coefficientBytes : m_coefficientBytes) +
                        DecodedPixelBytes(stored, 8);
    } else {
        m_decodeBytes = m_metadataBytes +
                        WholeDecodingBytes(m_format, stored, reader.imageFormat(), device.size());
    }
    // What reading the tags brought on, a decoding repeats.
    m_headerComplaints = TiffComplaints() - complaintsBefore;
    if (m_decodeBytes > kDecodeLimitBytes) {
        return Refuse(PictureDefect::TooLarge, error, defect);
    }
    if (m_format == "bmp") {
        const BmpHeader header = ReadBmpHeader(device);
        if (device.size() <= header.dataStart) {
            return Refuse(PictureDefect::CutOff, error, defect);  // not a pixel of it
        }
        m_bmpCutOff = header.dataEnd > device.size();
    }
    if (device.ReadFailed()) {
        return Refuse(PictureDefect::ReadError, error, defect);
    }
    return true;
}

bool PictureObject::ReadHeifHeader(PictureSource& device, QString* error, PictureDefect* defect) {
    const HeifHeader header = ::ReadHeifHeader(device);
    if (device.ReadFailed()) {
        return Refuse(PictureDefect::ReadError, error, defect);
    }
    switch (header.status) {
        case HeifStatus::Read:
            break;
        case HeifStatus::Unsupported:
            return Refuse(PictureDefect::NotAPicture, error, defect);
        case HeifStatus::NoLibrary:
            return Refuse(PictureDefect::HeifLibraryMissing, error, defect);
        case HeifStatus::CutOff:
            return Refuse(PictureDefect::CutOff, error, defect);
        case HeifStatus::Damaged:
        case HeifStatus::OutOfMemory:
            return Refuse(PictureDefect::DamagedHeader, error, defect);
    }
    m_format = "heif";
    m_size = header.size;
    m_stored = header.size;
    m_decodeBytes = header.decodeBytes;
    if (m_decodeBytes > kDecodeLimitBytes) {
        return Refuse(PictureDefect::TooLarge, error, defect);
    }
    return true;
}

int PictureObject::HimetricWidth() const {
    return MulDiv(m_size.width(), 2540, 96);
}

int PictureObject::HimetricHeight() const {
    return MulDiv(m_size.height(), 2540, 96);
}

QIODevice* PictureObject::OpenSource(QBuffer& buffer, QFile& file, QString* error) {
    if (m_path.isEmpty()) {
        buffer.setBuffer(&m_bytes);
        buffer.open(QIODevice::ReadOnly);
        return &buffer;
    }
    // Read from the file as it was loaded, or not at all.
    QString ignored;
    if (OpenRegularFile(file, m_path, &ignored) != FileOpening::Opened ||
        IdentifyOpenFile(file.handle()) != m_identity) {
        *error = QStringLiteral("the file has changed since it was loaded");
        return nullptr;
    }
    return &file;
}

RenderStatus PictureObject::DecodeScaled(QSize size, QString* error) {
    QBuffer buffer;
    QFile file;
    QIODevice* opened = OpenSource(buffer, file, error);
    if (opened == nullptr) {
        return RenderStatus::Undecodable;
    }
    PictureSource device(*opened);
    // The reader scales the picture as stored, before it turns it upright.
    const QSize scaled = m_turnedByExif ? size.transposed() : size;
    QImage image;
    bool read = false;
    if (AtEighth(size)) {
        image = DecodeJpegAtEighth(device, m_eighth, scaled, m_turn);
        read = !image.isNull();
    } else {
        QImageReader reader(&device, m_format);
        reader.setAutoDetectImageFormat(false);
        reader.setAutoTransform(true);
        if (size != m_size) {
            reader.setScaledSize(scaled);
        }
        read = reader.read(&image);
    }
    // The decoder makes up what a damaged file lacks (grey, mostly): say so.
    m_defect = m_jpegEnding == JpegEnding::CutOff    ? PictureDefect::CutOff
               : m_jpegEnding == JpegEnding::Damaged ? PictureDefect::DamagedData
                                                     : PictureDefect::None;
    if (FailedReading(device, error)) {
        return RenderStatus::Undecodable;
    }
    if (!read && !MemoryFor(DrawingBytes(size))) {
        *error = DefectText(PictureDefect::OutOfMemory);
        return RenderStatus::OutOfMemory;
    }
    if (!read) {
        if (m_defect == PictureDefect::None) {
            m_defect = PictureDefect::DamagedData;
        }
        *error = DefectText(m_defect);
        return RenderStatus::Undecodable;
    }
    ++m_decodes;
    if (image.size() != size) {
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    m_drawn = SRgbInBgrOrder(std::move(image));
    if (m_drawn.isNull()) {
        *error = DefectText(PictureDefect::OutOfMemory);
        return RenderStatus::OutOfMemory;
    }
    return RenderStatus::Drawn;
}

RenderStatus PictureObject::DecodeWhole(QString* error) {
    QBuffer buffer;
    QFile file;
    QIODevice* opened = OpenSource(buffer, file, error);
    if (opened == nullptr) {
        return RenderStatus::Undecodable;
    }
    PictureSource device(*opened);
    QImage image = m_format == "bmp" ? PreparedBmp(device, m_size) : QImage();
    m_defect = m_bmpCutOff ? PictureDefect::CutOff : PictureDefect::None;
    if (m_format == "heif") {
        HeifStatus status = HeifStatus::Read;
        image = DecodeHeif(device, m_size, &status);
        if (FailedReading(device, error)) {
            return RenderStatus::Undecodable;
        }
        if (status == HeifStatus::OutOfMemory) {
            *error = DefectText(PictureDefect::OutOfMemory);
            return RenderStatus::OutOfMemory;
        }
        if (status != HeifStatus::Read) {
            m_defect =
                status == HeifStatus::CutOff ? PictureDefect::CutOff : PictureDefect::DamagedData;
            *error = DefectText(m_defect);
            return RenderStatus::Undecodable;
        }
    } else if (const RenderStatus read = DecodeThroughQt(device, image, error);
               read != RenderStatus::Drawn) {
        return read;
    }
    ++m_decodes;
    MakeOpaque(image);
    if (image.isNull()) {
        *error = DefectText(PictureDefect::OutOfMemory);
        return RenderStatus::OutOfMemory;
    }
    m_whole = std::move(image);
    return RenderStatus::Drawn;
}

RenderStatus PictureObject::DecodeThroughQt(PictureSource& device, QImage& image, QString* error) {
    for (const PngColourKey::Hidden& chunk : m_pngKey.hidden) {
        device.Overlay(chunk.offset, chunk.chunk);
    }
    bool read = false;
    bool complained = false;
    bool refused = false;
    {
        // A decoder may keep a reference to the picture it made: it must be gone before the
        // picture is changed, or that would copy it rather than work in place.
        QImageReader reader(&device, m_format);
        reader.setAutoDetectImageFormat(false);
        reader.setAutoTransform(true);
        const int complaintsBefore = TiffComplaints();
        const int refusalsBefore = TiffRefusals();
        read = reader.read(&image);
        // A TIFF whose strips hold less than its tags claim "reads", blank where data lacks.
        complained = TiffComplaints() - complaintsBefore > m_headerComplaints;
        refused = TiffRefusals() > refusalsBefore;
    }
    if (FailedReading(device, error)) {
        return RenderStatus::Undecodable;
    }
    if (!read && refused) {
        m_defect = PictureDefect::UnreadKind;  // libtiff's reader is not made for its kind
        *error = DefectText(m_defect);
        return RenderStatus::Undecodable;
    }
    if (!read && !MemoryFor(m_decodeBytes)) {
        *error = DefectText(PictureDefect::OutOfMemory);
        return RenderStatus::OutOfMemory;
    }
    if (!read || complained) {
        m_defect = m_bmpCutOff ? PictureDefect::CutOff : PictureDefect::DamagedData;
        *error = DefectText(m_defect);
        return RenderStatus::Undecodable;
    }
    ApplyPngColourKey(image, m_pngKey);
    return RenderStatus::Drawn;
}

bool PictureObject::FailedReading(const PictureSource& device, QString* error) {
    if (device.Stopped()) {
        *error = QStringLiteral("stopped: the program is ending");
        return true;
    }
    if (device.ReadFailed()) {
        m_defect = PictureDefect::ReadError;
        *error = DefectText(m_defect);
        return true;
    }
    return false;
}

bool PictureObject::AtEighth(QSize size) const {
    return m_eighth.applies && size != m_size &&
           DecodedAtEighth(m_stored, m_turnedByExif ? size.transposed() : size);
}

long long PictureObject::DrawingBytes(QSize size) const {
    const long long drawing = 4LL * size.width() * size.height();
    if (!m_decodesScaled) {
        return m_decodeBytes + drawing;
    }
    const int denominator = ScaleDenominator(m_stored, m_turnedByExif ? size.transposed() : size);
    const long long coefficients = AtEighth(size) ? m_eighth.coefficientBytes : m_coefficientBytes;
    return m_metadataBytes + coefficients + DecodedPixelBytes(m_stored, denominator) + drawing;
}

RenderStatus PictureObject::Prepare(QSize size, QString* error) {
    if (!m_drawn.isNull() && m_drawn.size() == size) {
        return RenderStatus::Drawn;
    }
    if (DrawingBytes(size) > kDecodeLimitBytes) {
        // Drawn this large, a picture may need more than its smallest decoding.
        m_defect = PictureDefect::TooLarge;
        *error = DefectText(m_defect);
        return RenderStatus::Undecodable;
    }
    m_drawn = QImage();
    if (m_decodesScaled) {
        return DecodeScaled(size, error);
    }
    if (m_whole.isNull()) {
        const RenderStatus decoded = DecodeWhole(error);
        if (decoded != RenderStatus::Drawn) {
            return decoded;
        }
    }
    m_drawn = SRgbInBgrOrder(size == m_whole.size() ? m_whole.copy()
                                                    : m_whole.scaled(size, Qt::IgnoreAspectRatio,
                                                                     Qt::SmoothTransformation));
    if (m_drawn.isNull()) {
        *error = DefectText(PictureDefect::OutOfMemory);
        return RenderStatus::OutOfMemory;
    }
    return RenderStatus::Drawn;
}

RenderStatus PictureObject::Render(CDC& dc, int x, int y, int width, int height, QString* error) {
    if (width <= 0 || height <= 0) {
        return RenderStatus::Drawn;
    }
    if (dc.GetCurrentBitmap() == nullptr) {
        *error = QStringLiteral("no bitmap to draw into");
        return RenderStatus::OutOfMemory;
    }
    const RenderStatus status = Prepare(QSize(width, height), error);
    if (status != RenderStatus::Drawn) {
        return status;
    }
    dc.DrawBgrPixels(x, y, width, height, m_drawn.constBits(),
                     static_cast<std::size_t>(m_drawn.bytesPerLine()));
    return RenderStatus::Drawn;
}
