#include "PictureObject.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>
#include <cerrno>
#include <mutex>

#include "ColourTransform.h"
#include "PictureSource.h"
#include "TiffMessages.h"
#include "platform/emulation/DrawingContext.h"
#include "platform/emulation/MulDiv.h"
#include "platform/files/FileOps.h"

namespace {

constexpr long long kDecodeLimitBytes = 1LL * PictureObject::kDecodeLimitMiB * 1024 * 1024;

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
    PictureSource source(raw);
    m_decoder = ChooseDecoder(source);
    m_probe = m_decoder->Probe(source, kDecodeLimitBytes);
    if (m_probe.defect == PictureDefect::None && source.ReadFailed()) {
        m_probe.defect = PictureDefect::ReadError;
    }
    if (m_probe.defect != PictureDefect::None) {
        *defect = m_probe.defect;
        *error = DefectText(m_probe.defect);
        return false;
    }
    return true;
}

int PictureObject::HimetricWidth() const {
    return MulDiv(m_probe.upright.width(), 2540, 96);
}

int PictureObject::HimetricHeight() const {
    return MulDiv(m_probe.upright.height(), 2540, 96);
}

RenderStatus PictureObject::Decode(QSize size, QImage& picture, QString* error) {
    QBuffer buffer;
    QFile file;
    if (m_path.isEmpty()) {
        buffer.setBuffer(&m_bytes);
        buffer.open(QIODevice::ReadOnly);
    } else {
        // Read from the file as it was loaded, or not at all.
        QString ignored;
        if (OpenRegularFile(file, m_path, &ignored) != FileOpening::Opened ||
            IdentifyOpenFile(file.handle()) != m_identity) {
            *error = QStringLiteral("the file has changed since it was loaded");
            return RenderStatus::Undecodable;
        }
    }
    PictureSource source(m_path.isEmpty() ? static_cast<QIODevice&>(buffer) : file);
    DecodedPicture decoded = m_decoder->Decode(source, size);
    m_defect = decoded.defect;
    switch (decoded.status) {
        case DecodeStatus::Decoded:
            ++m_decodes;
            picture = std::move(decoded.picture);
            return RenderStatus::Drawn;
        case DecodeStatus::Stopped:
            *error = QStringLiteral("stopped: the program is ending");
            return RenderStatus::Undecodable;
        case DecodeStatus::OutOfMemory:
            *error = DefectText(PictureDefect::OutOfMemory);
            return RenderStatus::OutOfMemory;
        case DecodeStatus::Undecodable:
            break;
    }
    *error = DefectText(m_defect);
    return RenderStatus::Undecodable;
}

long long PictureObject::DrawingBytes(QSize size) const {
    return m_decoder->DecodingBytes(size) + 4LL * size.width() * size.height();
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
    QImage picture;
    if (m_probe.decodesAtSize || m_whole.isNull()) {
        const RenderStatus decoded = Decode(size, picture, error);
        if (decoded != RenderStatus::Drawn) {
            return decoded;
        }
    }
    if (m_probe.decodesAtSize) {
        m_drawn =
            SRgbInBgrOrder(picture.size() == size ? std::move(picture)
                                                  : picture.scaled(size, Qt::IgnoreAspectRatio,
                                                                   Qt::SmoothTransformation));
    } else {
        if (!picture.isNull()) {
            MakeOpaque(picture);
            if (picture.isNull()) {
                *error = DefectText(PictureDefect::OutOfMemory);
                return RenderStatus::OutOfMemory;
            }
            m_whole = std::move(picture);
        }
        m_drawn =
            SRgbInBgrOrder(size == m_whole.size() ? m_whole.copy()
                                                  : m_whole.scaled(size, Qt::IgnoreAspectRatio,
                                                                   Qt::SmoothTransformation));
    }
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
