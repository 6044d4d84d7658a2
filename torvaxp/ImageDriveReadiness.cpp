#include "torvaxp/ImageDriveReadiness.h"

#include "platform/components/Forms.h"

#include <chrono>

namespace fs = std::filesystem;

namespace {

// How often a wait turns the event loop and redraws its progress.
constexpr auto WaitStep = std::chrono::milliseconds(40);

}

ImageDriveReadiness::ImageDriveReadiness(platform::ImageCache& cache, OpenedDisc& opened, DiscDriveLease& drive)
    : m_cache(cache)
    , m_opened(opened)
    , m_drive(drive)
    , m_ready(!opened.pendingImage)
{
}

ImageDriveReadiness::~ImageDriveReadiness()
{
    Cancel();
    if (m_thread.joinable())
        m_thread.join();
}

std::string ImageDriveReadiness::ImageName() const
{
    return (m_opened.pendingImage ? *m_opened.pendingImage : m_opened.folder).filename().string();
}

bool ImageDriveReadiness::WaitUntilReady()
{
    // An action asked for while another waits is dropped: the first one runs once the drive is whole.
    if (m_ready || m_waiting)
        return m_ready;
    m_waiting = true;
    // The whole image is unpacked only once an action needs the drive, never on its own after the
    // first frame: a user who pages through many discs does not fill the cache with whole images.
    m_cancel = false;
    m_finished = false;
    m_done = 0;
    m_total = 0;
    m_thread = std::thread([this, image = *m_opened.pendingImage] { Unpack(image); });
    if (m_view.begin)
        m_view.begin();
    while (!m_finished) {
        if (m_view.progress)
            m_view.progress(m_done, m_total);
        platform::Application().ProcessMessages();
        std::this_thread::sleep_for(WaitStep);
    }
    m_thread.join();
    if (m_view.end)
        m_view.end();
    m_waiting = false;
    m_ready = SwitchDrive();
    return m_ready;
}

// On the unpacking thread: the image is opened afresh, so the menu's thread shares nothing of it.
void ImageDriveReadiness::Unpack(fs::path image)
{
    std::optional<platform::CachedImage> whole;
    std::string failure;
    try {
        auto disc = platform::DiscImage::Open(image);
        if (disc)
            whole.emplace(m_cache.Open(*disc.Value(), [this](uint64_t done, uint64_t total) {
                m_done = done;
                m_total = total;
                return !m_cancel;
            }));
        else
            failure = ImageProblemText(disc.Error());
    } catch (const platform::ImageError& error) {
        if (error.Problem() != platform::ImageProblem::Cancelled)
            failure = ImageProblemText(error);
    } catch (...) {
        failure = UnforeseenFailureText(image);
    }
    {
        std::lock_guard<std::mutex> lock(m_outcomeMutex);
        m_whole = std::move(whole);
        m_failure = std::move(failure);
    }
    m_finished = true;
}

// The drive leaves the browsing entry for the whole folder, which then holds the menu's share of
// the cache in its place; the browsing entry goes once nothing uses it.
bool ImageDriveReadiness::SwitchDrive()
{
    std::optional<platform::CachedImage> whole;
    std::string failure;
    {
        std::lock_guard<std::mutex> lock(m_outcomeMutex);
        whole = std::move(m_whole);
        failure = std::move(m_failure);
        m_whole.reset();
    }
    if (!whole) {
        if (!failure.empty() && m_view.failed)
            m_view.failed(failure);
        return false;
    }
    if (!m_drive.Switch(whole->Folder())) {
        if (m_view.failed)
            m_view.failed("Jednotku disku nelze přepnout na rozbalený obraz " + whole->Folder().string() + ".");
        return false;
    }
    m_opened.folder = whole->Folder();
    m_opened.image = std::move(whole);
    m_opened.pendingImage.reset();
    m_cache.Tidy();
    return true;
}
