#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

#include "ConversionRequest.h"
#include "ConversionResult.h"
#include "imaging/ConversionParams.h"
#include "imaging/ImageBuffer.h"
#include "imaging/Picture.h"

class ConversionView;
class DecodeBudget;

// The preview as it stood after the last finished run or quick preview.
struct PreviewFrame {
    QImage image;  // B, G, R bytes, top row first
    int pictureWidth = 0;
    int pictureHeight = 0;
};

// The one conversion every result of the program comes from: load a picture, scale it, turn
// it, encode it, read it back, adjust its colours, encode it again. It owns the working
// picture and the preview buffer. Runs, quick previews and size changes from any thread are
// serialised; painting takes the last finished preview and never waits for a run.
class Conversion {
public:
    // `previewPath` is the preview file; an empty one means runs always name their target.
    explicit Conversion(QString previewPath, ConversionView* view = nullptr,
                        QSize initialPreview = {});

    // A run that names no picture converts the built-in sample picture, unless this is
    // switched off (the command-line converter fails instead). A named picture that cannot be
    // decoded always fails: the sample never stands in under another picture's name.
    void SetSubstituteSample(bool substitute) { m_substituteSample = substitute; }
    // Conversions running side by side share the memory their decodings take.
    void SetDecodeBudget(DecodeBudget* budget) { m_budget = budget; }

    // Converts the request's picture into its target; the result's target is empty when
    // nothing could be written.
    ConversionResult Run(const ConversionRequest& request);

    // Redraws the last written picture into the preview with the colour settings; no file.
    void QuickPreview(const ConversionParams& params);
    // Changes the output size and the preview box; no file.
    void SetTargetSize(ConversionParams& params, int size);

    std::shared_ptr<const PreviewFrame> Preview() const;
    // Frees the preview buffer; the window does so when it closes.
    void ReleasePreview();
    const QString& PreviewPath() const { return m_previewPath; }

private:
    ConversionResult RunLocked(const ConversionRequest& request, bool substituteSample);
    bool LoadSource(CPicture& source, const QString& picturePath, bool substituteSample,
                    ConversionResult& result);
    bool DrawScaled(CPicture& source, const ConversionParams& params, ImageBuffer& scaled,
                    ConversionResult& result);
    void Publish();

    const QString m_previewPath;
    ConversionView* const m_view;
    bool m_substituteSample = true;
    DecodeBudget* m_budget = nullptr;

    std::mutex m_runLock;  // one run or quick preview at a time
    // Between runs: the last written file, decoded, and the preview made of it.
    std::unique_ptr<CPicture> m_workPicture;
    std::unique_ptr<ImageBuffer> m_previewBuffer;

    mutable std::mutex m_frameLock;  // guards only the published frame
    std::shared_ptr<const PreviewFrame> m_frame;
    std::atomic<bool> m_busy{false};
};
