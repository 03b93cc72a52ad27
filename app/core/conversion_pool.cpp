#include "app/core/conversion_pool.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// Where a file has got, as last told by its thread.
struct StageNews {
    FileStage stage = FileStage::Reading;
    uint64_t done = 0;
    uint64_t total = 0;
    bool fresh = false;  // not yet given to the progress
};

// The threads of one batch hand out files in list order, and the calling thread gives what they
// report to the progress, in list order too. Everything they share is guarded by mutex_.
class OrderedPool {
  public:
    OrderedPool(const PoolPlan& plan, const ConversionProgress& progress)
        : plan_(plan),
          progress_(progress),
          reports_(plan.count),
          finished_(plan.count, false),
          news_(progress.fileStage ? plan.count : 0) {}

    std::optional<std::vector<FileReport>> run() {
        std::vector<std::thread> threads;
        // Whatever ends the run, the threads are told to stop, then joined.
        struct StopOnExit {
            OrderedPool& pool;
            std::vector<std::thread>& threads;
            ~StopOnExit() {
                pool.stop();
                for (std::thread& thread : threads) {
                    thread.join();
                }
            }
        } stopOnExit{*this, threads};
        for (std::size_t i = 0; i < plan_.jobs; ++i) {
            try {
                threads.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break;  // the threads there are do the work
            }
        }
        if (threads.empty()) {
            return std::nullopt;
        }
        giveReports();
        return std::move(reports_);
    }

  private:
    void stop() {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }

    void work() {
        bool cancelled = false;
        for (std::size_t index = 0; takeNext(index, cancelled);) {
            try {
                StageSink stage;
                if (progress_.fileStage) {
                    stage = [this, index](FileStage at, uint64_t done, uint64_t total) {
                        tell(index, {at, done, total, true});
                    };
                }
                FileReport report = cancelled ? plan_.cancel(index) : plan_.convert(index, stage);
                const std::lock_guard lock(mutex_);
                reports_[index] = std::move(report);
                finish(index);
            } catch (...) {
                const std::lock_guard lock(mutex_);
                if (!failure_) {
                    failure_ = std::current_exception();
                }
                stopping_ = true;
                changed_.notify_all();
                return;
            }
        }
    }

    // Waits until the next file may start, and then until the files it must follow have
    // finished; false when there is none left, or the run stops. `cancelled` tells whether the
    // batch was cancelled when the file was handed out.
    bool takeNext(std::size_t& index, bool& cancelled) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] {
            return stopping_ || next_ == plan_.count || next_ <= firstUnfinished_ + plan_.jobs;
        });
        if (stopping_ || next_ == plan_.count) {
            return false;
        }
        index = next_++;
        cancelled = plan_.cancel && progress_.cancelled != nullptr && progress_.cancelled->load();
        // The files waited for were handed out before this one, so they are under way.
        changed_.wait(lock, [this, index] {
            if (stopping_) {
                return true;
            }
            for (const std::size_t earlier : plan_.after[index]) {
                if (!finished_[earlier]) {
                    return false;
                }
            }
            return true;
        });
        return !stopping_;
    }

    void finish(std::size_t index) {
        finished_[index] = true;
        while (firstUnfinished_ < plan_.count && finished_[firstUnfinished_]) {
            ++firstUnfinished_;
        }
        changed_.notify_all();
    }

    void tell(std::size_t index, const StageNews& news) {
        const std::lock_guard lock(mutex_);
        news_[index] = news;
        if (index == given_) {
            changed_.notify_all();
        }
    }

    // On the calling thread: each report as soon as it and every one before it are there, and in
    // between where the first file without a report has got.
    void giveReports() {
        std::unique_lock lock(mutex_);
        for (bool started = false; given_ < plan_.count;) {
            if (!started && progress_.fileStarting) {
                lock.unlock();
                progress_.fileStarting(given_);
                lock.lock();
            }
            started = true;
            changed_.wait(lock, [this] { return failure_ || finished_[given_] || hasNews(); });
            if (failure_) {
                break;
            }
            if (finished_[given_]) {
                const std::size_t index = given_;
                if (plan_.settle) {
                    // The next file, when under way, is waited for: one settling may serve both.
                    changed_.wait(lock, [this, index] {
                        return failure_ || index + 1 >= next_ || finished_[index + 1];
                    });
                    if (failure_) {
                        break;
                    }
                }
                lock.unlock();
                if (plan_.settle) {
                    plan_.settle(index, reports_[index]);
                }
                if (progress_.fileDone) {
                    progress_.fileDone(reports_[index], index + 1, plan_.count);
                }
                lock.lock();
                ++given_;
                started = false;
                continue;
            }
            const StageNews news = std::exchange(news_[given_], {});
            lock.unlock();
            progress_.fileStage(given_, news.stage, news.done, news.total);
            lock.lock();
        }
        if (failure_) {
            std::rethrow_exception(failure_);
        }
    }

    bool hasNews() const { return !news_.empty() && news_[given_].fresh; }

    const PoolPlan& plan_;
    const ConversionProgress& progress_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<FileReport> reports_;  // a finished file's report is not touched again by threads
    std::vector<bool> finished_;
    std::vector<StageNews> news_;  // by file, when the progress hears of stages
    std::size_t next_ = 0;         // the next file to hand out
    std::size_t firstUnfinished_ = 0;
    std::size_t given_ = 0;  // reports given to the progress; written only by the calling thread
    bool stopping_ = false;
    std::exception_ptr failure_;
};

}  // namespace

std::optional<std::vector<FileReport>> convertOnPool(const PoolPlan& plan,
                                                     const ConversionProgress& progress) {
    return OrderedPool(plan, progress).run();
}
