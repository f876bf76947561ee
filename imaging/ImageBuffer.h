#pragma once

#include <memory>

#include "platform/emulation/DibSection.h"
#include "platform/emulation/DrawingContext.h"

// A 24-bit picture in memory: a drawing context with a black bitmap section selected into
// it. When the section cannot be made, the context stays without one and drawing into it
// has no effect.
class ImageBuffer {
public:
    ImageBuffer() = default;
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;
    ~ImageBuffer() { Release(); }

    // Replaces whatever the buffer held. False when the section could not be made.
    bool Create(int width, int height);
    void Release();

    CDC& Dc() { return m_dc; }
    const CDC& Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const DibSection* Section() const { return m_section.get(); }

private:
    CDC m_dc;
    std::unique_ptr<DibSection> m_section;
    int m_width = 0;
    int m_height = 0;
};
