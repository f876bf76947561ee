#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <stdexcept>

#include "batch/FolderRun.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"
#include "window/MainDlg.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionExecutor.h"

namespace {

using Work = ConversionExecutor::Work;
using StartResult = ConversionExecutor::StartResult;

bool OnGuiThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// A task that runs until it is let go.
struct Latch {
    std::atomic<bool> entered{false};
    std::atomic<bool> open{false};
    void Hold() {
        entered = true;
        while (!open) {
            QThread::yieldCurrentThread();
        }
    }
};

class Executor : public ::testing::Test {
protected:
    RecordingPrompts prompts;
    QObject window;
    Conversion conversion{QString()};
    ConversionExecutor executor{&window, conversion};
};

}  // namespace

TEST_F(Executor, OneLongTaskAtATimeAndBusyUntilItsEndIsTold) {
    const Work kinds[] = {Work::FolderRun, Work::Mail, Work::Pictures};
    for (const Work kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        Latch latch;
        bool endedOnGui = false;
        Work busyWhenEnded = kind;
        ASSERT_EQ(executor.Start(
                      kind, [&](WindowWorker&) { latch.Hold(); },
                      [&] {
                          endedOnGui = OnGuiThread();
                          busyWhenEnded = executor.Busy();
                      }),
                  StartResult::Started);
        ASSERT_TRUE(QTest::qWaitFor([&] { return latch.entered.load(); }, 30000));
        EXPECT_EQ(executor.Busy(), kind);
        EXPECT_TRUE(executor.Doing(kind));
        // Every other long work is sent away meanwhile, and a claim changes nothing.
        for (const Work other : kinds) {
            EXPECT_EQ(executor.Start(other, [](WindowWorker&) {}), StartResult::Busy);
        }
        executor.Claim(Work::Mail);
        EXPECT_EQ(executor.Busy(), kind);
        latch.open = true;
        ASSERT_TRUE(QTest::qWaitFor([&] { return executor.Busy() == Work::None; }, 30000));
        EXPECT_TRUE(endedOnGui);
        EXPECT_EQ(busyWhenEnded, Work::None) << "no longer busy when the end is told";
    }
}

TEST_F(Executor, AClaimKeepsTheWindowBusyUntilReleased) {
    executor.Claim(Work::Mail);
    EXPECT_EQ(executor.Busy(), Work::Mail);
    EXPECT_EQ(executor.Start(Work::FolderRun, [](WindowWorker&) {}), StartResult::Busy);
    executor.Release();
    EXPECT_EQ(executor.Busy(), Work::None);
    EXPECT_EQ(executor.Start(Work::FolderRun, [](WindowWorker&) {}), StartResult::Started);
    executor.Worker().Wait();
    EXPECT_EQ(executor.Busy(), Work::None) << "a task that has ended is told when asked";
}

TEST_F(Executor, ResultsComeByValueOnTheWindowsThreadAndAThrowGivesNone) {
    const struct {
        const char* name;
        std::function<FolderRunReport(WindowWorker&)> task;
        std::optional<int> converted;  // of the report handed over
        const char* told;              // what the user is told, if anything
    } cases[] = {
        {"a report",
         [](WindowWorker&) {
             FolderRunReport report;
             ConversionResult made;
             made.target = "a 10x10.jpg";
             report.files.push_back({"a.jpg", made});
             report.files.push_back({"b.jpg", ConversionResult{}});
             return report;
         },
         1, nullptr},
        {"a throw", [](WindowWorker&) -> FolderRunReport { throw std::runtime_error("kaputt"); },
         std::nullopt, "Der Vorgang ist gescheitert: kaputt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t told = prompts.Messages().size();
        bool ended = false;
        bool onGui = false;
        std::optional<FolderRunReport> got;
        ASSERT_EQ(executor.Start<FolderRunReport>(Work::Pictures, c.task,
                                                  [&](std::optional<FolderRunReport> report) {
                                                      ended = true;
                                                      onGui = OnGuiThread();
                                                      got = std::move(report);
                                                  }),
                  StartResult::Started);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 30000));
        EXPECT_TRUE(onGui);
        EXPECT_EQ(got.has_value(), c.converted.has_value());
        if (got && c.converted) {
            EXPECT_EQ(got->Converted(), *c.converted);
        }
        if (c.told != nullptr) {
            ASSERT_EQ(prompts.Messages().size(), told + 1);
            EXPECT_TRUE(prompts.Messages().back().text.contains(c.told));
        } else {
            EXPECT_EQ(prompts.Messages().size(), told);
        }
        EXPECT_EQ(executor.Busy(), Work::None);
    }
}

TEST_F(Executor, AConversionsResultIsToldOnTheWindowsThreadNotWhereItRan) {
    TestFolder pictures;
    const QString photo = pictures.File("Bild.jpg");
    WriteAll(photo, Encode(QuarterPattern(80, 60), "jpeg"));
    const struct {
        const char* name;
        ConversionRequest request;
        bool converted;
    } cases[] = {
        {"a picture into a named file",
         {.picture = photo, .outputName = pictures.File("klein.jpg"), .currentPicture = photo},
         true},
        {"a picture that is not there",
         {.picture = pictures.File("fehlt.jpg"),
          .outputName = pictures.File("nichts.jpg"),
          .currentPicture = pictures.File("fehlt.jpg")},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<int> calls{0};
        bool onGui = false;
        ConversionResult got;
        executor.Recompute(c.request, [&](const ConversionResult& result) {
            ++calls;
            onGui = OnGuiThread();
            got = result;
        });
        executor.WaitIdle();
        EXPECT_EQ(calls, 0) << "told on the window's thread, once it gets to it";
        executor.RunPosted();
        ASSERT_EQ(calls, 1);
        EXPECT_TRUE(onGui);
        EXPECT_EQ(!got.target.isEmpty(), c.converted) << got.error.toStdString();
    }
}

// Runs side by side share the program's threads: two runs of three jobs start three threads at
// most between them, not three each.
TEST(WorkPoolTest, RunsSideBySideShareThePoolsThreads) {
    static std::atomic<int> newThreads{0};
    const auto run = [] {
        ConvertSideBySide(
            {{0}, {1}, {2}, {3}, {4}, {5}},
            [](Conversion&, qsizetype) {
                thread_local bool seen = false;
                if (!seen) {
                    seen = true;
                    ++newThreads;
                }
                QThread::msleep(5);  // long enough for the others to take a group too
                return ConversionResult{};
            },
            {.jobs = 3}, [](qsizetype, std::optional<ConversionResult>) {});
    };
    run();
    run();
    EXPECT_GE(newThreads, 1);
    EXPECT_LE(newThreads, 3);
}

TEST(DropTest, ADropOfSeveralPicturesReturnsBeforeTheyAreShrunk) {
    RecordingPrompts prompts;
    TestFolder pictures;
    QStringList files;
    for (const char* name : {"eins.jpg", "zwei.jpg", "drei.jpg"}) {
        files << pictures.File(name);
        WriteAll(files.back(), Encode(QuarterPattern(800, 600), "jpeg"));
    }
    CMainDlg window;
    window.show();
    window.WaitForConversions();
    window.Params().TargetSize = 100;
    window.PublishParams();
    // An event loop inside the handler would fire this before the handler returns.
    bool loopRan = false;
    QTimer::singleShot(0, [&] { loopRan = true; });
    window.OnDropFiles(files);
    EXPECT_FALSE(loopRan) << "the drop waited for its pictures in a loop of its own";
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Executor().Busy() == Work::None; }, 30000));
    for (const char* name : {"eins 100x75.jpg", "zwei 100x75.jpg", "drei 100x75.jpg"}) {
        EXPECT_TRUE(QFileInfo::exists(pictures.File(name))) << name;
    }
    ASSERT_EQ(prompts.Notifications().size(), 1);
    EXPECT_TRUE(prompts.Notifications()[0].startsWith("Bilder verkleinert"))
        << prompts.Notifications()[0].toStdString();
    window.close();
}

TEST(DropTest, ADropWhileTheWindowIsBusyNamesWhatItWaitsFor) {
    const QString folderOrMail = QStringLiteral(
        "Bitte warten Sie, bis das Umwandeln des Verzeichnisses oder das Versenden per Mail "
        "beendet ist.");
    const struct {
        Work underWay;
        QString expected;
    } cases[] = {
        {Work::FolderRun, folderOrMail},
        {Work::Mail, folderOrMail},
        {Work::Pictures, QStringLiteral("Bitte warten Sie, bis die Bilder verkleinert sind.")},
    };
    for (const auto& c : cases) {
        RecordingPrompts prompts;
        TestFolder pictures;
        const QStringList files{pictures.File("eins.jpg"), pictures.File("zwei.jpg")};
        for (const QString& file : files) {
            WriteAll(file, Encode(QuarterPattern(400, 300), "jpeg"));
        }
        CMainDlg window;
        window.WaitForConversions();
        window.Executor().Claim(c.underWay);
        window.OnDropFiles(files);
        const auto messages = prompts.Messages();
        ASSERT_EQ(messages.size(), 1u) << static_cast<int>(c.underWay);
        EXPECT_EQ(messages[0].text, c.expected) << static_cast<int>(c.underWay);
        window.Executor().Release();
        EXPECT_EQ(QDir(pictures.Path()).entryList(QDir::Files).size(), 2)
            << "a refused drop converted something";
    }
}
