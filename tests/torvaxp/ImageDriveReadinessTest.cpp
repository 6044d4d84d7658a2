// A disc image opened for browsing holds only its menu folder's shown files; the first wait for
// the drive unpacks the whole image and switches the drive to it, and a cancelled wait leaves the
// cache and the drive as browsing left them.

#include "platform/events/EventLoop.h"
#include "platform/files/PathResolver.h"
#include "platform/machine/Machine.h"
#include "torvaxp/DiscDrive.h"
#include "torvaxp/DiscOpening.h"
#include "torvaxp/ImageDriveReadiness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

bool Resolves(const std::string& windowsPath)
{
    return platform::ResolveWindowsPath(windowsPath, platform::ResolveMode::Existing).has_value();
}

}

class ImageDriveReadinessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(TORVA_SAMPLE_IMAGE))
            GTEST_SKIP() << "the sample disc's image is not built (target sample_disc_images)";
        root = fs::temp_directory_path() / ("torva-readiness-" + std::to_string(std::random_device()()));
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        cache.emplace(root / "cache");
        opened = OpenDisc(TORVA_SAMPLE_IMAGE, true, *cache, {}, ImageOpening::BrowsingFirst);
        if (auto lease = DiscDriveLease::Map(*machine, opened.folder, opened.volume))
            drive.emplace(std::move(*lease));
        ASSERT_TRUE(drive);
        readiness.emplace(*cache, opened, *drive);
    }
    void TearDown() override
    {
        readiness.reset();
        drive.reset();
        opened = {};
        platform::SetCurrentMachine(nullptr);
        std::system(("chmod -R u+w '" + root.string() + "' 2>/dev/null").c_str());
        fs::remove_all(root);
    }
    std::vector<std::string> CacheKeys() const
    {
        std::vector<std::string> keys;
        for (const platform::CacheEntry& entry : cache->List())
            keys.push_back(entry.key);
        return keys;
    }
    bool PartialLeft() const
    {
        for (const auto& item : fs::directory_iterator(root / "cache"))
            if (item.path().filename().string().starts_with(".partial-"))
                return true;
        return false;
    }

    fs::path root;
    std::shared_ptr<platform::Machine> machine;
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    platform::ScopedEventLoop scope { loop };
    std::optional<platform::ImageCache> cache;
    OpenedDisc opened;
    std::optional<DiscDriveLease> drive;
    std::optional<ImageDriveReadiness> readiness;
};

TEST_F(ImageDriveReadinessTest, BrowsingHoldsOnlyTheShownFilesUntilAWaitUnpacksTheWhole)
{
    auto image = platform::DiscImage::Open(TORVA_SAMPLE_IMAGE).Value();
    std::string key = image->Identity();
    EXPECT_EQ(CacheKeys(), std::vector<std::string> { key + "-browse" });
    for (const auto& item : fs::recursive_directory_iterator(opened.folder)) {
        platform::ImageEntry file;
        file.path = fs::relative(item.path(), opened.folder).string();
        if (item.is_regular_file()) {
            EXPECT_TRUE(ShownWhileBrowsing(file)) << item.path() << " is no browsing file";
        }
    }
    std::string letter(1, drive->Letter());
    EXPECT_TRUE(Resolves(letter + ":\\TORVA\\TORVAXP.INI"));
    EXPECT_FALSE(Resolves(letter + ":\\DEMOS\\RALLYE\\SETUP.EXE"));

    std::vector<double> shown;
    int begun = 0, ended = 0;
    readiness->SetView({ .begin = [&] { ++begun; },
        .progress = [&](uint64_t done, uint64_t total) { shown.push_back(total ? double(done) / double(total) : 0.0); },
        .end = [&] { ++ended; },
        .failed = [](const std::string& czech) { ADD_FAILURE() << czech; } });
    ASSERT_TRUE(readiness->WaitUntilReady());
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(ended, 1);
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()) && shown.front() >= 0 && shown.back() <= 1);
    EXPECT_TRUE(Resolves(letter + ":\\DEMOS\\RALLYE\\SETUP.EXE"));
    EXPECT_EQ(machine->DiscBehind(drive->Letter()), opened.folder);
    EXPECT_EQ(CacheKeys(), std::vector<std::string> { key }) << "the browsing entry stayed";
    EXPECT_TRUE(readiness->WaitUntilReady()) << "a ready drive waits no more";
    EXPECT_EQ(begun, 1);
}

TEST_F(ImageDriveReadinessTest, ACancelledWaitLeavesTheMenuBrowsing)
{
    fs::path browsing = opened.folder;
    ImageDriveReadiness::WaitView cancelling;
    cancelling.progress = [&](uint64_t, uint64_t) { readiness->Cancel(); };
    cancelling.failed = [](const std::string& czech) { ADD_FAILURE() << czech; };
    readiness->SetView(cancelling);
    EXPECT_FALSE(readiness->WaitUntilReady());
    EXPECT_EQ(CacheKeys().size(), 1u);
    EXPECT_TRUE(CacheKeys()[0].ends_with("-browse"));
    EXPECT_FALSE(PartialLeft()) << "the cancelled unpacking left its folder";
    EXPECT_EQ(machine->DiscBehind(drive->Letter()), browsing);
    EXPECT_TRUE(Resolves(std::string(1, drive->Letter()) + ":\\TORVA\\TORVAXP.INI"));

    readiness->SetView({});
    EXPECT_TRUE(readiness->WaitUntilReady()) << "the next action cannot have the drive";
}
