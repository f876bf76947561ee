#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "support/RecordingPrompts.h"
#include "workflow/WindowWorker.h"

TEST(WindowWorkerTest, WhatATaskThrowsIsToldAndTheWorkerIsFreeAgain) {
    RecordingPrompts prompts;
    QObject window;
    WindowWorker worker(&window);
    const struct {
        std::function<void()> fail;
        const char* told;
    } cases[] = {{[] { throw std::bad_alloc(); }, "nicht genug Arbeitsspeicher"},
                 {[] { throw std::runtime_error("kaputt"); }, "kaputt"}};
    for (const auto& c : cases) {
        ASSERT_EQ(worker.Start([&c](WindowWorker&) { c.fail(); }),
                  WindowWorker::StartResult::Started);
        worker.Wait();
        EXPECT_FALSE(worker.Running());
        ASSERT_FALSE(prompts.Messages().empty());
        EXPECT_TRUE(prompts.Messages().back().text.contains(QString::fromUtf8(c.told)))
            << prompts.Messages().back().text.toStdString();
    }
}
