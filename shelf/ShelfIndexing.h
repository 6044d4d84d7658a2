#pragma once

// A shelf index built on a thread of its own, so a window stays responsive while images are
// read: how far it got can be asked at any time, and the index taken once it is finished.
// Stopping (or destroying it) ends the build after the disc being read, with the cache file
// left as it was.

#include "shelf/ShelfIndex.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace shelf {

class ShelfIndexing {
public:
    explicit ShelfIndexing(ShelfOptions options);
    ~ShelfIndexing();
    ShelfIndexing(const ShelfIndexing&) = delete;
    ShelfIndexing& operator=(const ShelfIndexing&) = delete;

    void Stop() { m_thread.request_stop(); }
    bool Finished() const { return m_finished; }
    // Candidates looked at so far, and found on the folders.
    size_t Done() const { return m_done; }
    size_t Total() const { return m_total; }

    // Once finished: the index, or nothing when stopped or failed (Failure() says why then).
    std::optional<ShelfIndex> Take();
    std::string Failure();

private:
    void Build(std::stop_token stop, ShelfOptions options);

    std::atomic<bool> m_finished { false };
    std::atomic<size_t> m_done { 0 };
    std::atomic<size_t> m_total { 0 };
    std::mutex m_outcomeMutex;
    std::optional<ShelfIndex> m_index;
    std::string m_failure;
    // Last: the thread starts once everything it uses exists.
    std::jthread m_thread;
};

}
