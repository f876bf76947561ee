#include "BufferImages.h"

#include "platform/DibSection.h"
#include "platform/DrawingContext.h"

QImage ToImage(const CDC& dc) {
    const DibSection* bitmap = dc.GetCurrentBitmap();
    return bitmap != nullptr ? bitmap->ToImage().convertToFormat(QImage::Format_RGB888) : QImage();
}

void Fill(CDC& dc, const QImage& image) {
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    dc.DrawBgrPixels(0, 0, bgr.width(), bgr.height(), bgr.constBits(),
                     static_cast<std::size_t>(bgr.bytesPerLine()));
}
