// Shapes a hostile or damaged image may take, built by hand: the work each costs is bounded
// before it is done.
#include "platform/image/ImageCache.h"
#include "tests/platform/image/ImageFixture.h"
#include "tests/platform/image/IsoBuilder.h"
#include "tests/support/TestFiles.h"

#include <algorithm>

namespace fs = std::filesystem;
using platform::DiscImage;
using platform::ImageCache;
using platform::ImageError;
using platform::ImageProblem;
using Record = IsoBuilder::Record;

class HostileImageTest : public ImageFixture {
protected:
    // `copies` files of one MiB, each record's extent `step` sectors after the last.
    fs::path SharedExtents(int copies, uint32_t step)
    {
        std::vector<Record> records;
        for (int i = 0; i < copies; ++i)
            records.push_back({ "F" + std::to_string(i) + ".BIN;1", 20 + uint32_t(i) * step, 1u << 20 });
        IsoBuilder iso(20 + uint32_t(copies) * step + 512 + 8);
        iso.PutBytes(20, std::string(1u << 20, 'm'));
        uint32_t rootLsn = 20 + uint32_t(copies) * step + 512;
        iso.PutFolder(rootLsn, records);
        fs::path file = root / "shared.iso";
        iso.Write(file, rootLsn, 8 * IsoBuilder::Sector);
        return file;
    }
};

TEST_F(HostileImageTest, FilesSharingAnExtentAreWrittenOnceAsHardLinks)
{
    auto image = DiscImage::Open(SharedExtents(100, 0)).Value();
    EXPECT_EQ(image->PlannedBytes(), 1u << 20);
    ImageCache cache(root / "cache");
    platform::CachedImage opened = cache.Open(*image);
    EXPECT_EQ(fs::hard_link_count(opened.Folder() / "F7.BIN"), 100u);
    EXPECT_EQ(torva::test::ReadText(opened.Folder() / "F99.BIN"), std::string(1u << 20, 'm'));
}

TEST_F(HostileImageTest, AnImageLargerThanTheCacheIsRefusedBeforeAnythingIsWritten)
{
    auto image = DiscImage::Open(SharedExtents(2, 0)).Value();
    ImageCache cache(root / "cache", 512u << 10);
    try {
        cache.Open(*image);
        ADD_FAILURE() << "no error";
    } catch (const ImageError& error) {
        EXPECT_EQ(error.Problem(), ImageProblem::TooLarge);
        EXPECT_EQ(error.File().filename(), "shared.iso");
        EXPECT_NE(error.Detail().find("by po rozbalení zabral 1 MiB, ale mezipaměť obrazů pojme nejvýš 1 MiB"), std::string::npos) << error.Detail();
    }
    for (const auto& item : fs::directory_iterator(root / "cache"))
        EXPECT_FALSE(item.is_directory()) << item.path();
}

TEST_F(HostileImageTest, ShapesThatWouldRunAwayAreDamaged)
{
    // A chain of folders deeper than any disc's.
    IsoBuilder deep(100);
    for (uint32_t i = 0; i < 80; ++i)
        deep.PutFolder(20 + i, { { "D", 21 + i, IsoBuilder::Sector, IsoBuilder::Folder } });
    deep.Write(root / "deep.iso", 20, IsoBuilder::Sector);
    const fs::path cases[] = {
        root / "deep.iso",
        SharedExtents(100, 1), // files overlapping one sector apart: 100 MiB from a 1 MiB image
    };
    for (const fs::path& file : cases) {
        try {
            DiscImage::Open(file).Value()->PlannedBytes();
            ADD_FAILURE() << file << ": no error";
        } catch (const ImageError& error) {
            EXPECT_EQ(error.Problem(), ImageProblem::Damaged) << error.what();
        }
    }
}

TEST_F(HostileImageTest, EachFolderExtentIsReadOnceAndWhatIsLeftOutIsNamedAsShown)
{
    // Forty folders starting one sector apart, each running to the end, each sector listing all
    // forty again; and a name no host file can have.
    constexpr uint32_t Folders = 40;
    std::vector<Record> records;
    for (uint32_t i = 0; i < Folders; ++i)
        records.push_back({ "D" + std::to_string(i), 21 + i, (Folders - i) * IsoBuilder::Sector, IsoBuilder::Folder });
    IsoBuilder iso(21 + Folders);
    for (uint32_t i = 0; i < Folders; ++i)
        iso.PutFolder(21 + i, records);
    records.push_back({ "A/B.TXT;1", 20, 5 });
    iso.PutFolder(20, records);
    iso.Write(root / "overlap.iso", 20, IsoBuilder::Sector);

    auto image = DiscImage::Open(root / "overlap.iso").Value();
    ASSERT_EQ(image->Entries().size(), 1u);
    EXPECT_EQ(image->Entries()[0].path, "D0");
    const auto& skipped = image->Skipped();
    EXPECT_EQ(skipped.size(), (Folders - 1) + 1 + Folders * Folders) << "each record of D0's sectors once, and the root's";
    auto named = [&](const std::string& path) {
        return std::find_if(skipped.begin(), skipped.end(), [&](const platform::LeftOutEntry& e) { return e.path == path; }) != skipped.end();
    };
    EXPECT_TRUE(named("D1"));
    EXPECT_TRUE(named("A/B.TXT"));
    EXPECT_TRUE(named("D0/D39"));
}

TEST_F(HostileImageTest, AFileInSeveralExtentsIsJoined)
{
    IsoBuilder iso(60);
    iso.PutBytes(30, std::string(2048, 'a'));
    iso.PutBytes(40, std::string(2048, 'b'));
    iso.PutBytes(50, std::string(100, 'c'));
    iso.PutFolder(20, { { "BIG.DAT;1", 30, 2048, IsoBuilder::MoreExtents }, { "BIG.DAT;1", 40, 2048, IsoBuilder::MoreExtents }, { "BIG.DAT;1", 50, 100 } });
    iso.Write(root / "pieces.iso", 20, IsoBuilder::Sector);

    auto image = DiscImage::Open(root / "pieces.iso").Value();
    const platform::ImageEntry* file = image->Find("BIG.DAT");
    ASSERT_TRUE(file);
    std::string joined = std::string(2048, 'a') + std::string(2048, 'b') + std::string(100, 'c');
    EXPECT_EQ(file->size, joined.size());
    EXPECT_EQ(image->Read(*file, 5000), joined);
    ASSERT_TRUE(image->Extract(*file, root / "big.dat"));
    EXPECT_EQ(torva::test::ReadText(root / "big.dat"), joined);
}
