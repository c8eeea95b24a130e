// BlockPipeline: writes the filled blocks of a result's columns on a second thread while
// the provider's thread fetches the next rows, so that compressing costs no wall time.
//
// The thread starts only once a result has filled kInlineBlocks blocks: a short result is
// written inline and costs no thread. Blocks go over in batches and are written in the
// order they come, so each
// column's blocks keep their row order. The fetch that fills the columns owns the pipeline
// and must destroy it before the columns: destruction stops the thread and joins it,
// dropping blocks not yet written (the result they belong to is being dropped too).
#pragma once

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "data/recordset/ColumnBlocks.h"

namespace qelvor::recordset {

class ColumnEncoder;

class BlockPipeline {
public:
    BlockPipeline();
    ~BlockPipeline();
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;

    // Writes block through encoder, now or on the thread; block comes back empty (its
    // buffers kept for reuse).
    void Submit(ColumnEncoder& encoder, StagedBlock& block);
    // Returns once every submitted block is written; raises what writing one raised.
    void Drain();

    static constexpr int kInlineBlocks = 64;

private:
    struct Job;
    struct Queue;

    // Hands the gathered blocks to the thread as one batch.
    void Hand();
    void Work();
    // Waits on the owner's side until ready() holds (lock held).
    template <typename Ready>
    void WaitForOwner(std::unique_lock<std::mutex>& lock, Ready ready);

    std::unique_ptr<Queue> queue_;    // shared with the thread, under its mutex
    std::vector<Job> gathering_;      // the owner's: blocks for the next batch
    std::vector<StagedBlock> spare_;  // the owner's: written blocks' buffers, for reuse
    std::thread worker_;              // started by the kInlineBlocks-th block
    int inlineLeft_ = kInlineBlocks;
};

}  // namespace qelvor::recordset
