#include "BufferImages.h"

#include "platform/DibSection.h"
#include "platform/DrawingContext.h"

QImage ToImage(const CDC& dc) {
    const DibSection* bitmap = dc.GetCurrentBitmap();
    if (bitmap == nullptr) {
        return {};
    }
    QImage image(bitmap->Width(), bitmap->Height(), QImage::Format_RGB888);
    for (int y = 0; y < bitmap->Height(); ++y) {
        const std::uint8_t* in = bitmap->Row(y);
        uchar* out = image.scanLine(y);
        for (int x = 0; x < bitmap->Width(); ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return image;
}

void Fill(CDC& dc, const QImage& image) {
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    dc.DrawBgrPixels(0, 0, bgr.width(), bgr.height(), bgr.constBits(),
                     static_cast<std::size_t>(bgr.bytesPerLine()));
}
