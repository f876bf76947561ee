#include "AboutDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "imaging/JpegFileWriter.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Info über Plenmar"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(Text(), this);
    text->setTextFormat(Qt::RichText);
    text->setTextInteractionFlags(Qt::TextBrowserInteraction);
    text->setOpenExternalLinks(true);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QString CAboutDlg::Text() {
    return QStringLiteral(
               "<h3>Vistrane %1</h3>"
               "<p>Verkleinert Bilder auf die gewünschte Größe und speichert sie als JPEG "
               "für Mail und Web.</p>"
               "<p>Verwendet:<br>"
               "Qt %2 (GNU LGPL Version 3)<br>"
               "libjpeg-turbo %3 (IJG-Lizenz und modifizierte BSD-Lizenz); "
               "diese Software beruht teilweise auf der Arbeit der Independent JPEG Group.<br>"
               "libheif (GNU LGPL Version 3) für HEIC- und HEIF-Bilder, mit "
               "libde265 (GNU LGPL Version 3)</p>")
        .arg(QStringLiteral(VISTRANE_VERSION), QString::fromLatin1(qVersion()),
             JpegFileWriter::LibraryVersion());
}
