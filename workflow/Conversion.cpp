#include "Conversion.h"

#include <QFileInfo>
#include <algorithm>
#include <new>

#include "ConversionTexts.h"
#include "ConversionView.h"
#include "DecodeBudget.h"
#include "imaging/Adjustments.h"
#include "imaging/Geometry.h"
#include "imaging/JpegFileWriter.h"
#include "imaging/JpegSaver.h"
#include "imaging/QualityFit.h"
#include "imaging/codecs/ImageThreads.h"
#include "platform/files/FileOps.h"

namespace {

constexpr int kSampleId = 144;
const QString kSampleType = QStringLiteral("JPG");

QImage Snapshot(const ImageBuffer& buffer) {
    const DibSection* section = buffer.Section();
    return section != nullptr ? section->ToImage() : QImage();
}

ConversionResult WriteFailed(ConversionResult& result, const QString& target,
                             const JpegSaver& saver) {
    result.error = QStringLiteral("cannot write %1: %2").arg(target, saver.LastError());
    result.failure = ConversionFailure::CannotWrite;
    result.systemError = saver.LastSystemError();
    result.foreign = saver.LastForeign();
    return result;
}

// The quality to write `picture` with: the one asked for, or under a size limit the best
// that fits. The search encodes the finished picture in memory; nothing is decoded again.
bool ChooseQuality(const ConversionParams& params, const ImageBuffer& picture,
                   ConversionResult& result) {
    result.quality = std::clamp(params.Quality, 0, 100);
    if (params.MaxKb <= 0) {
        return true;
    }
    JpegFileWriter writer;
    writer.SetDensity(params.Resolution, true);
    QByteArray encoding;
    const QualityFit fit =
        FitQuality(result.quality, params.MaxKb * 1000LL, [&](int quality) -> long long {
            writer.SetQuality(quality);
            encoding.clear();
            return writer.WriteMemory(picture.Section()->Bits(), picture.Width(), picture.Height(),
                                      encoding) == JpegFileWriter::Ok
                       ? encoding.size()
                       : -1;
        });
    if (fit.bytes < 0) {
        result.error = QStringLiteral("cannot encode the picture: %1").arg(writer.ErrorText());
        result.failure = ConversionFailure::CannotEncode;
        return false;
    }
    result.quality = fit.quality;
    result.overLimit = !fit.fits;
    return true;
}

}  // namespace

Conversion::Conversion(QString previewPath, ConversionView* view, QSize initialPreview)
    : m_previewPath(std::move(previewPath)),
      m_view(view),
      m_workPicture(std::make_unique<CPicture>()),
      m_previewBuffer(std::make_unique<ImageBuffer>()) {
    if (initialPreview.isValid() && !initialPreview.isEmpty()) {
        m_previewBuffer->Create(initialPreview.width(), initialPreview.height());
    }
    auto frame = std::make_shared<PreviewFrame>();
    frame->image = Snapshot(*m_previewBuffer);
    m_frame = std::move(frame);
}

std::shared_ptr<const PreviewFrame> Conversion::Preview() const {
    std::lock_guard lock(m_frameLock);
    return m_frame;
}

void Conversion::ReleasePreview() {
    std::lock_guard lock(m_runLock);
    m_previewBuffer->Release();
    std::lock_guard frameLock(m_frameLock);
    m_frame = std::make_shared<PreviewFrame>();
}

void Conversion::Publish() {
    auto frame = std::make_shared<PreviewFrame>();
    frame->image = Snapshot(*m_previewBuffer);
    frame->pictureWidth = m_workPicture->Width();
    frame->pictureHeight = m_workPicture->Height();
    {
        std::lock_guard lock(m_frameLock);
        m_frame = std::move(frame);
    }
    if (m_view != nullptr) {
        m_view->InvalidatePreview();
    }
}

ConversionResult Conversion::Run(const ConversionRequest& request) {
    std::lock_guard lock(m_runLock);
    try {
        return RunLocked(request,
                         m_substituteSample && request.sampleUse == SampleUse::AsConfigured);
    } catch (const std::bad_alloc&) {
        // Whatever step ran out (Qt's containers, the adjustments' tables), the run has
        // nothing to show; what it allocated is gone with its stack.
        ConversionResult result;
        result.defect = PictureDefect::OutOfMemory;
        result.error = DefectText(result.defect);
        result.failure = ConversionFailure::OutOfMemory;
        return result;
    }
}

bool Conversion::LoadSource(CPicture& source, const QString& picturePath, bool substituteSample,
                            ConversionResult& result) {
    // The sample stands in only where no picture is named: shown under a picture's name it
    // would be saved and mailed as if it were that picture.
    if (picturePath.isEmpty() && substituteSample) {
        result.usedSample = true;
        if (!source.LoadFromResource(kSampleId, kSampleType)) {
            result.error = source.LastError();
            result.failure = ConversionFailure::Unreadable;
            return false;
        }
        return true;
    }
    if (!picturePath.isEmpty() && source.LoadFromFile(picturePath)) {
        result.sourceBytes = FileSize(picturePath);
        return true;
    }
    result.defect = source.Defect();
    result.error = picturePath.isEmpty() ? QStringLiteral("no picture given") : source.LastError();
    result.failure =
        source.RanOutOfMemory() ? ConversionFailure::OutOfMemory : ConversionFailure::Unreadable;
    return false;
}

bool Conversion::DrawScaled(CPicture& source, const ConversionParams& params, ImageBuffer& scaled,
                            ConversionResult& result) {
    const bool quarterTurn = (params.Orientation & Orientation::QuarterTurn) != 0;
    if (quarterTurn) {
        source.ExchangeSides();
    }
    const int longer = std::max(source.Width(), source.Height());
    const int targetSize =
        params.NeverEnlarge != 0 ? std::min(params.TargetSize, longer) : params.TargetSize;
    const OutputSize size = ComputeOutputSize(source.Width(), source.Height(), targetSize);
    DecodeBudget::Reservation reservation;
    if (m_budget != nullptr) {
        // A turned picture is drawn in its own orientation, the sides of the output exchanged.
        reservation = m_budget->Reserve(quarterTurn ? source.DrawingBytes(size.height, size.width)
                                                    : source.DrawingBytes(size.width, size.height));
    }
    result.width = size.width;
    result.height = size.height;
    if (!scaled.Create(size.width, size.height)) {
        result.error = QStringLiteral("not enough memory for a %1 x %2 picture")
                           .arg(size.width)
                           .arg(size.height);
        result.failure = ConversionFailure::OutOfMemory;
        return false;
    }
    bool drawn = false;
    if (quarterTurn) {
        // The turn draws the picture afresh; a drawing made here would only be overwritten.
        drawn = RotateQuarterTurn(scaled.Dc(), size.width, size.height, source, params.Orientation);
    } else {
        // The box has the picture's own proportions, truncated: the picture covers all of it,
        // rather than leaving the last column or row black.
        drawn = source.Draw(&scaled.Dc(), CRect{0, 0, size.width, size.height}, false, false);
    }
    if (!result.usedSample) {
        result.defect = source.Defect();
    }
    if (!drawn) {
        result.error = source.LastError();
        result.failure = source.RanOutOfMemory() ? ConversionFailure::OutOfMemory
                                                 : ConversionFailure::Unreadable;
        return false;
    }
    if (result.defect != PictureDefect::None && !result.usedSample) {
        // Converted as other programs do, but not as if nothing were wrong.
        result.warning =
            QStringLiteral("%1; converted what could be read").arg(DefectText(result.defect));
    }
    // What the decoding took goes back before its share of the budget does.
    source.Clear();
    return true;
}

ConversionResult Conversion::RunLocked(const ConversionRequest& request, bool substituteSample) {
    const ConversionParams& params = request.params;
    const QString& picturePath = request.picture;
    ConversionResult result;
    if (ImageThreadsState() != ImageThreads::Ready) {
        result.defect = ImageThreadsState() == ImageThreads::NoMemory
                            ? PictureDefect::OutOfMemory
                            : PictureDefect::TooManyOpenFiles;
        result.error = DefectText(result.defect) + QStringLiteral(" to start the picture threads");
        result.failure = ConversionFailure::OutOfMemory;
        return result;
    }
    CPicture source;
    ImageBuffer scaled;
    if (!LoadSource(source, picturePath, substituteSample, result) ||
        !DrawScaled(source, params, scaled, result)) {
        return result;
    }

    QString target = m_previewPath;
    if (!request.outputFolder.isEmpty()) {
        target = ConversionTexts::FolderTargetName(request.outputFolder, picturePath, result.width,
                                                   result.height);
    }
    if (!request.outputName.isEmpty()) {
        target = request.outputName;
    }
    if (target.isEmpty()) {
        result.error = QStringLiteral("no file to write");
        result.failure = ConversionFailure::CannotWrite;
        if (m_view != nullptr) {
            m_view->PreviewNotWritten(result);
        }
        return result;
    }
    // The first encoding stays in memory: only the final, adjusted picture touches the target,
    // so a failure on the way never costs the file that was there.
    QByteArray firstEncoding;
    JpegFileWriter writer;
    writer.SetQuality(params.Quality);
    writer.SetDensity(params.Resolution, true);
    if (writer.WriteMemory(scaled.Section()->Bits(), scaled.Width(), scaled.Height(),
                           firstEncoding) != JpegFileWriter::Ok) {
        result.error = QStringLiteral("cannot encode the picture: %1").arg(writer.ErrorText());
        result.failure = ConversionFailure::CannotEncode;
        return result;
    }
    scaled.Release();

    // The preview shows the picture as encoded, read back. It is kept: the quick preview
    // redraws this first encoding.
    auto written = std::make_unique<CPicture>();
    auto preview = std::make_unique<ImageBuffer>();
    if (!written->LoadFromMemory(firstEncoding.constData(), firstEncoding.size())) {
        result.error =
            QStringLiteral("cannot read back the encoded picture: %1").arg(written->LastError());
        result.failure = ConversionFailure::CannotReadBack;
        return result;
    }
    firstEncoding.clear();
    if (!preview->Create(written->Width(), written->Height()) ||
        !written->Draw(&preview->Dc(), CRect{0, 0, written->Width(), written->Height()}, true,
                       true)) {
        result.error = QStringLiteral("not enough memory for the preview");
        result.failure = ConversionFailure::OutOfMemory;
        return result;
    }
    ApplyAdjustments(preview->Dc(), params);
    if (!ChooseQuality(params, *preview, result)) {
        return result;
    }
    JpegSaver saver;
    const bool previewFile = target == m_previewPath;
    result.replacedExisting = !previewFile && QFileInfo::exists(target);
    // It shows the user's picture: no one else is to read it, wherever it lies.
    saver.SetOwnerOnly(previewFile);
    if (!saver.SaveBitmapAsJpeg(target, &preview->Dc(), result.quality, -1, -1,
                                params.Resolution)) {
        WriteFailed(result, target, saver);
        if (previewFile && m_view != nullptr) {
            m_view->PreviewNotWritten(result);
        }
        return result;
    }
    result.width = written->Width();
    result.height = written->Height();
    m_workPicture = std::move(written);
    m_previewBuffer = std::move(preview);
    Publish();

    result.previewKb = m_previewPath.isEmpty() ? 0 : ConversionTexts::Kb(FileSize(m_previewPath));
    result.target = target;
    if (m_view != nullptr) {
        m_view->Converted(request, result);
    }
    return result;
}

void Conversion::QuickPreview(const ConversionParams& params) {
    std::lock_guard lock(m_runLock);
    const int width = m_workPicture->Width();
    const int height = m_workPicture->Height();
    if (m_workPicture->IsEmpty() || m_previewBuffer->Width() != width ||
        m_previewBuffer->Height() != height) {
        return;
    }
    m_workPicture->Draw(&m_previewBuffer->Dc(), CRect{0, 0, width, height}, true, true);
    ApplyAdjustments(m_previewBuffer->Dc(), params);
    Publish();
}

void Conversion::SetTargetSize(ConversionParams& params, int size) {
    if (m_busy.exchange(true)) {
        return;
    }
    params.TargetSize = size;
    // The last finished picture gives the proportions, so a size change never waits for a run.
    const std::shared_ptr<const PreviewFrame> frame = Preview();
    // The box is turned for a portrait picture: its other side is always the shorter one.
    const long long longer = std::max(frame->pictureWidth, frame->pictureHeight);
    const long long shorter = std::min(frame->pictureWidth, frame->pictureHeight);
    if (longer > 0) {
        params.CompanionSize = static_cast<int>(size * shorter / longer);
    }
    if (m_view != nullptr) {
        m_view->InvalidatePreview();
    }
    m_busy = false;
}
