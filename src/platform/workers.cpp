// Worker threads for row-parallel kernels: plain threads started per call, so nothing outlives the call and no pool
// has to be torn down when the program or an add-in unloads.
#include "platform/workers.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#if defined(__GLIBC__)
#include <cerrno>
#include <chrono>
#include <pthread.h>
#endif

namespace {

#if defined(__GLIBC__)
// A helper thread. The caller waits for its end awake for a while before it sleeps in a join: on virtual machines
// a core that went idle can take tens of microseconds to be woken, which a kernel of a few milliseconds feels at
// every call, while the helper's last rows and its exit usually take far less.
class Helper {
public:
    explicit Helper(std::function<void()> fn) : fn_(std::move(fn)) {}
    Helper(const Helper &) = delete;
    Helper &operator=(const Helper &) = delete;
    ~Helper() { Join(); }
    bool Start() { return started_ = pthread_create(&id_, nullptr, &Helper::Run, this) == 0; }
    void Join() {
        if (!started_) return;
        started_ = false;
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(150);
        while (pthread_tryjoin_np(id_, nullptr) == EBUSY) {
            if (std::chrono::steady_clock::now() > until) {
                pthread_join(id_, nullptr);
                return;
            }
            std::this_thread::yield();
        }
    }

private:
    static void *Run(void *self) {
        static_cast<Helper *>(self)->fn_();
        return nullptr;
    }
    std::function<void()> fn_;
    pthread_t id_{};
    bool started_ = false;
};
#else
class Helper {
public:
    explicit Helper(std::function<void()> fn) : fn_(std::move(fn)) {}
    ~Helper() { Join(); }
    bool Start() {
        try {
            thread_ = std::thread(fn_);
        } catch (...) {
            return false;
        }
        return true;
    }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::function<void()> fn_;
    std::thread thread_;
};
#endif

std::atomic<int> gThreadSetting{0}; // 0: the default

// Thread counts above this are clamped: the kernels gain nothing and every thread costs a stack.
constexpr int kMaxThreads = 64;

int Clamp(long n) { return n < 1 ? 1 : n > kMaxThreads ? kMaxThreads : (int)n; }

int DefaultThreads() {
    if (const char *env = std::getenv("ORBEN_THREADS")) {
        char *end = nullptr;
        const long n = std::strtol(env, &end, 10);
        if (end != env && *end == '\0' && n >= 1) return Clamp(n);
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return Clamp(cores ? (long)cores : 1);
}

} // namespace

int WorkerThreads() {
    const int n = gThreadSetting.load();
    return n >= 1 ? n : DefaultThreads();
}

void SetWorkerThreads(int n) { gThreadSetting.store(n >= 1 ? Clamp(n) : 0); }

int64_t ChunkRowsFor(int64_t count, int threads, int perThread) {
    const int64_t chunks = (int64_t)(threads < 1 ? 1 : threads) * (perThread < 1 ? 1 : perThread);
    const int64_t rows = (count + chunks - 1) / chunks;
    return rows < 1 ? 1 : rows;
}

int64_t ChunkRowsForFreshRows(int64_t count, int threads, size_t rowBytes) {
    constexpr size_t kPage = 2u << 20; // the huge pages the native blocks ask for
    int64_t rows = ChunkRowsFor(count, threads, 16);
    const int64_t pageRows = rowBytes ? (int64_t)(kPage / rowBytes) + 1 : 1;
    const int64_t most = ChunkRowsFor(count, threads, 8);
    if (pageRows > rows) rows = pageRows < most ? pageRows : most;
    return rows;
}

void ForEachRowChunk(int64_t count, int64_t chunkRows, int threads,
                     const std::function<void(int64_t first, int64_t end, int slot)> &work,
                     const std::function<void(int64_t row)> &beforeRow) {
    if (count <= 0) return;
    if (chunkRows < 1) chunkRows = 1;
    const int64_t chunks = (count + chunkRows - 1) / chunkRows;
    if (threads > chunks) threads = (int)chunks;
    int64_t reported = 0; // rows whose beforeRow has been called
    auto reportTo = [&](int64_t end) {
        if (!beforeRow) {
            reported = end;
            return;
        }
        for (; reported < end; ++reported) beforeRow(reported);
    };
    if (threads <= 1) {
        for (int64_t first = 0; first < count; first += chunkRows) {
            const int64_t end = first + chunkRows < count ? first + chunkRows : count;
            reportTo(end);
            work(first, end, 0);
        }
        return;
    }
    std::atomic<int64_t> next{0};
    auto run = [&](int slot, bool caller) {
        for (;;) {
            const int64_t k = next.fetch_add(1);
            if (k >= chunks) return;
            const int64_t first = k * chunkRows, end = first + chunkRows < count ? first + chunkRows : count;
            if (caller) reportTo(end);
            work(first, end, slot);
        }
    };
    std::vector<std::unique_ptr<Helper>> helpers;
    try {
        helpers.reserve((size_t)threads - 1);
        for (int slot = 1; slot < threads; ++slot) {
            helpers.emplace_back(new Helper([&run, slot] { run(slot, false); }));
            if (!helpers.back()->Start()) {
                helpers.pop_back();
                break;
            }
        }
    } catch (...) {
        // no more threads (or memory for them) to be had: the ones running and the caller share the rest
    }
    run(0, true);
    for (auto &helper : helpers) helper->Join();
    reportTo(count);
}
