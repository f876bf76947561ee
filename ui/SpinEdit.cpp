#include "SpinEdit.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/widgets/DialogTemplate.h"

int WholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

void AcceptWholeNumbers(QLineEdit& field, int digits, bool negative) {
    const QString pattern =
        QStringLiteral("%1\\d{0,%2}").arg(negative ? QStringLiteral("-?") : QString()).arg(digits);
    field.setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), &field));
}

namespace {

QToolButton* Arrow(Qt::ArrowType type, const QString& name, QWidget* parent) {
    auto* arrow = new QToolButton(parent);
    arrow->setArrowType(type);
    arrow->setAutoRepeat(true);          // held down, it goes on counting
    arrow->setFocusPolicy(Qt::NoFocus);  // the Up and Down keys do the same in the field
    arrow->setAccessibleName(name);
    arrow->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return arrow;
}

}  // namespace

CSpinEdit::CSpinEdit(QWidget* parent) : QLineEdit(parent) {}

void CSpinEdit::SetRange(int minimum, int maximum) {
    if (m_spin == nullptr) {
        const QRect field = geometry();
        resize(field.width() - kSpinButtonWidth, field.height());
        m_spin = new QWidget(parentWidget());
        m_spin->setObjectName(ControlName(kSpinButtonId));
        m_spin->setGeometry(field.right() + 1 - kSpinButtonWidth, field.y(), kSpinButtonWidth,
                            field.height());
        auto* layout = new QVBoxLayout(m_spin);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        m_up = Arrow(Qt::UpArrow, QStringLiteral("Erhöhen"), m_spin);
        m_down = Arrow(Qt::DownArrow, QStringLiteral("Verringern"), m_spin);
        layout->addWidget(m_up);
        layout->addWidget(m_down);
        connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
        connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
        m_spin->show();
    }
    m_minimum = minimum;
    m_maximum = maximum;
}

void CSpinEdit::Step(int steps) {
    const long long next = static_cast<long long>(WholeNumber(text())) + steps;
    const QString number = QString::number(std::clamp<long long>(next, m_minimum, m_maximum));
    if (number != text()) {
        setText(number);
    }
}

void CSpinEdit::keyPressEvent(QKeyEvent* event) {
    if (m_spin != nullptr && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        Step(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    QLineEdit::keyPressEvent(event);
}
