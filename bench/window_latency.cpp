// How long the main window's thread is held up by a conversion, and how long the conversion
// itself takes behind it: a full run of one large photo at 368 and at 3000 pixels, a quick
// colour preview, and one repaint of the preview while a 3000-pixel run is under way.
//
//   window_latency PHOTO.jpg        (runs offscreen; a 20-megapixel JPEG is the usual test)

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchSupport.h"
#include "platform/DialogTemplate.h"
#include "workflow/MainDlg.h"

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
        window.OnParamChange(size, 0);
        const Figures full =
            Measure(window, kRounds, [&](int) { window.Recompute(photo, {}, {}); });
        Print(size == 368 ? "full run, 368" : "full run, 3000", full);
    }
    window.OnParamChange(368, 0);
    window.Recompute(photo, {}, {});
    window.WaitForConversions();
    const Figures quick = Measure(window, kRounds * 3, [&](int i) {
        window.Params().Brightness = i % 2 ? 20 : -20;
        window.OnParamChange(0, 2);
    });
    Print("quick preview (kind 2), 368", quick);

    window.OnParamChange(3000, 0);
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
    return 0;
}
