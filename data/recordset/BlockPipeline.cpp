#include "data/recordset/BlockPipeline.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

#include "data/recordset/ColumnEncoder.h"

namespace qelvor::recordset {

namespace {

// Blocks go to the thread in batches, under one lock each: a lock per block would cost
// the fetch more than the writing saves.
constexpr std::size_t kBatch = 256;
// Batches waiting at most: bounds the rows held uncompressed when the fetch outruns the
// writing.
constexpr std::size_t kMaxWaiting = 4;

}  // namespace

struct BlockPipeline::Job {
    ColumnEncoder* encoder;
    StagedBlock block;
};

struct BlockPipeline::Queue {
    std::mutex mutex;
    std::condition_variable work;     // a batch came, or the pipeline stops: for the thread
    std::condition_variable done;     // a batch was written or failed: for the owner
    // Who waits, so that a notification (a system call) is sent only when someone does.
    bool threadWaits = false;
    bool ownerWaits = false;
    std::deque<std::vector<Job>> batches;
    std::vector<StagedBlock> spare;   // written blocks' buffers, for the owner to reuse
    bool busy = false;                // the thread is writing a batch
    bool stop = false;
    std::exception_ptr failure;       // what writing a block raised; later blocks are dropped
};

BlockPipeline::BlockPipeline() : queue_(std::make_unique<Queue>())
{
}

BlockPipeline::~BlockPipeline()
{
    {
        const std::lock_guard<std::mutex> lock(queue_->mutex);
        queue_->stop = true;
    }
    queue_->work.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void BlockPipeline::Submit(ColumnEncoder& encoder, StagedBlock& block)
{
    if (inlineLeft_ > 0) {
        --inlineLeft_;
        encoder.Write(block);
        block.Clear();
        if (inlineLeft_ == 0)
            worker_ = std::thread([this] { Work(); });
        return;
    }
    gathering_.push_back({&encoder, std::move(block)});
    block = StagedBlock();
    if (!spare_.empty()) {
        block = std::move(spare_.back());
        spare_.pop_back();
    }
    if (gathering_.size() >= kBatch)
        Hand();
}

void BlockPipeline::Hand()
{
    std::unique_lock<std::mutex> lock(queue_->mutex);
    // The wait ends as the thread writes blocks: work of this process, never of a server.
    WaitForOwner(lock, [&] { return queue_->batches.size() < kMaxWaiting || queue_->failure; });
    if (queue_->failure)
        std::rethrow_exception(queue_->failure);
    queue_->batches.push_back(std::move(gathering_));
    gathering_ = {};
    gathering_.reserve(kBatch);
    for (StagedBlock& block : queue_->spare)
        spare_.push_back(std::move(block));
    queue_->spare.clear();
    const bool wake = queue_->threadWaits;
    lock.unlock();
    if (wake)
        queue_->work.notify_one();
}

void BlockPipeline::Drain()
{
    if (!gathering_.empty())
        Hand();
    std::unique_lock<std::mutex> lock(queue_->mutex);
    WaitForOwner(lock, [&] { return (queue_->batches.empty() && !queue_->busy) || queue_->failure; });
    if (queue_->failure)
        std::rethrow_exception(queue_->failure);
}

void BlockPipeline::Work()
{
    std::unique_lock<std::mutex> lock(queue_->mutex);
    for (;;) {
        queue_->threadWaits = true;
        queue_->work.wait(lock, [&] { return queue_->stop || !queue_->batches.empty(); });
        queue_->threadWaits = false;
        if (queue_->stop)
            return;
        std::vector<Job> batch = std::move(queue_->batches.front());
        queue_->batches.pop_front();
        queue_->busy = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            for (Job& job : batch) {
                job.encoder->Write(job.block);
                job.block.Clear();
            }
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        queue_->busy = false;
        for (Job& job : batch)
            queue_->spare.push_back(std::move(job.block));
        if (failure) {
            queue_->failure = failure;
            queue_->batches.clear();
        }
        if (queue_->ownerWaits)
            queue_->done.notify_all();
    }
}

template <typename Ready>
void BlockPipeline::WaitForOwner(std::unique_lock<std::mutex>& lock, Ready ready)
{
    queue_->ownerWaits = true;
    queue_->done.wait(lock, ready);
    queue_->ownerWaits = false;
}

}  // namespace qelvor::recordset
