#include "platform/image/ImageCache.h"
#include "tests/platform/image/ImageFixture.h"
#include "tests/support/TestFiles.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

using platform::ImageCache;
using platform::ImageError;
using platform::ImageProblem;

namespace {

mode_t ModeOf(const std::filesystem::path& file)
{
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info.st_mode & 0777;
}

using torva::test::ReadText;

}

class ImageCacheTest : public ImageFixture {
};

TEST_F(ImageCacheTest, AnImageBecomesAReadOnlyFolderOnce)
{
    REQUIRE_GENISOIMAGE();
    std::filesystem::path iso = MakeIso("joliet");
    std::string before = ReadText(iso);
    ImageCache cache(root / "cache");
    auto image = platform::DiscImage::Open(iso).Value();
    platform::CachedImage first = cache.Open(*image);
    EXPECT_TRUE(first.Unpacked());
    const std::filesystem::path& folder = first.Folder();
    // Joliet keeps no permissions: native programs are told by their content.
    EXPECT_EQ(ModeOf(folder / "DEMOS" / "Rallye" / "SETUP.EXE"), 0555u);
    EXPECT_EQ(ModeOf(folder / "DEMOS" / "Rallye" / "install.sh"), 0555u);
    EXPECT_EQ(ModeOf(folder / "DEMOS" / "Rallye" / "Čtěte mě prosím.txt"), 0444u);
    EXPECT_EQ(ModeOf(folder / "DEMOS"), 0555u);
    EXPECT_EQ(ReadText(folder / "Torva" / "torvaxp.ini"), "[Main]\r\nTitle=Torva\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder / ".windows-label")) << "the image's folder holds its files alone";

    auto again = platform::DiscImage::Open(iso).Value();
    platform::CachedImage second = cache.Open(*again);
    EXPECT_FALSE(second.Unpacked());
    EXPECT_EQ(second.Folder(), folder);
    EXPECT_EQ(ReadText(iso), before) << "the image was written";
}

TEST_F(ImageCacheTest, ACancelledUnpackingLeavesNothing)
{
    REQUIRE_GENISOIMAGE();
    ImageCache cache(root / "cache");
    auto image = platform::DiscImage::Open(MakeIso("joliet")).Value();
    try {
        cache.Open(*image, [](uint64_t done, uint64_t total) { return done < total / 2; });
        ADD_FAILURE() << "not cancelled";
    } catch (const ImageError& error) {
        EXPECT_EQ(error.Problem(), ImageProblem::Cancelled);
    }
    for (const auto& item : std::filesystem::directory_iterator(root / "cache"))
        EXPECT_EQ(item.path().extension(), ".lock") << item.path() << " left behind";
    EXPECT_FALSE(cache.Has(*image));
}

TEST_F(ImageCacheTest, ForgettingAndTheBoundSpareWhatIsInUse)
{
    REQUIRE_GENISOIMAGE();
    auto joliet = platform::DiscImage::Open(MakeIso("joliet")).Value();
    auto plain = platform::DiscImage::Open(MakeIso("plain")).Value();
    {
        // A bound that holds one image (about 200 kB): the newest entry stays, the older unused
        // one goes.
        ImageCache small(root / "cache", 300000);
        small.Open(*joliet);
        std::optional<platform::CachedImage> held = small.Open(*plain);
        EXPECT_FALSE(small.Has(*joliet));
        EXPECT_TRUE(small.Has(*plain));
        EXPECT_EQ(small.Forget(), 0u) << "the entry in use went";
        held.reset();
        EXPECT_EQ(small.Forget(root / "plain.iso"), 1u);
        EXPECT_FALSE(small.Has(*plain));
    }
    EXPECT_EQ(ImageCache(root / "cache").List().size(), 0u);
}

// Browsing takes only the wanted files into an entry of their own; once the whole image is in,
// that entry goes as soon as nothing uses it, and later openings for browsing take the whole.
TEST_F(ImageCacheTest, ABrowsingEntryServesUntilTheWholeImageIsIn)
{
    REQUIRE_GENISOIMAGE();
    std::filesystem::path iso = MakeIso("joliet");
    ImageCache cache(root / "cache");
    auto image = platform::DiscImage::Open(iso).Value();
    auto wanted = [](const platform::ImageEntry& file) { return file.path.starts_with("Torva/"); };
    std::optional<platform::CachedImage> browsing = cache.OpenBrowsing(*image, wanted);
    EXPECT_TRUE(browsing->Browsing());
    EXPECT_EQ(ReadText(browsing->Folder() / "Torva" / "torvaxp.ini"), "[Main]\r\nTitle=Torva\r\n");
    EXPECT_FALSE(std::filesystem::exists(browsing->Folder() / "DEMOS"));
    EXPECT_EQ(ModeOf(browsing->Folder() / "Torva"), 0555u);
    EXPECT_FALSE(cache.Has(*image));
    ASSERT_EQ(cache.List().size(), 1u);
    EXPECT_EQ(cache.List()[0].bytes, std::filesystem::file_size(browsing->Folder() / "Torva" / "torvaxp.ini")) << "the browsing entry counts what it holds";

    platform::CachedImage whole = cache.Open(*image);
    EXPECT_FALSE(whole.Browsing());
    EXPECT_EQ(cache.List().size(), 2u) << "the browsing entry went while in use";
    browsing.reset();
    cache.Tidy();
    ASSERT_EQ(cache.List().size(), 1u);
    EXPECT_EQ(cache.List()[0].key, image->Identity());
    platform::CachedImage again = cache.OpenBrowsing(*image, wanted);
    EXPECT_FALSE(again.Browsing());
    EXPECT_EQ(again.Folder(), whole.Folder());
}

// Forgetting an image removes its browsing entry with its whole one.
TEST_F(ImageCacheTest, ForgettingAnImageTakesItsBrowsingEntry)
{
    REQUIRE_GENISOIMAGE();
    std::filesystem::path iso = MakeIso("joliet");
    ImageCache cache(root / "cache");
    auto image = platform::DiscImage::Open(iso).Value();
    {
        platform::CachedImage browsing = cache.OpenBrowsing(*image, [](const platform::ImageEntry&) { return true; });
        cache.Open(*image);
    }
    EXPECT_EQ(cache.Forget(iso), 2u);
    EXPECT_TRUE(cache.List().empty());
}

// A dead unpacker's folder (its lock free, or its lock file gone) goes at the next forgetting;
// one whose unpacker is alive stays.
TEST_F(ImageCacheTest, OnlyDeadUnpackersLeftoversAreCleared)
{
    std::filesystem::path cache = root / "cache";
    for (const char* name : { ".partial-dead-1-0", ".partial-lockless-1-0", ".partial-alive-1-0" }) {
        std::filesystem::create_directories(cache / name);
        Write(std::string("cache/") + name + "/SETUP.EXE", "x");
        ::chmod((cache / name).c_str(), 0555);
    }
    Write("cache/.partial-dead-1-0.lock", "");
    auto alive = platform::FileLock::Acquire(cache / ".partial-alive-1-0.lock", platform::FileLock::Mode::Exclusive);
    ImageCache(cache).Forget();
    EXPECT_FALSE(std::filesystem::exists(cache / ".partial-dead-1-0"));
    EXPECT_FALSE(std::filesystem::exists(cache / ".partial-lockless-1-0"));
    EXPECT_TRUE(std::filesystem::exists(cache / ".partial-alive-1-0/SETUP.EXE"));
}

// A label with a line break stays one field of the entry's record: the entry still names its
// image, so forgetting that image removes it.
TEST_F(ImageCacheTest, ALabelCannotAddFieldsToTheEntry)
{
    if (!Have("xorriso"))
        GTEST_SKIP() << "xorriso is not installed";
    std::filesystem::path iso = root / "odd.iso";
    std::string command = "xorriso -report_about FAILURE -outdev '" + iso.string() + "' -joliet on -volid $'J\\nimage=/etc/passwd' -map '" + (root / "tree").string() + "' / >/dev/null 2>&1";
    ASSERT_EQ(std::system(("bash -c \"" + command + "\"").c_str()), 0) << command;
    ImageCache cache(root / "cache");
    auto image = platform::DiscImage::Open(iso).Value();
    ASSERT_NE(image->Label().find('\n'), std::string::npos);
    cache.Open(*image);
    auto entries = cache.List();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].image, iso);
    EXPECT_EQ(entries[0].label, image->Label());
    EXPECT_EQ(cache.Forget(iso), 1u);
}

// An entry a trim takes while another opening waits for the cache is unpacked again.
TEST_F(ImageCacheTest, AnEntryEvictedWhileWaitingIsUnpackedAgain)
{
    REQUIRE_GENISOIMAGE();
    std::filesystem::path iso = MakeIso("joliet");
    ImageCache first(root / "cache");
    ImageCache second(root / "cache");
    std::string key = platform::DiscImage::Open(iso).Value()->Identity();
    first.Open(*platform::DiscImage::Open(iso).Value());
    auto image = platform::DiscImage::Open(iso).Value();
    std::optional<platform::CachedImage> opened;
    std::thread waiting;
    {
        auto busy = platform::FileLock::Acquire(root / "cache" / "cache.lock", platform::FileLock::Mode::Exclusive);
        waiting = std::thread([&] { opened.emplace(second.Open(*image)); });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        // What a trim does to an entry nobody uses.
        std::filesystem::path entry = root / "cache" / key;
        std::system(("chmod -R u+w '" + entry.string() + "'").c_str());
        std::filesystem::remove_all(entry);
        std::filesystem::remove(entry.string() + ".entry");
    }
    waiting.join();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->Unpacked());
    EXPECT_TRUE(std::filesystem::exists(opened->Folder() / "Torva" / "torvaxp.ini"));
}

// A cache that cannot be written says why, from a small file system of its own.
TEST_F(ImageCacheTest, AFailedWriteSaysWhy)
{
    REQUIRE_GENISOIMAGE();
    struct Case {
        const char* options;
        ImageProblem problem;
        platform::WriteFault fault;
    };
    const Case cases[] = {
        { "ro", ImageProblem::CacheFailed, platform::WriteFault::ReadOnly },
        // Too small for the image: refused before anything is written.
        { "size=96k", ImageProblem::TooLarge, platform::WriteFault::Full },
        { "nr_inodes=6", ImageProblem::CacheFailed, platform::WriteFault::NoInodes },
        // Room for the unpacked tree and its locks, none for the entry's record.
        { "nr_inodes=13", ImageProblem::CacheFailed, platform::WriteFault::NoInodes },
    };
    auto image = platform::DiscImage::Open(MakeIso("joliet")).Value();
    std::filesystem::path mount = root / "mnt";
    std::filesystem::create_directories(mount);
    for (const Case& test : cases) {
        if (std::system(("mount -t tmpfs -o " + std::string(test.options) + " tmpfs '" + mount.string() + "' 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "no file system can be mounted here (needs root)";
        try {
            ImageCache(mount / "cache").Open(*image);
            ADD_FAILURE() << test.options << ": no failure";
        } catch (const ImageError& error) {
            EXPECT_EQ(error.Problem(), test.problem) << test.options;
            EXPECT_EQ(error.Fault(), test.fault) << test.options << ": " << error.what();
            const std::filesystem::path& named = test.problem == ImageProblem::TooLarge ? image->File() : mount / "cache";
            EXPECT_EQ(error.File().string().rfind(named.string(), 0), 0u) << error.File();
        }
        EXPECT_EQ(ImageCache(mount / "cache").List().size(), 0u) << test.options << ": an entry without its folder";
        std::system(("umount '" + mount.string() + "'").c_str());
    }
}

// TORVA_IMAGE_CACHE_MB: megabytes as bytes; nonsense is refused and a huge number clamped, both
// with a warning.
TEST(ImageCacheBound, NonsenseIsRefusedAndHugeNumbersClamped)
{
    struct Case {
        const char* text;
        std::optional<uint64_t> bytes;
        bool warned;
    };
    const Case cases[] = {
        { "", std::nullopt, false },
        { "0", 0, false },
        { "100", 100ull << 20, false },
        { "-1", std::nullopt, true },
        { "12 MB", std::nullopt, true },
        { "17592186044416", UINT64_MAX >> 20 << 20, true },
        { "99999999999999999999999", UINT64_MAX >> 20 << 20, true },
    };
    for (const Case& c : cases) {
        std::string warning;
        EXPECT_EQ(ImageCache::BoundFromText(c.text, warning), c.bytes) << c.text;
        EXPECT_EQ(!warning.empty(), c.warned) << c.text;
    }
}
