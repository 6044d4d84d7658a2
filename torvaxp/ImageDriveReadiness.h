#pragma once

// The drive of a disc image opened from its browsing entry (ImageCache::OpenBrowsing): the first
// action that needs the disc unpacks the whole image on a thread of its own and waits for it,
// with the menu's event loop turning meanwhile. Once the whole folder is in the cache, the drive
// is switched to it in one step and the browsing entry is let go, so Wine never sees a folder
// that is still being filled. A cancelled unpacking leaves nothing in the cache and the menu
// browsing on the small entry.

#include "menu/DriveReadiness.h"
#include "torvaxp/DiscOpening.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class ImageDriveReadiness : public DriveReadiness {
public:
    // What a wait shows and hears: `begin` as it starts (the view then sends Escape to
    // Cancel), `progress` with the bytes unpacked of all while it lasts, `end` when it is over,
    // and `failed` with a Czech sentence when the unpacking failed other than by a cancel.
    struct WaitView {
        std::function<void()> begin;
        std::function<void(uint64_t done, uint64_t total)> progress;
        std::function<void()> end;
        std::function<void(const std::string& czech)> failed;
    };

    // `opened` holds the browsing entry and names the image; `drive` maps it. Both must outlive
    // this object.
    ImageDriveReadiness(platform::ImageCache& cache, OpenedDisc& opened, DiscDriveLease& drive);
    // Cancels an unpacking under way and waits for its thread.
    ~ImageDriveReadiness() override;
    ImageDriveReadiness(const ImageDriveReadiness&) = delete;
    ImageDriveReadiness& operator=(const ImageDriveReadiness&) = delete;

    void SetView(WaitView view) { m_view = std::move(view); }
    bool WaitUntilReady() override;
    // Stops the unpacking under way; safe from any thread.
    void Cancel() { m_cancel = true; }
    bool Ready() const { return m_ready; }
    // The image's file name, as the progress names it.
    std::string ImageName() const;

private:
    void Unpack(std::filesystem::path image);
    bool SwitchDrive();

    platform::ImageCache& m_cache;
    OpenedDisc& m_opened;
    DiscDriveLease& m_drive;
    WaitView m_view;
    bool m_ready = false;
    bool m_waiting = false;
    std::thread m_thread;
    std::atomic<bool> m_cancel { false };
    std::atomic<bool> m_finished { false };
    std::atomic<uint64_t> m_done { 0 };
    std::atomic<uint64_t> m_total { 0 };
    // What the thread leaves for the menu's thread, read once it has finished.
    std::mutex m_outcomeMutex;
    std::optional<platform::CachedImage> m_whole;
    std::string m_failure;
};
