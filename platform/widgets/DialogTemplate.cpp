#include "DialogTemplate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>

#include "FramedTextEdit.h"
#include "platform/emulation/MulDiv.h"

namespace {

QStringList Strings(const QJsonValue& value) {
    QStringList strings;
    const QJsonArray array = value.toArray();
    for (const QJsonValue& item : array) {
        strings << item.toString();
    }
    return strings;
}

QRect UnitRect(const QJsonObject& object) {
    return {object.value("x").toInt(), object.value("y").toInt(), object.value("width").toInt(),
            object.value("height").toInt()};
}

QWidget* Edit(const ControlTemplate& control, QWidget* parent) {
    const bool readOnly = control.style.contains("readonly");
    if (control.style.contains("multiline")) {
        auto* edit = new FramedTextEdit(control.text, parent);
        edit->setReadOnly(readOnly);
        edit->setTabChangesFocus(true);  // Enter starts a new line; Tab moves on, as in a dialog
        if (control.style.contains("autohscroll")) {
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);  // long lines scroll sideways
        }
        return edit;
    }
    auto* edit = new QLineEdit(control.text, parent);
    edit->setReadOnly(readOnly);
    if (control.style.contains("centre")) {
        edit->setAlignment(Qt::AlignHCenter);
    }
    return edit;
}

QWidget* StandardControl(const ControlTemplate& control, QWidget* parent) {
    const Qt::Orientation orientation =
        control.style.contains("vertical") ? Qt::Vertical : Qt::Horizontal;
    if (control.kind == QLatin1String("scrollbar")) {
        return new QScrollBar(orientation, parent);
    }
    if (control.kind == QLatin1String("slider")) {
        return new QSlider(orientation, parent);
    }
    if (control.kind == QLatin1String("static")) {
        return new QLabel(control.text, parent);
    }
    if (control.kind == QLatin1String("groupbox")) {
        return new QGroupBox(control.text, parent);
    }
    if (control.kind == QLatin1String("edit")) {
        return Edit(control, parent);
    }
    if (control.kind == QLatin1String("checkbox")) {
        return new QCheckBox(control.text, parent);
    }
    if (control.kind == QLatin1String("radio")) {
        return new QRadioButton(control.text, parent);
    }
    if (control.kind == QLatin1String("combobox")) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(control.style.contains("dropdown"));  // "droplist": no edit field
        return combo;
    }
    auto* button = new QPushButton(control.text, parent);
    button->setAutoDefault(false);
    button->setDefault(control.style.contains("default"));
    return button;
}

}  // namespace

std::optional<DialogTemplate> LoadDialogTemplate(int id) {
    QFile file(QStringLiteral(":/dialogs/%1.json").arg(id));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    DialogTemplate result;
    result.id = id;
    result.caption = root.value("caption").toString();
    result.size = UnitRect(root).size();
    const QJsonObject font = root.value("font").toObject();
    result.font = QFont(font.value("family").toString(), font.value("points").toInt(8));
    result.style = Strings(root.value("style"));
    const QJsonArray controls = root.value("controls").toArray();
    for (const QJsonValue& value : controls) {
        const QJsonObject control = value.toObject();
        result.controls.push_back({control.value("id").toInt(), control.value("kind").toString(),
                                   control.value("text").toString(), UnitRect(control),
                                   Strings(control.value("style"))});
    }
    return result;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the alphabet's 52 letters, rounded, as the system of the
    // original design measures it.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (letters / 26 + 1) / 2;
    m_baseY = metrics.height();
}

QRect DialogUnits::ToPixels(const QRect& units) const {
    return {MulDiv(units.x(), m_baseX, 4), MulDiv(units.y(), m_baseY, 8),
            MulDiv(units.width(), m_baseX, 4), MulDiv(units.height(), m_baseY, 8)};
}

QSize DialogUnits::ToPixels(const QSize& units) const {
    return {MulDiv(units.width(), m_baseX, 4), MulDiv(units.height(), m_baseY, 8)};
}

QString ControlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

QWidget* ControlById(const QWidget& dialog, int id) {
    return dialog.findChild<QWidget*>(ControlName(id));
}

void ConnectOkAndCancel(QDialog& dialog) {
    if (auto* ok = qobject_cast<QPushButton*>(ControlById(dialog, 1))) {
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    }
    if (auto* cancel = qobject_cast<QPushButton*>(ControlById(dialog, 2))) {
        QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    }
}

void SetAccessibleName(const QWidget& dialog, int id, const QString& name) {
    if (QWidget* control = ControlById(dialog, id)) {
        control->setAccessibleName(name);
    }
}

void ApplyDialogTemplate(QDialog& dialog, const DialogTemplate& dialogTemplate,
                         const ControlFactory& factory) {
    dialog.setWindowTitle(dialogTemplate.caption);
    dialog.setFont(dialogTemplate.font);
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
    if (dialogTemplate.style.contains("sysmenu")) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (dialogTemplate.style.contains("minimizebox")) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if (dialogTemplate.style.contains("maximizebox")) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    dialog.setWindowFlags(flags);
    const DialogUnits units(dialogTemplate.font);
    // A modal frame without a sizing border: nothing in it grows with the window.
    if (dialogTemplate.style.contains("modalframe") &&
        !dialogTemplate.style.contains("thickframe")) {
        dialog.setFixedSize(units.ToPixels(dialogTemplate.size));
    } else {
        dialog.resize(units.ToPixels(dialogTemplate.size));
    }
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = factory ? factory(control, &dialog) : nullptr;
        if (widget == nullptr) {
            widget = StandardControl(control, &dialog);
        }
        widget->setObjectName(ControlName(control.id));
        QRect rect = units.ToPixels(control.rect);
        if (control.kind == QLatin1String("combobox")) {
            // A combo box's height in the template includes its open list; closed, it is
            // as high as its style makes it.
            rect.setHeight(widget->sizeHint().height());
        }
        widget->setGeometry(rect);
        if (control.style.contains("tabstop")) {
            widget->setFocusPolicy(Qt::StrongFocus);
        }
        if (control.style.contains("hidden")) {
            widget->setVisible(false);
        }
    }
}
