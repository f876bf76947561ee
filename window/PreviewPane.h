#pragma once

#include <QPixmap>
#include <QRect>
#include <memory>

class Conversion;
class OwnerDrawnControl;
class QPainter;
class QScrollBar;
class QWidget;
struct ControlTemplate;
struct ConversionParams;
struct PreviewFrame;

// The main window's preview: the control that shows the converted picture at its real pixel
// size in a box of the target size, and the two bars that scroll it when the box is larger
// than the control. It reads the window's parameters and the last finished preview, so it
// never waits for a conversion. Real pixels are the screen's: the box, the offsets and the
// bars' ranges count device pixels, so one picture pixel is one device pixel at any
// device-pixel ratio (at ratio 1 they are the window's pixels).
class PreviewPane {
public:
    PreviewPane(const Conversion& conversion, const ConversionParams& params)
        : m_conversion(conversion), m_params(params) {}

    // The widget the window's template gets for the preview control; null for the others.
    static QWidget* MakeControl(const ControlTemplate& control, QWidget* parent);
    // Finds the control and its bars among the controls of `window` and wires them up.
    void Bind(QWidget& window);

    // Puts the control and the bars into the window's inside, `client`.
    void LayOut(const QRect& client);
    // Shows, hides and ranges the scroll bars for the preview box and picture as they are now.
    void UpdateScrollBars();
    void ScrollHome() {
        m_scrollX = 0;
        m_scrollY = 0;
    }
    // A scroll request from a bar: code as in ScrollCode, with the thumb's position.
    void OnHScroll(int code, int position, QScrollBar* bar);
    void OnVScroll(int code, int position, QScrollBar* bar);
    // Paints the preview control, whose whole rectangle is `item`.
    void Paint(QPainter& painter, const QRect& item);

    int ScrollX() const { return m_scrollX; }
    int ScrollY() const { return m_scrollY; }

private:
    bool Bound() const;
    void Scroll(int code, int position, QScrollBar* bar, int& offset);
    // The frame as a pixmap for the screen, made once per frame.
    const QPixmap& Pixmap(const std::shared_ptr<const PreviewFrame>& frame);

    const Conversion& m_conversion;
    const ConversionParams& m_params;
    int m_scrollX = 0;
    int m_scrollY = 0;
    QScrollBar* m_verticalBar = nullptr;
    QScrollBar* m_horizontalBar = nullptr;
    OwnerDrawnControl* m_previewControl = nullptr;
    std::weak_ptr<const PreviewFrame> m_pixmapFrame;
    QPixmap m_pixmap;
};
