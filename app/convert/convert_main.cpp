#include <QCoreApplication>
#include <cstdio>

#include "ConvertCommand.h"
#include "ConvertOptions.h"
#include "imaging/codecs/ImageThreads.h"
#include "imaging/codecs/PictureObject.h"
#include "platform/processes/EndingSignals.h"
#include "platform/processes/Memory.h"

// plenmar-convert: the program's conversion, from the command line.
int main(int argc, char* argv[]) {
    // An interrupted run leaves no temporary file behind, and a file-size limit is a failed
    // write with its reason rather than the end of the process.
    InstallEndingSignalHandlers();
    KeepFreedMemoryForReuse();
    QCoreApplication app(argc, argv);
    QuietDecoderMessages();
    QList<QByteArray> raw;
    for (int i = 1; i < argc; ++i) {
        raw << QByteArray(argv[i]);
    }
    const QString undecodable = UndecodableArgument(raw);
    if (!undecodable.isEmpty()) {
        std::fprintf(stderr, "plenmar-convert: %s: not a valid UTF-8 name; nothing converted\n",
                     undecodable.toLocal8Bit().constData());
        return 1;
    }
    ConvertOptions options;
    const QString problem = ParseConvertOptions(QCoreApplication::arguments().mid(1), options);
    if (options.help) {
        std::fputs(ConvertUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("plenmar-convert %s (Vistrane)\n", ConvertVersion());
        return 0;
    }
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "plenmar-convert: %s\n\n%s", problem.toLocal8Bit().constData(),
                     ConvertUsage().toLocal8Bit().constData());
        return 2;
    }
    // Only a run that converts needs Qt's image threads; --version and the usage text
    // start as fast as a program that only makes its application object.
    KeepImageThreadsReady();
    return RunConvert(options);
}
