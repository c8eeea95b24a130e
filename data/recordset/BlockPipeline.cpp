#include "data/recordset/BlockPipeline.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

#include "data/recordset/ColumnEncoder.h"

namespace qelvor::recordset {

namespace {

// Blocks waiting at most: bounds the rows held uncompressed when the fetch outruns the
// writing.
constexpr std::size_t kMaxWaiting = 256;

}  // namespace

struct BlockPipeline::Queue {
    struct Job {
        ColumnEncoder* encoder;
        StagedBlock block;
    };

    std::mutex mutex;
    std::condition_variable work;     // a job came, or the pipeline stops: for the thread
    std::condition_variable done;     // a job was written or failed: for the owner
    // Who waits, so that a notification (a system call) is sent only when someone does:
    // one per block would cost more than the writing saves.
    bool threadWaits = false;
    bool ownerWaits = false;
    std::deque<Job> jobs;
    std::vector<StagedBlock> spare;   // written blocks' buffers, for reuse
    bool busy = false;                // the thread is writing a block
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
    std::unique_lock<std::mutex> lock(queue_->mutex);
    // The wait ends as the thread writes blocks: work of this process, never of a server.
    WaitForOwner(lock, [&] { return queue_->jobs.size() < kMaxWaiting || queue_->failure; });
    if (queue_->failure)
        std::rethrow_exception(queue_->failure);
    StagedBlock next;
    if (!queue_->spare.empty()) {
        next = std::move(queue_->spare.back());
        queue_->spare.pop_back();
    }
    queue_->jobs.push_back({&encoder, std::move(block)});
    block = std::move(next);
    block.Clear();
    const bool wake = queue_->threadWaits;
    lock.unlock();
    if (wake)
        queue_->work.notify_one();
}

void BlockPipeline::Drain()
{
    std::unique_lock<std::mutex> lock(queue_->mutex);
    WaitForOwner(lock, [&] { return (queue_->jobs.empty() && !queue_->busy) || queue_->failure; });
    if (queue_->failure)
        std::rethrow_exception(queue_->failure);
}

void BlockPipeline::Work()
{
    std::unique_lock<std::mutex> lock(queue_->mutex);
    for (;;) {
        queue_->threadWaits = true;
        queue_->work.wait(lock, [&] { return queue_->stop || !queue_->jobs.empty(); });
        queue_->threadWaits = false;
        if (queue_->stop)
            return;
        Queue::Job job = std::move(queue_->jobs.front());
        queue_->jobs.pop_front();
        queue_->busy = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            job.encoder->Write(job.block);
        } catch (...) {
            failure = std::current_exception();
        }
        job.block.Clear();
        lock.lock();
        queue_->busy = false;
        queue_->spare.push_back(std::move(job.block));
        if (failure) {
            queue_->failure = failure;
            queue_->jobs.clear();
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
