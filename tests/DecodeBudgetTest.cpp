#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "workflow/DecodeBudget.h"

TEST(DecodeBudgetTest, ADecodingWaitsUntilEnoughComesBack) {
    DecodeBudget budget(100);
    DecodeBudget::Reservation first = budget.Reserve(60);
    std::atomic<bool> granted{false};
    std::thread second([&] {
        DecodeBudget::Reservation reservation = budget.Reserve(50);
        granted = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (budget.Waiting() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_EQ(budget.Waiting(), 1) << "the second decoding never came to wait";
    EXPECT_FALSE(granted) << "60 + 50 is over the allowance";
    EXPECT_EQ(budget.InUse(), 60);
    first.Release();
    second.join();
    EXPECT_TRUE(granted);
    EXPECT_EQ(budget.InUse(), 0);
}

TEST(DecodeBudgetTest, AnOversizedDecodingRunsAloneAndSmallOnesShare) {
    DecodeBudget budget(100);
    {
        DecodeBudget::Reservation huge = budget.Reserve(500);  // nothing else held: granted
        EXPECT_EQ(budget.InUse(), 500);
        DecodeBudget::Reservation moved = std::move(huge);
        EXPECT_EQ(budget.InUse(), 500);
    }
    EXPECT_EQ(budget.InUse(), 0);
    DecodeBudget::Reservation a = budget.Reserve(40);
    DecodeBudget::Reservation b = budget.Reserve(40);
    EXPECT_EQ(budget.InUse(), 80);
    a = budget.Reserve(20);  // the old 40 goes back as the new 20 comes
    EXPECT_EQ(budget.InUse(), 60);
}
