#include "PreviewLayout.h"

#include <cmath>
#include <limits>

namespace {

double Ratio(int length, int size) {
    return size == 0 ? std::numeric_limits<double>::infinity() : std::abs(length) / double(size);
}

}  // namespace

PreviewLayout LayOutPreview(QSize control, int targetSize, int companionSize, int pictureWidth,
                            int pictureHeight, int scrollX, int scrollY) {
    PreviewLayout layout;
    const bool portrait = pictureHeight > pictureWidth;
    layout.box = portrait ? QSize(companionSize, targetSize) : QSize(targetSize, companionSize);
    layout.horizontalRange = layout.box.width() - control.width();
    layout.verticalRange = layout.box.height() - control.height();
    layout.scrollX = layout.HorizontalShown() ? scrollX : 0;
    layout.scrollY = layout.VerticalShown() ? scrollY : 0;

    int left = -layout.scrollX;
    int top = -layout.scrollY;
    int right = layout.box.width() - layout.scrollX;
    int bottom = layout.box.height() - layout.scrollY;
    if (layout.box.width() < control.width()) {
        const int shift = (control.width() - layout.box.width()) / 2;
        left += shift;
        right += shift;
    }
    if (layout.box.height() < control.height()) {
        const int shift = (control.height() - layout.box.height()) / 2;
        top += shift;
        bottom += shift;
    }
    // Narrowed to the picture's proportions, centred in the box.
    const long long w = pictureWidth;
    const long long h = pictureHeight;
    if (Ratio(right - left, pictureWidth) > Ratio(bottom - top, pictureHeight)) {
        const int width = h == 0 ? 1 : static_cast<int>((bottom - top) * w / h);
        left = (right - width + left) / 2;
        right = left + width;
    } else {
        const int height = w == 0 ? 1 : static_cast<int>((right - left) * h / w);
        top = (bottom - height + top) / 2;
        bottom = top + height;
    }
    layout.destination = QRect(left, top, right - left, bottom - top);
    return layout;
}

std::optional<int> ScrollTo(int code, int trackPosition, int current, int maximum) {
    int position = current;
    switch (code) {
        case ScrollCode::LineUp:
        case ScrollCode::Top:
            position -= 10;
            break;
        case ScrollCode::LineDown:
        case ScrollCode::Bottom:
            position += 10;
            break;
        case ScrollCode::PageUp:
            position -= 30;
            break;
        case ScrollCode::PageDown:
            position += 30;
            break;
        case ScrollCode::ThumbPosition:
        case ScrollCode::EndScroll:
            return std::nullopt;
        case ScrollCode::ThumbTrack:
            position = trackPosition;
            break;
        default:
            break;
    }
    if (position < 0) {
        position = 0;
    }
    // One short of the maximum, as the bars have always scrolled.
    if (position >= maximum) {
        position = maximum - 1;
    }
    return position < 0 ? 0 : position;
}
