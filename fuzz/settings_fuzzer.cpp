// The settings reader on whatever a settings file may hold: reading gives values the window
// can use, and what it read survives being written and read again.
#include <fcntl.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "workflow/MainSettings.h"
#include "workflow/SettingsStore.h"

namespace {

QTemporaryDir* g_config = nullptr;

QString SettingsFile() {
    return g_config->filePath(QStringLiteral("Weskamor/Plenmar.conf"));
}

// Qt takes a file it has read as unchanged while its size and time stay: each input gets
// a time of its own.
void WriteSettingsFile(const std::uint8_t* data, std::size_t size) {
    static long long seconds = 1000000000;
    QFile file(SettingsFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        __builtin_trap();
    }
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    const timespec times[2] = {{++seconds, 0}, {seconds, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(SettingsFile()).constData(), times, 0);
}

struct Read {
    ConversionParams params;
    QString picture;
    BatchMailSettings batchMail;
    WindowPlacement window;
};

Read ReadAll() {
    Read read;
    const SettingsStore store;
    LoadSettings(store, read.params, read.picture, read.batchMail, read.window, QSize(1024, 768));
    return read;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    PrepareFuzzing(argc, argv);
    // Every input is written and read twice: on a file system in memory that costs little.
    g_config = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                   ? new QTemporaryDir(QStringLiteral("/dev/shm/plenmar-fuzz-XXXXXX"))
                   : new QTemporaryDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, g_config->path());
    QDir(g_config->path()).mkpath(QStringLiteral("Weskamor"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteSettingsFile(data, size);
    const Read first = ReadAll();
    const WindowPlacement fitted = FitToScreen(first.window, QRect(0, 0, 1024, 768));
    if (fitted.left < 0 || fitted.top < 0 || fitted.right > 1024 || fitted.bottom > 768 ||
        fitted.right <= fitted.left || fitted.bottom <= fitted.top) {
        __builtin_trap();  // a window off the screen
    }
    {
        SettingsStore store;
        RestorePanelPosition(store, {10, 20, 310, 420}, QRect(0, 0, 1024, 768));
        SaveSettings(store, first.params, first.picture, first.batchMail, first.window);
        store.Flush();
    }
    const Read again = ReadAll();
    if (again.picture != first.picture ||
        again.batchMail.mailSubject != first.batchMail.mailSubject ||
        again.batchMail.mailText != first.batchMail.mailText ||
        again.batchMail.sourceFolder != first.batchMail.sourceFolder ||
        again.params.CompanionSize != first.params.CompanionSize ||
        again.window.right != first.window.right) {
        __builtin_trap();  // a value that does not survive the program's own writing
    }
    return 0;
}
