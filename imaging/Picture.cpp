#include "Picture.h"

#include <QFile>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/emulation/MulDiv.h"
#include "platform/emulation/Prompts.h"

namespace {

void ShowPictureError(const char* text) {
    CurrentPrompts().ShowMessage({QStringLiteral("CPicture Error"), QString::fromLatin1(text),
                                  MessageButtons::Ok, MessageIcon::Stop});
}

}  // namespace

CPicture::~CPicture() {
    if (m_picture) {
        Clear();
    }
}

void CPicture::Clear() {
    m_picture.reset();
    m_heightPx = 0;
    m_widthPx = 0;
}

void CPicture::ExchangeSides() {
    std::swap(m_widthPx, m_heightPx);
}

bool CPicture::TakeSize() {
    if (!m_picture) {
        m_heightPx = 0;
        m_widthPx = 0;
        return false;
    }
    // Sizes travel through HIMETRIC at 96 pixels per inch, which gives the pixels back.
    m_heightPx = MulDiv(m_picture->HimetricHeight(), 96, 2540);
    m_widthPx = MulDiv(m_picture->HimetricWidth(), 96, 2540);
    return true;
}

bool CPicture::LoadBytes(const QByteArray& bytes) {
    m_lastError.clear();
    m_outOfMemory = false;
    m_defect = PictureDefect::None;
    m_picture = PictureObject::Load(bytes, &m_lastError, &m_defect);
    return TakeSize();
}

bool CPicture::LoadFromFile(const QString& path) {
    if (m_picture) {
        Clear();
    }
    if (path.isEmpty()) {
        m_lastError = QStringLiteral("no file name");
        return false;
    }
    m_lastError.clear();
    m_outOfMemory = false;
    m_defect = PictureDefect::None;
    m_picture = PictureObject::LoadFile(path, &m_lastError, &m_defect);
    return TakeSize();
}

bool CPicture::LoadFromResource(int id, const QString& type) {
    if (m_picture) {
        Clear();
    }
    QFile resource(QStringLiteral(":/%1/%2").arg(type).arg(id));
    if (!resource.exists()) {
        ShowPictureError("FindResource() Failed\t");
        m_lastError = QStringLiteral("no resource %1 of type %2").arg(id).arg(type);
        return false;
    }
    if (!resource.open(QIODevice::ReadOnly)) {
        ShowPictureError("LoadResource() Failed\t");
        m_lastError = resource.errorString();
        return false;
    }
    return LoadBytes(resource.readAll());
}

bool CPicture::LoadFromMemory(const void* data, long long size) {
    if (data == nullptr || size <= 0) {
        m_picture.reset();
        m_lastError = QStringLiteral("no data");
        return TakeSize();
    }
    QByteArray copy;
    try {
        copy = QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(size));
    } catch (const std::bad_alloc&) {
        ShowPictureError("Can not allocate enough memory\t");
        m_lastError = DefectText(PictureDefect::OutOfMemory);
        m_outOfMemory = true;
        return false;
    }
    return LoadBytes(copy);
}

bool CPicture::Draw(CDC* dc, CRect rect, bool keepAspect, bool centre) {
    m_outOfMemory = false;
    if (dc == nullptr || !m_picture) {
        return false;
    }
    auto& [left, top, right, bottom] = rect;
    if (keepAspect) {
        const long long w = m_widthPx;
        const long long h = m_heightPx;
        if (w <= 0 || h <= 0) {
            return false;
        }
        if (std::abs(bottom - top) / double(h) >= std::abs(right - left) / double(w)) {
            const int height = static_cast<int>((right - left) * h / w);
            if (centre) {
                top = (top + bottom - height) / 2;
            }
            bottom = top + height;
        } else {
            const int width = static_cast<int>((bottom - top) * w / h);
            if (centre) {
                left = (left + right - width) / 2;
            }
            right = left + width;
        }
    }
    const RenderStatus status =
        m_picture->Render(*dc, left, top, right - left, bottom - top, &m_lastError);
    m_defect = m_picture->Defect();
    switch (status) {
        case RenderStatus::Drawn:
            return true;
        case RenderStatus::OutOfMemory:
            m_outOfMemory = true;
            ShowPictureError("Can not allocate enough memory\t");
            return false;
        case RenderStatus::Undecodable:
            break;
    }
    return false;
}
