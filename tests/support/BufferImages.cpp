#include "BufferImages.h"

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "imaging/ImageBuffer.h"
#include "imaging/Picture.h"
#include "platform/emulation/DibSection.h"
#include "platform/emulation/DrawingContext.h"

QImage ToImage(const CDC& dc) {
    const DibSection* bitmap = dc.GetCurrentBitmap();
    return bitmap != nullptr ? bitmap->ToImage().convertToFormat(QImage::Format_RGB888) : QImage();
}

void Fill(CDC& dc, const QImage& image) {
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    dc.DrawBgrPixels(0, 0, bgr.width(), bgr.height(), bgr.constBits(),
                     static_cast<std::size_t>(bgr.bytesPerLine()));
}

PictureDefect LoadAndDraw(const QByteArray& bytes, QSize size, QImage* drawn,
                          long long* decodeBytes, bool fromMemory) {
    TestFolder folder;
    WriteAll(folder.File("p"), bytes);
    CPicture picture;
    if (!(fromMemory ? picture.LoadFromMemory(bytes.constData(), bytes.size())
                     : picture.LoadFromFile(folder.File("p")))) {
        return picture.Defect();
    }
    if (decodeBytes != nullptr) {
        *decodeBytes = picture.DecodeBytes();
    }
    ImageBuffer buffer;
    buffer.Create(size.width(), size.height());
    picture.Draw(&buffer.Dc(), CRect{0, 0, size.width(), size.height()}, false, false);
    if (drawn != nullptr) {
        *drawn = ToImage(buffer.Dc());
    }
    return picture.Defect();
}

void FillBuffer(ImageBuffer& buffer, const QImage& image) {
    ASSERT_TRUE(buffer.Create(image.width(), image.height()));
    Fill(buffer.Dc(), image);
}
