#include <QCoreApplication>
#include <QTextStream>

#include "imaging/ImageBuffer.h"
#include "imaging/JpegSaver.h"
#include "imaging/Picture.h"
#include "platform/TempFolder.h"

// Until the main window exists, the program converts its built-in sample picture.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    CPicture picture;
    if (!picture.LoadFromResource(144, QStringLiteral("JPG"))) {
        return 1;
    }
    ImageBuffer buffer;
    buffer.Create(368, 276);
    picture.Draw(&buffer.Dc(), CRect{0, 0, 368, 276}, true, false);
    const QString target = TempFolder() + QStringLiteral("/Temppic.jpg");
    JpegSaver saver;
    if (!saver.SaveBitmapAsJpeg(target, &buffer.Dc(), 70, -1, -1, 72)) {
        QTextStream(stderr) << saver.LastError() << '\n';
        return 1;
    }
    QTextStream(stdout) << "Wrote " << target << '\n';
    return 0;
}
