#pragma once

#include <QLineEdit>

class QToolButton;

// A field's text as a signed whole number; a text that is not one reads as 0.
int WholeNumber(const QString& text);
// Lets the field take digits only (after a minus sign when `negative`), at most `digits` of
// them: a letter typed by mistake must not turn into a 0.
void AcceptWholeNumbers(QLineEdit& field, int digits, bool negative);

// A number field with a spin button at its right edge. The spin button is made by the first
// SetRange; each of its arrows (and the Up and Down keys in the field) moves the number by
// one within the range, by writing the field's text, so the field's own change handler runs.
class CSpinEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kSpinButtonId = 2000;
    static constexpr int kSpinButtonWidth = 20;

    explicit CSpinEdit(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    // Null until the first SetRange. A child of the field's parent, beside the field.
    QWidget* SpinButton() const { return m_spin; }
    QToolButton* UpArrow() const { return m_up; }
    QToolButton* DownArrow() const { return m_down; }
    // What one arrow click does: the number `steps` further, kept within the range.
    void Step(int steps);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* m_spin = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_minimum = 0;
    int m_maximum = 0;
};
