#include "ImageBuffer.h"

bool ImageBuffer::Create(int width, int height) {
    Release();
    m_width = width;
    m_height = height;
    m_section = DibSection::Create(width, height);
    m_dc.SelectObject(m_section.get());
    return m_section != nullptr;
}

void ImageBuffer::Release() {
    m_dc.SelectObject(nullptr);
    m_section.reset();
    m_width = 0;
    m_height = 0;
}
