#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

// A dialog as its template describes it: positions and sizes in dialog units, which follow
// the dialog's font, so the layout keeps its proportions whatever font the system gives.
struct ControlTemplate {
    int id = 0;
    // "button", "scrollbar", "slider", "static", "groupbox", "edit", "checkbox", "radio",
    // "combobox"; style words such as "vertical", "readonly", "multiline", "centre",
    // "autohscroll" (a multi-line edit does not wrap), "dropdown" (an edit field) or
    // "droplist" (none), "hidden", "default", "tabstop".
    QString kind;
    QString text;
    QRect rect;  // dialog units
    QStringList style;
};

struct DialogTemplate {
    int id = 0;
    QString caption;
    QSize size;  // client area, dialog units
    QFont font;
    QStringList style;
    std::vector<ControlTemplate> controls;
};

// The template kept as res/dialogs/<id>.json in the resources; nothing when it is missing or
// damaged.
std::optional<DialogTemplate> LoadDialogTemplate(int id);

// Dialog units to pixels: horizontally a quarter of the font's average character width,
// vertically an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}
    QRect ToPixels(const QRect& units) const;
    QSize ToPixels(const QSize& units) const;

private:
    int m_baseX;
    int m_baseY;
};

// Supplies the widget for a control itself; null means the standard one for its kind.
using ControlFactory = std::function<QWidget*(const ControlTemplate&, QWidget* parent)>;

// Gives `dialog` the template's caption, font, window buttons and client size and creates its
// controls, each named "id<N>" after its id.
void ApplyDialogTemplate(QDialog& dialog, const DialogTemplate& dialogTemplate,
                         const ControlFactory& factory = {});

QString ControlName(int id);
// The control with that id, or null.
QWidget* ControlById(const QWidget& dialog, int id);
// The push buttons with ids 1 and 2 ("OK" and "Abbrechen") accept and reject the dialog.
void ConnectOkAndCancel(QDialog& dialog);
// The name screen readers announce for the control with that id, if there is one.
void SetAccessibleName(const QWidget& dialog, int id, const QString& name);
