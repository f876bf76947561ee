#include "WindowTexts.h"

#include "ConversionRequest.h"
#include "ConversionResult.h"
#include "ConversionTexts.h"

namespace WindowTexts {

QString Title(const ConversionRequest& request, const ConversionResult& result) {
    const QString& named =
        request.outputFolder.isEmpty() ? request.currentPicture : request.picture;
    return ConversionTexts::Title(
        result.usedSample ? ConversionTexts::SampleName() : ConversionTexts::FileName(named),
        result.previewKb);
}

QString Information(const ConversionRequest& request, const ConversionResult& result) {
    QString text = ConversionTexts::InfoText(
        result.usedSample ? QString() : ConversionTexts::SourceSizeLine(result.sourceBytes),
        result.previewKb,
        ConversionTexts::PrintSize(result.width, result.height, request.params.Resolution));
    if (request.params.MaxKb > 0) {
        text += QStringLiteral("\r\n") +
                ConversionTexts::LimitLine(result.quality, request.params.MaxKb, result.overLimit);
    }
    return text;
}

}  // namespace WindowTexts
