#include "PreviewPane.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <memory>
#include <optional>

#include "platform/widgets/DevicePixels.h"
#include "platform/widgets/DialogTemplate.h"
#include "platform/widgets/OwnerDrawnControl.h"
#include "workflow/Conversion.h"
#include "workflow/PreviewLayout.h"

namespace {

constexpr int kPreviewControl = 1000;
constexpr int kHorizontalBar = 1002;
constexpr int kVerticalBar = 1003;

// Scroll codes for what a Qt scroll bar was asked to do.
int CodeFor(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            return ScrollCode::LineUp;
        case QAbstractSlider::SliderSingleStepAdd:
            return ScrollCode::LineDown;
        case QAbstractSlider::SliderPageStepSub:
            return ScrollCode::PageUp;
        case QAbstractSlider::SliderPageStepAdd:
            return ScrollCode::PageDown;
        case QAbstractSlider::SliderToMinimum:
            return ScrollCode::Top;
        case QAbstractSlider::SliderToMaximum:
            return ScrollCode::Bottom;
        case QAbstractSlider::SliderMove:
            return ScrollCode::ThumbTrack;
        default:
            return ScrollCode::EndScroll;
    }
}

}  // namespace

QWidget* PreviewPane::MakeControl(const ControlTemplate& control, QWidget* parent) {
    if (control.id == kPreviewControl) {
        return new OwnerDrawnControl(parent);
    }
    return nullptr;
}

void PreviewPane::Bind(QWidget& window) {
    m_verticalBar = qobject_cast<QScrollBar*>(ControlById(window, kVerticalBar));
    m_horizontalBar = qobject_cast<QScrollBar*>(ControlById(window, kHorizontalBar));
    m_previewControl = qobject_cast<OwnerDrawnControl*>(ControlById(window, kPreviewControl));
    if (m_previewControl != nullptr) {
        m_previewControl->SetDrawItem(
            [this](QPainter& painter, const QRect& item) { Paint(painter, item); });
    }
    for (QScrollBar* bar : {m_horizontalBar, m_verticalBar}) {
        if (bar == nullptr) {
            continue;
        }
        QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [this, bar](int action) {
            const int code = CodeFor(action);
            if (bar->orientation() == Qt::Horizontal) {
                OnHScroll(code, bar->sliderPosition(), bar);
            } else {
                OnVScroll(code, bar->sliderPosition(), bar);
            }
        });
    }
}

bool PreviewPane::Bound() const {
    return m_previewControl != nullptr && m_horizontalBar != nullptr && m_verticalBar != nullptr;
}

void PreviewPane::LayOut(const QRect& client) {
    if (!Bound()) {
        return;
    }
    const int l = client.left();
    const int t = client.top();
    const int r = client.left() + client.width();
    const int b = client.top() + client.height();
    m_previewControl->setGeometry(l + 10, t + 10, r - l - 36, b - t - 36);
    m_horizontalBar->setGeometry(l + 10, b - 26, r - l - 36, 16);
    m_verticalBar->setGeometry(r - 26, t + 10, 16, b - t - 36);
    UpdateScrollBars();
}

void PreviewPane::UpdateScrollBars() {
    if (!Bound()) {
        return;
    }
    const std::shared_ptr<const PreviewFrame> frame = m_conversion.Preview();
    const PreviewLayout layout =
        LayOutPreview(DeviceSize(*m_previewControl), m_params.TargetSize, m_params.CompanionSize,
                      frame->pictureWidth, frame->pictureHeight, m_scrollX, m_scrollY);
    m_horizontalBar->setVisible(layout.HorizontalShown());
    m_horizontalBar->setRange(0, layout.horizontalRange);
    m_verticalBar->setVisible(layout.VerticalShown());
    m_verticalBar->setRange(0, layout.verticalRange);
    m_scrollX = layout.scrollX;
    m_scrollY = layout.scrollY;
    m_previewControl->update();
}

void PreviewPane::Paint(QPainter& painter, const QRect& item) {
    const std::shared_ptr<const PreviewFrame> frame = m_conversion.Preview();
    const DevicePixelPainting device(painter, item);
    const QRect area = device.Rect();
    const PreviewLayout layout =
        LayOutPreview(area.size(), m_params.TargetSize, m_params.CompanionSize, frame->pictureWidth,
                      frame->pictureHeight, m_scrollX, m_scrollY);
    // Grey inside a black border one window pixel wide, in whole device pixels.
    const int border = std::max(1, static_cast<int>(painter.device()->devicePixelRatioF()));
    painter.fillRect(area, Qt::black);
    painter.fillRect(area.adjusted(border, border, -border, -border), QColor(128, 128, 128));
    painter.drawPixmap(layout.destination, Pixmap(frame),
                       QRect(0, 0, frame->pictureWidth, frame->pictureHeight));
}

const QPixmap& PreviewPane::Pixmap(const std::shared_ptr<const PreviewFrame>& frame) {
    if (m_pixmapFrame.lock() != frame) {
        m_pixmap = QPixmap::fromImage(frame->image);
        m_pixmapFrame = frame;
    }
    return m_pixmap;
}

void PreviewPane::OnHScroll(int code, int position, QScrollBar* bar) {
    if (bar != nullptr && bar == m_horizontalBar) {
        Scroll(code, position, bar, m_scrollX);
    }
}

void PreviewPane::OnVScroll(int code, int position, QScrollBar* bar) {
    if (bar != nullptr) {
        Scroll(code, position, bar, m_scrollY);
    }
}

void PreviewPane::Scroll(int code, int position, QScrollBar* bar, int& offset) {
    const std::optional<int> next = ScrollTo(code, position, offset, bar->maximum());
    if (!next) {
        return;
    }
    offset = *next;
    bar->setSliderPosition(offset);
    if (m_previewControl != nullptr) {
        m_previewControl->update();
    }
}
