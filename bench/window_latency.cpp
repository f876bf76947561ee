// How long the main window's thread is held up by a conversion, and how long the conversion
// itself takes behind it: a full run of one large photo at 368 and at 3000 pixels, a quick
// colour preview, and one repaint of the preview while a 3000-pixel run is under way.
// Then the control panel with the photo open at 368: the window's thread per step of the
// size slider and per change of a colour field (the goal is under 16 ms, one frame, so that
// dragging and a held spin button stay smooth), and how long after the last of five quick
// changes of the red field the full run has finished (the countdown gives 500 to 750 ms).
//
//   window_latency PHOTO.jpg        (runs offscreen; a 20-megapixel JPEG is the usual test)

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchSupport.h"
#include "platform/emulation/Prompts.h"
#include "platform/widgets/DialogTemplate.h"
#include "ui/ControlPanelDlg.h"
#include "window/MainDlg.h"

namespace {

struct Figures {
    std::vector<double> blocked;  // ms the window's thread spent in the call
    std::vector<double> done;     // ms until the conversion had finished
};

template <typename Call>
Figures Measure(CMainDlg& window, int rounds, Call call) {
    Figures figures;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        call(i);
        figures.blocked.push_back(timer.nsecsElapsed() / 1e6);
        window.WaitForConversions();
        figures.done.push_back(timer.nsecsElapsed() / 1e6);
    }
    return figures;
}

void Print(const char* what, const Figures& figures) {
    std::printf("%-34s %10.3f ms %12.1f ms\n", what, Median(figures.blocked), Median(figures.done));
}

// Answers the open dialog with the photo.
class ChoosePhoto final : public Prompts {
public:
    explicit ChoosePhoto(QString photo) : m_photo(std::move(photo)) {}
    Answer ShowMessage(const Message&) override { return Answer::Ok; }
    std::optional<QString> AskFileName(const FileDialogRequest&) override { return m_photo; }

private:
    QString m_photo;
};

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void MeasurePanel(const QString& photo) {
    ChoosePhoto prompts(photo);
    Prompts* previous = InstallPrompts(&prompts);
    {
        CMainDlg window;
        window.SetControlPanelFactory(
            [](CMainDlg& owner) -> ControlPanel* { return new CControlPanelDlg(&owner); });
        window.show();
        window.OnOpen();
        window.WaitForConversions();
        Wait(1000);  // the countdown the panel's start arms
        window.WaitForConversions();
        QWidget& panel = window.Panel()->Widget();
        auto* slider = qobject_cast<QSlider*>(ControlById(panel, 1017));
        auto* red = qobject_cast<QLineEdit*>(ControlById(panel, 1047));
        auto* info = qobject_cast<QPlainTextEdit*>(ControlById(panel, 1038));
        QWidget* preview = ControlById(window, 1000);

        // A drag from 368 to 568 and back, step by step, each step painted as it comes.
        Figures steps;
        for (int i = 1; i <= 400; ++i) {
            QElapsedTimer timer;
            timer.start();
            slider->setSliderPosition(i <= 200 ? 368 + i : 768 - i);
            steps.blocked.push_back(timer.nsecsElapsed() / 1e6);
            QCoreApplication::sendPostedEvents();
            preview->repaint();
            steps.done.push_back(timer.nsecsElapsed() / 1e6);
        }
        window.WaitForConversions();
        Wait(1000);
        window.WaitForConversions();
        std::printf("%-34s %13s %15s\n", "", "window held", "with repaint");
        Print("panel: slider step (kind 0)", steps);

        Figures colours;
        for (int i = 0; i < 21; ++i) {
            QElapsedTimer timer;
            timer.start();
            red->setText(QString::number(i % 2 ? 20 : -20));
            colours.blocked.push_back(timer.nsecsElapsed() / 1e6);
            window.WaitForConversions();
            QCoreApplication::sendPostedEvents();
            preview->repaint();
            colours.done.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("%-34s %13s %15s\n", "", "window held", "preview shown");
        Print("panel: red field (kind 2)", colours);

        // Five changes 100 ms apart, as a person clicks a spin button; then the event loop
        // runs as in the program until the full run has written the information box.
        std::vector<double> delays;
        for (int round = 0; round < 7; ++round) {
            Wait(1000);
            for (int change = 0; change < 5; ++change) {
                Wait(100);
                red->setText(QString::number(10 * round + change));
            }
            QElapsedTimer sinceLast;
            sinceLast.start();
            QEventLoop loop;
            const QMetaObject::Connection done =
                QObject::connect(info, &QPlainTextEdit::textChanged, &loop, &QEventLoop::quit);
            QTimer::singleShot(5000, &loop, &QEventLoop::quit);
            loop.exec();
            QObject::disconnect(done);
            delays.push_back(sinceLast.nsecsElapsed() / 1e6);
        }
        std::sort(delays.begin(), delays.end());
        std::printf("%-34s %10.1f ms (median; %.1f to %.1f)\n", "last red change to full run done",
                    Median(delays), delays.front(), delays.back());
        window.close();
    }
    InstallPrompts(previous);
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_latency PHOTO.jpg\n");
        return 2;
    }
    const QString photo = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    KeepWindowFilesIn(scratch.path());

    CMainDlg window;
    window.show();
    window.WaitForConversions();
    constexpr int kRounds = 7;
    std::printf("%-34s %13s %15s\n", "", "window held", "run finished");
    for (const int size : {368, 3000}) {
        window.OnParamChange(size, kSizeChanged);
        const Figures full =
            Measure(window, kRounds, [&](int) { window.Recompute(photo, {}, {}); });
        Print(size == 368 ? "full run, 368" : "full run, 3000", full);
    }
    window.OnParamChange(368, kSizeChanged);
    window.Recompute(photo, {}, {});
    window.WaitForConversions();
    const Figures quick = Measure(window, kRounds * 3, [&](int i) {
        window.Params().Brightness = i % 2 ? 20 : -20;
        window.OnParamChange(0, kColoursChanged);
    });
    Print("quick preview (kind 2), 368", quick);

    window.OnParamChange(3000, kSizeChanged);
    Figures paint;
    for (int i = 0; i < kRounds; ++i) {
        window.Recompute(photo, {}, {});
        QElapsedTimer timer;
        timer.start();
        ControlById(window, 1000)->repaint();
        paint.blocked.push_back(timer.nsecsElapsed() / 1e6);
        window.WaitForConversions();
        paint.done.push_back(timer.nsecsElapsed() / 1e6);
    }
    Print("repaint during a 3000 run", paint);
    window.close();
    MeasurePanel(photo);
    return 0;
}
