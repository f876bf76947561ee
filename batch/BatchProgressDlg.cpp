#include "BatchProgressDlg.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

CBatchProgressDlg::CBatchProgressDlg(QWidget* parent, std::function<void()> cancel)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint |
                          Qt::WindowCloseButtonHint),
      m_cancel(std::move(cancel)),
      m_count(new QLabel(this)),
      m_file(new QLabel(this)),
      m_bar(new QProgressBar(this)),
      m_cancelButton(new QPushButton(QStringLiteral("Abbrechen"), this)) {
    setWindowTitle(QStringLiteral("Verzeichnis umwandeln"));
    setModal(false);
    m_count->setObjectName(QStringLiteral("count"));
    m_file->setObjectName(QStringLiteral("file"));
    m_file->setTextFormat(Qt::PlainText);
    m_file->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    m_bar->setAccessibleName(QStringLiteral("Fortschritt"));
    m_bar->setTextVisible(false);
    m_cancelButton->setObjectName(QStringLiteral("cancel"));
    m_cancelButton->setAccessibleName(QStringLiteral("Umwandeln abbrechen"));
    m_cancelButton->setToolTip(
        QStringLiteral("Beendet das Umwandeln nach dem Bild, das gerade umgewandelt wird"));
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &CBatchProgressDlg::OnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_count);
    layout->addWidget(m_file);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancelButton, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetProgress(0, 0, {});
}

void CBatchProgressDlg::SetProgress(qsizetype done, qsizetype total, const QString& file) {
    // The file under way counts: "1 von 3" while the first is converted.
    const qsizetype shown = file.isEmpty() ? done : std::min(done + 1, total);
    m_count->setText(QStringLiteral("%1 von %2").arg(shown).arg(total));
    if (m_cancelButton->isEnabled()) {
        m_file->setText(QFileInfo(file).fileName());
    }
    m_bar->setRange(0, static_cast<int>(std::max<qsizetype>(total, 1)));
    m_bar->setValue(static_cast<int>(done));
    m_count->setAccessibleName(m_count->text());
}

QString CBatchProgressDlg::CountText() const {
    return m_count->text();
}

void CBatchProgressDlg::OnCancel() {
    if (!m_cancelButton->isEnabled()) {
        return;
    }
    m_cancelButton->setEnabled(false);
    m_file->setText(QStringLiteral("Wird abgebrochen ..."));
    if (m_cancel) {
        m_cancel();
    }
}

void CBatchProgressDlg::reject() {
    // Escape and the close box cancel the run; the window goes when the run has ended.
    OnCancel();
}
