#include "platform/image/ImageCache.h"
#include "tests/platform/image/ImageFixture.h"
#include "tests/support/TestFiles.h"

#include <sys/stat.h>

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
    auto image = platform::DiscImage::Open(iso);
    platform::CachedImage first = cache.Open(*image);
    EXPECT_TRUE(first.Unpacked());
    const std::filesystem::path& folder = first.Folder();
    // Joliet keeps no permissions: native programs are told by their content.
    EXPECT_EQ(ModeOf(folder / "DEMOS" / "Rallye" / "SETUP.EXE"), 0555u);
    EXPECT_EQ(ModeOf(folder / "DEMOS" / "Rallye" / "install.sh"), 0555u);
    EXPECT_EQ(ModeOf(folder / "DEMOS" / "Rallye" / "Čtěte mě prosím.txt"), 0444u);
    EXPECT_EQ(ModeOf(folder / "DEMOS"), 0555u);
    EXPECT_EQ(ReadText(folder / "Torva" / "torvaxp.ini"), "[Main]\r\nTitle=Torva\r\n");
    EXPECT_EQ(ReadText(folder / ".windows-label"), "Torva CD v2\n");
    EXPECT_EQ(ReadText(folder / ".windows-serial").size(), 9u);

    auto again = platform::DiscImage::Open(iso);
    platform::CachedImage second = cache.Open(*again);
    EXPECT_FALSE(second.Unpacked());
    EXPECT_EQ(second.Folder(), folder);
    EXPECT_EQ(ReadText(iso), before) << "the image was written";
}

TEST_F(ImageCacheTest, ACancelledUnpackingLeavesNothing)
{
    REQUIRE_GENISOIMAGE();
    ImageCache cache(root / "cache");
    auto image = platform::DiscImage::Open(MakeIso("joliet"));
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
    auto joliet = platform::DiscImage::Open(MakeIso("joliet"));
    auto plain = platform::DiscImage::Open(MakeIso("plain"));
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
