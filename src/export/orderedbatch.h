#pragma once

#include <QtGlobal>

#include <functional>

namespace tavelorn {

// The steps of a batch of items numbered 0 to count - 1. render and write run on worker
// threads, several items at once; decide and report run on the calling thread, one item
// after the other in item order, so that what they decide and print never depends on
// which worker finished first. render and write must not throw. decide and report may:
// the batch ends there, with what a run of one item after the other would have done
// (the items before are written and reported, the workers are stopped), and
// runOrderedBatch throws that error.
struct BatchSteps
{
    std::function<void(qsizetype)> render;
    // True when the item goes on to write; report follows either way.
    std::function<bool(qsizetype)> decide;
    std::function<void(qsizetype)> write;
    std::function<void(qsizetype)> report;
};

// Runs every item through render, decide, write and report. Each render and each write is
// a Job, on a pool of renderThreads threads for render and one of writeThreads for write
// (at least one each). At most `ahead` items are rendered and not yet reported, which
// bounds the memory that rendered items hold.
void runOrderedBatch(qsizetype count, int renderThreads, int writeThreads, qsizetype ahead,
                     const BatchSteps& steps);

} // namespace tavelorn
