#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// How far a folder run is ("12 von 340", the file and a bar), with a button that cancels it.
// Modeless, so the window and its panel stay usable during the run.
class CBatchProgressDlg : public QDialog {
    Q_OBJECT
public:
    CBatchProgressDlg(QWidget* parent, std::function<void()> cancel);

    // `done` files of `total` are finished; `file` is the one under way (none at the end).
    void SetProgress(qsizetype done, qsizetype total, const QString& file);
    // "Abbrechen", or the window's close box: the run ends after the file under way.
    void OnCancel();

    QString CountText() const;

protected:
    void reject() override;

private:
    std::function<void()> m_cancel;
    QLabel* m_count;
    QLabel* m_file;
    QProgressBar* m_bar;
    QPushButton* m_cancelButton;
};
