#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "imaging/codecs/PictureObject.h"

class CDC;

// Rectangle with exclusive right and bottom edges.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A decoded picture with its size in pixels, drawn scaled into a rectangle of a drawing
// context. Failures the user must hear of are shown captioned "CPicture Error".
class CPicture {
public:
    CPicture() = default;
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;
    virtual ~CPicture();

    bool LoadFromFile(const QString& path);
    // The picture kept in the program's resources under type and numeric id.
    bool LoadFromResource(int id, const QString& type);
    // The data is copied; the caller keeps its block. False when it cannot be decoded.
    bool LoadFromMemory(const void* data, long long size);
    // Draws the whole picture into `rect`. With keepAspect the rectangle is first narrowed to
    // the picture's proportions, anchored at its top-left corner or, with centre, centred.
    bool Draw(CDC* dc, CRect rect, bool keepAspect, bool centre);
    void Clear();

    int Width() const { return m_widthPx; }
    int Height() const { return m_heightPx; }
    bool IsEmpty() const { return m_picture == nullptr; }
    // For a quarter turn the conversion works with the sides exchanged until the next load.
    void ExchangeSides();
    // Why the last load or drawing failed, in words for a log or a terminal.
    const QString& LastError() const { return m_lastError; }
    // Whether the last failure was a lack of memory rather than data that does not decode.
    bool RanOutOfMemory() const { return m_outOfMemory; }
    // What is wrong with the picture: why the last load or drawing failed, or after a
    // drawing, the damage it was drawn with.
    PictureDefect Defect() const { return m_defect; }
    // What decoding the picture takes in memory (see PictureObject); 0 without a picture.
    long long DecodeBytes() const { return m_picture ? m_picture->DecodeBytes() : 0; }
    // What a drawing of width × height takes in all (see PictureObject); 0 without a picture.
    long long DrawingBytes(int width, int height) const {
        return m_picture ? m_picture->DrawingBytes(QSize(width, height)) : 0;
    }
    // How often the picture behind has been decoded (see PictureObject).
    int DecodeCount() const { return m_picture ? m_picture->DecodeCount() : 0; }

private:
    bool LoadBytes(const QByteArray& bytes);
    bool TakeSize();

    std::unique_ptr<PictureObject> m_picture;
    int m_heightPx = 0;
    int m_widthPx = 0;
    QString m_lastError;
    bool m_outOfMemory = false;
    PictureDefect m_defect = PictureDefect::None;
};
