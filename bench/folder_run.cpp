// The window's folder run against plenmar-convert --folder --jobs 1 on the same folder, and
// how long the window's thread is held at a stretch while the run goes on: the longest gap
// between the ticks of a 5 ms timer on the window's thread.
//
//   folder_run FOLDER PLENMAR_CONVERT [ROUNDS]      (runs offscreen; ask and mail off)
//
// The window's worker runs a few steps below normal priority; on a busy machine that alone
// slows it down, so the converter is also timed under `nice -n 4`, the same weight.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchSupport.h"
#include "platform/emulation/Prompts.h"
#include "platform/processes/Memory.h"
#include "platform/widgets/DialogTemplate.h"
#include "window/MainDlg.h"

namespace {

// Answers "Verzeichnis umwandeln" with the two folders; notices are counted, not shown.
class BenchPrompts final : public Prompts {
public:
    BenchPrompts(QString source, QString destination)
        : m_source(std::move(source)), m_destination(std::move(destination)) {}
    Answer ShowMessage(const Message& message) override {
        m_last = message.text;
        return Answer::Ok;
    }
    std::optional<QString> AskFileName(const FileDialogRequest&) override { return std::nullopt; }
    int RunDialog(QDialog& dialog) override {
        qobject_cast<QLineEdit*>(ControlById(dialog, 1021))->setText(m_source);
        qobject_cast<QLineEdit*>(ControlById(dialog, 1022))->setText(m_destination);
        qobject_cast<QCheckBox*>(ControlById(dialog, 1019))->setChecked(false);
        qobject_cast<QCheckBox*>(ControlById(dialog, 1020))->setChecked(false);
        return QDialog::Accepted;
    }
    QString m_last;

private:
    QString m_source;
    QString m_destination;
};

void Empty(const QString& folder) {
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        dir.remove(name);
    }
}

double TimeProcess(const QString& program, const QStringList& arguments) {
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    if (process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().constData());
    }
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    KeepFreedMemoryForReuse();  // as the program itself does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: folder_run FOLDER PLENMAR_CONVERT [ROUNDS]\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString converter = QString::fromLocal8Bit(argv[2]);
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    QTemporaryDir scratch;
    KeepWindowFilesIn(scratch.path());
    const QString windowOut = scratch.filePath(QStringLiteral("window"));
    const QString commandOut = scratch.filePath(QStringLiteral("command"));
    QDir().mkpath(windowOut);
    QDir().mkpath(commandOut);

    BenchPrompts prompts(folder, windowOut);
    Prompts* previous = InstallPrompts(&prompts);
    std::vector<double> window;
    std::vector<double> command;
    std::vector<double> niced;
    std::vector<double> longestGap;
    qsizetype files = 0;
    {
        CMainDlg dialog;
        dialog.show();
        dialog.WaitForConversions();
        for (int round = 0; round <= rounds; ++round) {  // round 0 warms the caches up
            Empty(windowOut);
            QElapsedTimer sinceTick;
            double gap = 0;
            QTimer ticks;
            ticks.setTimerType(Qt::PreciseTimer);
            QObject::connect(&ticks, &QTimer::timeout, [&] {
                gap = std::max(gap, sinceTick.nsecsElapsed() / 1e6);
                sinceTick.restart();
            });
            QElapsedTimer timer;
            timer.start();
            dialog.OnConvertFolder();
            // From here the run goes on; what went before was making "Verzeichnis umwandeln".
            sinceTick.start();
            ticks.start(5);
            while (dialog.FolderRunning()) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
            const double elapsed = timer.nsecsElapsed() / 1e6;
            gap = std::max(gap, sinceTick.nsecsElapsed() / 1e6);
            ticks.stop();
            dialog.WaitForConversions();
            files = QDir(windowOut).entryList(QDir::Files).size();

            const QStringList arguments = {QStringLiteral("--quiet"),
                                           QStringLiteral("--jobs"),
                                           QStringLiteral("1"),
                                           QStringLiteral("--folder"),
                                           folder,
                                           commandOut};
            Empty(commandOut);
            const double plain = TimeProcess(converter, arguments);
            Empty(commandOut);
            const double lowered = TimeProcess(
                QStringLiteral("nice"),
                QStringList{QStringLiteral("-n"), QStringLiteral("4"), converter} + arguments);
            if (round > 0) {
                window.push_back(elapsed);
                longestGap.push_back(gap);
                command.push_back(plain);
                niced.push_back(lowered);
            }
        }
        dialog.close();
    }
    InstallPrompts(previous);

    const double w = Median(window);
    const double c = Median(command);
    const double n = Median(niced);
    std::printf("folder %s: %lld results; median of %d rounds\n", qPrintable(folder),
                static_cast<long long>(files), rounds);
    std::printf("  %-44s %9.0f ms\n", "window's run (ask and mail off)", w);
    std::printf("  %-44s %9.0f ms   window / it: %.2f (goal <= 1.20)\n",
                "plenmar-convert --folder --jobs 1", c, w / c);
    std::printf("  %-44s %9.0f ms   window / it: %.2f\n", "nice -n 4 plenmar-convert ... --jobs 1",
                n, w / n);
    std::printf("  %-44s %9.1f ms (median %.1f; goal <= 50 ms, 5 ms ticks)\n",
                "window's thread, longest gap between ticks",
                *std::max_element(longestGap.begin(), longestGap.end()), Median(longestGap));
    std::printf("  end message: %s\n", qPrintable(prompts.m_last));
    return 0;
}
