#include "PictureObject.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <mutex>

#include "DrawingContext.h"
#include "FileOps.h"
#include "JpegFrame.h"
#include "MulDiv.h"

namespace {

constexpr long long kDecodeLimitBytes = 1LL * PictureObject::kDecodeLimitMiB * 1024 * 1024;

void SetReaderLimitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(PictureObject::kDecodeLimitMiB); });
}

long long CeilEighth(int value) {
    return (static_cast<long long>(value) + 7) / 8;
}

// Memory the smallest possible decoding needs: a JPEG can be decoded at 1/8 scale, but one of
// several scans keeps all its coefficients (64 values of 2 bytes per block) meanwhile.
long long SmallestDecodingBytes(QIODevice& device, QSize stored, bool jpeg) {
    if (!jpeg) {
        return 4LL * stored.width() * stored.height();
    }
    const JpegFrame frame = ReadJpegFrame(device);
    const long long pixels = 4 * CeilEighth(stored.width()) * CeilEighth(stored.height());
    return pixels + (frame.multiScan ? frame.blocks * 128 : 0);
}

// The format from the first bytes, for the formats pictures mostly come in. Naming it spares
// the reader from loading every image plugin (and their libraries) to ask which one knows
// the data: a good part of a small conversion's time.
QByteArray FormatFromSignature(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xD8\xFF")) {
        return "jpeg";
    }
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) {
        return "gif";
    }
    if (bytes.startsWith("BM")) {
        return "bmp";
    }
    if (bytes.startsWith("\x89PNG\r\n\x1A\n")) {
        return "png";
    }
    return {};
}

QImage Opaque(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return image.convertToFormat(QImage::Format_RGB32);
    }
    // Transparent parts show what lies below: the black of a fresh buffer.
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::black);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    return opaque;
}

}  // namespace

std::unique_ptr<PictureObject> PictureObject::Load(const QByteArray& bytes, QString* error) {
    std::unique_ptr<PictureObject> picture(new PictureObject);
    picture->m_bytes = bytes;
    QBuffer buffer(&picture->m_bytes);
    buffer.open(QIODevice::ReadOnly);
    if (!picture->ReadHeader(buffer, error)) {
        return nullptr;
    }
    return picture;
}

std::unique_ptr<PictureObject> PictureObject::LoadFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return nullptr;
    }
    if (file.size() == 0) {
        *error = QStringLiteral("the file is empty");
        return nullptr;
    }
    std::unique_ptr<PictureObject> picture(new PictureObject);
    picture->m_path = path;
    picture->m_identity = IdentifyOpenFile(file.handle());
    if (!picture->ReadHeader(file, error)) {
        return nullptr;
    }
    return picture;
}

bool PictureObject::ReadHeader(QIODevice& device, QString* error) {
    SetReaderLimitOnce();
    const QByteArray format = FormatFromSignature(device.peek(8));
    QImageReader reader(&device, format);
    reader.setAutoDetectImageFormat(format.isEmpty());
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!reader.canRead() || !stored.isValid() || stored.isEmpty()) {
        *error = reader.errorString();
        return false;
    }
    m_format = reader.format();
    m_decodesScaled = m_format == "jpeg";
    m_turnedByExif = (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
    m_size = m_turnedByExif ? stored.transposed() : stored;
    m_decodeBytes = SmallestDecodingBytes(device, stored, m_decodesScaled);
    if (m_decodeBytes > kDecodeLimitBytes) {
        *error =
            QStringLiteral("the picture needs more than %1 MiB to decode").arg(kDecodeLimitMiB);
        return false;
    }
    if (m_decodesScaled) {
        return true;
    }
    QImage image;
    if (!reader.read(&image)) {
        *error = reader.errorString();
        return false;
    }
    ++m_decodes;
    m_whole = Opaque(image);
    m_size = m_whole.size();
    return true;
}

int PictureObject::HimetricWidth() const {
    return MulDiv(m_size.width(), 2540, 96);
}

int PictureObject::HimetricHeight() const {
    return MulDiv(m_size.height(), 2540, 96);
}

RenderStatus PictureObject::DecodeScaled(QSize size, QString* error) {
    QBuffer buffer(&m_bytes);
    QFile file(m_path);
    QIODevice* device = &buffer;
    if (m_path.isEmpty()) {
        buffer.open(QIODevice::ReadOnly);
    } else {
        // Read from the file as it was loaded, or not at all.
        if (!file.open(QIODevice::ReadOnly) || IdentifyOpenFile(file.handle()) != m_identity) {
            *error = QStringLiteral("the file has changed since it was loaded");
            return RenderStatus::Undecodable;
        }
        device = &file;
    }
    QImageReader reader(device, m_format);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(true);
    if (size != m_size) {
        // The reader scales the picture as stored, before it turns it upright.
        reader.setScaledSize(m_turnedByExif ? size.transposed() : size);
    }
    QImage image;
    if (!reader.read(&image)) {
        *error = reader.errorString();
        return RenderStatus::Undecodable;
    }
    ++m_decodes;
    if (image.size() != size) {
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    m_drawn = image.convertToFormat(QImage::Format_BGR888);
    if (m_drawn.isNull()) {
        *error = QStringLiteral("out of memory");
        return RenderStatus::OutOfMemory;
    }
    return RenderStatus::Drawn;
}

RenderStatus PictureObject::Prepare(QSize size, QString* error) {
    if (!m_drawn.isNull() && m_drawn.size() == size) {
        return RenderStatus::Drawn;
    }
    m_drawn = QImage();
    if (m_decodesScaled) {
        return DecodeScaled(size, error);
    }
    const QImage scaled = size == m_whole.size() ? m_whole
                                                 : m_whole.scaled(size, Qt::IgnoreAspectRatio,
                                                                  Qt::SmoothTransformation);
    m_drawn = scaled.convertToFormat(QImage::Format_BGR888);
    if (m_drawn.isNull()) {
        *error = QStringLiteral("out of memory");
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
