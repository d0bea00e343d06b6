// Row-parallel loops for the core's kernels: the rows of one call are split over worker threads, the call returns
// when all are done, and progress is reported from the calling thread only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

// The number of threads a kernel call may use: set by SetWorkerThreads, else the ORBEN_THREADS environment
// variable, else the machine's cores. Always at least 1.
int WorkerThreads();
// n >= 1 fixes the count (orbentool --threads, tests); n <= 0 goes back to the default.
void SetWorkerThreads(int n);

// Runs work(first, end, slot) over rows 0 .. count-1 cut into chunks [k * chunkRows, (k + 1) * chunkRows), each
// chunk once, on up to `threads` threads (the caller is one of them); slot, below `threads`, tells which thread
// runs the chunk, for per-thread scratch. beforeRow(r) (may be empty) is called on the calling thread for every
// r = 0 .. count-1 in increasing order, never after row r's chunk has ended on the caller and never before it has
// been started by some thread; it must not call back into work. With one thread everything runs on the caller
// in row order, chunk by chunk. work must not call host services (messages, progress, memory blocks).
void ForEachRowChunk(int64_t count, int64_t chunkRows, int threads,
                     const std::function<void(int64_t first, int64_t end, int slot)> &work,
                     const std::function<void(int64_t row)> &beforeRow);

// Chunk rows that give each of `threads` threads about `perThread` chunks (at least one row).
int64_t ChunkRowsFor(int64_t count, int threads, int perThread);

// Chunk rows for a kernel filling the rows (rowBytes each) of a freshly allocated picture: where the picture is
// big enough, as tall as a 2 MiB page of them, so each thread has the system zero the pages it goes on to fill
// rather than fill pages another thread has just zeroed (whose lines then sit in that thread's cache); at least
// eight chunks per thread.
int64_t ChunkRowsForFreshRows(int64_t count, int threads, size_t rowBytes);

// ForEachRowChunk for work done one row at a time on any thread: rowFn(row) for rows 0 ... count-1 in chunks of
// chunkRows on `threads` threads.
template <class RowFn>
void ForEachRowIn(int64_t count, int64_t chunkRows, int threads, RowFn &rowFn,
                  const std::function<void(int64_t row)> &beforeRow) {
    ForEachRowChunk(
        count, chunkRows, threads,
        [&rowFn](int64_t first, int64_t end, int) {
            for (int64_t r = first; r < end; ++r) rowFn(r);
        },
        beforeRow);
}

// About sixteen chunks for each of WorkerThreads() threads.
template <class RowFn>
void ForEachRow(int64_t count, RowFn rowFn, const std::function<void(int64_t row)> &beforeRow = nullptr) {
    const int threads = WorkerThreads();
    ForEachRowIn(count, ChunkRowsFor(count, threads, 16), threads, rowFn, beforeRow);
}

// For work filling the rows (rowBytes each) of a freshly allocated picture: chunks of ChunkRowsForFreshRows.
template <class RowFn>
void ForEachFreshRow(int64_t count, size_t rowBytes, RowFn rowFn,
                     const std::function<void(int64_t row)> &beforeRow = nullptr) {
    const int threads = WorkerThreads();
    ForEachRowIn(count, ChunkRowsForFreshRows(count, threads, rowBytes), threads, rowFn, beforeRow);
}
