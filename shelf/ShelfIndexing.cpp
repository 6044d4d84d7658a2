#include "shelf/ShelfIndexing.h"

#include <utility>

namespace shelf {

ShelfIndexing::ShelfIndexing(ShelfOptions options)
    : m_thread([this](std::stop_token stop, ShelfOptions given) { Build(std::move(stop), std::move(given)); }, std::move(options))
{
}

// The jthread asks the build to stop and waits for it.
ShelfIndexing::~ShelfIndexing() = default;

void ShelfIndexing::Build(std::stop_token stop, ShelfOptions options)
{
    std::optional<ShelfIndex> index;
    std::string failure;
    try {
        index.emplace(ShelfIndex::Build(
            options, [this](const ShelfProgress& progress) {
                m_total = progress.total;
                m_done = progress.done;
            },
            stop));
        if (index->Stats().stopped)
            index.reset();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    {
        std::lock_guard<std::mutex> lock(m_outcomeMutex);
        m_index = std::move(index);
        m_failure = std::move(failure);
    }
    m_finished = true;
}

std::optional<ShelfIndex> ShelfIndexing::Take()
{
    std::lock_guard<std::mutex> lock(m_outcomeMutex);
    return std::exchange(m_index, std::nullopt);
}

std::string ShelfIndexing::Failure()
{
    std::lock_guard<std::mutex> lock(m_outcomeMutex);
    return m_failure;
}

}
