// The batch runner of tavelorn-export --all: workers finish in any order, the caller's
// steps see the items in order.

#include "orderedbatch.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

using namespace tavelorn;

namespace {

// A worker's step that takes a different, random time for each item.
void randomPause(qsizetype i)
{
    thread_local std::mt19937 random(unsigned(i) * 7919u + 1u);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
}

TEST(OrderedBatch, DecideAndReportSeeItemsInOrderWhateverTheWorkersDo)
{
    struct Case
    {
        qsizetype count;
        int renderThreads, writeThreads;
        qsizetype ahead;
    };
    const Case cases[] = {
        {0, 2, 2, 4}, {1, 4, 8, 24}, {200, 3, 5, 16}, {200, 1, 1, 1}, {57, 8, 2, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " items, " << c.renderThreads << "+"
                                        << c.writeThreads << " threads, " << c.ahead << " ahead");
        std::vector<std::atomic<int>> stage(size_t(c.count));
        std::vector<qsizetype> decided, reported;
        std::atomic<qsizetype> inFlight = 0, mostInFlight = 0;
        BatchSteps steps;
        steps.render = [&](qsizetype i) {
            const qsizetype now = ++inFlight;
            qsizetype most = mostInFlight;
            while (now > most && !mostInFlight.compare_exchange_weak(most, now)) {
            }
            randomPause(i);
            stage[size_t(i)] = 1;
        };
        steps.decide = [&](qsizetype i) {
            EXPECT_EQ(stage[size_t(i)], 1);
            decided.push_back(i);
            return i % 3 != 0; // every third item has nothing to write
        };
        steps.write = [&](qsizetype i) {
            EXPECT_NE(i % 3, 0);
            randomPause(i + 1000);
            stage[size_t(i)] = 2;
        };
        steps.report = [&](qsizetype i) {
            EXPECT_EQ(stage[size_t(i)], i % 3 != 0 ? 2 : 1);
            reported.push_back(i);
            --inFlight;
        };
        runOrderedBatch(c.count, c.renderThreads, c.writeThreads, c.ahead, steps);
        std::vector<qsizetype> all(size_t(c.count));
        for (qsizetype i = 0; i < c.count; ++i)
            all[size_t(i)] = i;
        EXPECT_EQ(decided, all);
        EXPECT_EQ(reported, all);
        EXPECT_LE(mostInFlight, c.ahead);
    }
}

TEST(OrderedBatch, AnErrorOfTheCallersStepsEndsTheBatch)
{
    for (const bool inDecide : {true, false}) {
        SCOPED_TRACE(inDecide ? "decide" : "report");
        std::atomic<qsizetype> rendered = 0;
        std::vector<qsizetype> reported;
        BatchSteps steps;
        steps.render = [&](qsizetype i) {
            randomPause(i);
            ++rendered;
        };
        steps.decide = [&](qsizetype i) {
            if (inDecide && i == 5)
                throw std::runtime_error("stop");
            return true;
        };
        steps.write = [](qsizetype i) { randomPause(i); };
        steps.report = [&](qsizetype i) {
            if (!inDecide && i == 5)
                throw std::runtime_error("stop");
            reported.push_back(i);
        };
        EXPECT_THROW(runOrderedBatch(1000, 4, 4, 8, steps), std::runtime_error);
        EXPECT_EQ(reported, (std::vector<qsizetype>{0, 1, 2, 3, 4}));
        // The workers stopped long before the end.
        EXPECT_LT(rendered, 100);
    }
}

} // namespace
