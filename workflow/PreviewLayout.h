#pragma once

#include <QRect>
#include <QSize>
#include <optional>

// Where the preview goes inside its control: a box of TargetSize by CompanionSize (turned
// for portrait pictures), scrolled when larger than the control and centred when smaller,
// and within it the picture at its own proportions.
struct PreviewLayout {
    QSize box;
    int horizontalRange = 0;  // box beyond the control; the bar shows only when positive
    int verticalRange = 0;
    int scrollX = 0;  // the offsets, zeroed where a bar is hidden
    int scrollY = 0;
    QRect destination;
    bool HorizontalShown() const { return horizontalRange > 0; }
    bool VerticalShown() const { return verticalRange > 0; }
};

PreviewLayout LayOutPreview(QSize control, int targetSize, int companionSize, int pictureWidth,
                            int pictureHeight, int scrollX, int scrollY);

// Scroll codes of the preview's bars.
namespace ScrollCode {
constexpr int LineUp = 0;
constexpr int LineDown = 1;
constexpr int PageUp = 2;
constexpr int PageDown = 3;
constexpr int ThumbPosition = 4;
constexpr int ThumbTrack = 5;
constexpr int Top = 6;
constexpr int Bottom = 7;
constexpr int EndScroll = 8;
}  // namespace ScrollCode

// The new offset for a scroll code; nothing when the code is to be ignored. The offset stays
// below the bar's maximum.
std::optional<int> ScrollTo(int code, int trackPosition, int current, int maximum);
