#include "shelf/ShelfIndex.h"
#include "shelf/ShelfIndexing.h"

#include "platform/text/Codepage.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using platform::Utf8ToCp1250;
using shelf::ShelfDisc;
using shelf::ShelfIndex;
using shelf::ShelfOptions;

namespace {

const fs::path SampleShelf = TORVA_SAMPLE_SHELF;

#define REQUIRE_SAMPLE_SHELF()                                                            \
    do {                                                                                  \
        if (!fs::exists(SampleShelf / "Torva 02-2006.iso"))                               \
            GTEST_SKIP() << "no sample shelf: neither xorriso nor genisoimage was found"; \
    } while (0)

const ShelfDisc* DiscAt(const ShelfIndex& index, const fs::path& source)
{
    auto found = std::find_if(index.Discs().begin(), index.Discs().end(), [&](const ShelfDisc& disc) { return disc.source == source; });
    return found == index.Discs().end() ? nullptr : &*found;
}

int32_t CountOf(const ShelfDisc& disc, CategoryCode category)
{
    for (const shelf::CategoryCount& count : disc.counts)
        if (count.category == category)
            return count.count;
    return 0;
}

// Copies the sample shelf's small discs into the test's own folder, where they may be changed.
fs::path CopyOfSmallDiscs()
{
    fs::path folder = torva::test::FreshTestFolder("shelf");
    for (const char* name : { "Torva 02-2006.iso", "Torva 05-2006.cue", "Torva 05-2006 (track 1).bin", "Torva 07-2006.iso", "notes.txt" })
        fs::copy_file(SampleShelf / name, folder / name);
    fs::copy(SampleShelf / "Torva 03-2007", folder / "Torva 03-2007", fs::copy_options::recursive);
    return folder;
}

// Overwrites a file's bytes with zeros, keeping its size, time and inode: a disc read again
// would now be no image.
void ZeroKeepingStamp(const fs::path& file)
{
    auto time = fs::last_write_time(file);
    uint64_t size = fs::file_size(file);
    std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
    out << std::string(size, '\0');
    out.close();
    fs::last_write_time(file, time);
}

}

// Every disc of the sample shelf: its kind, issue, label, date and counts, the cut image and
// the other disc without a catalogue with the file and what is wrong, the cue sheet's data file
// not as a disc of its own, the text file not at all.
TEST(ShelfIndexTest, TheSampleShelfListsEachDiscWithItsIssueCountsAndProblem)
{
    REQUIRE_SAMPLE_SHELF();
    fs::path folder = torva::test::FreshTestFolder("cache");
    ShelfIndex index = ShelfIndex::Build({ { SampleShelf }, folder / "index", std::nullopt, true });
    struct Row {
        const char* source;
        const char* kind;
        const char* id;
        const char* issue;
        const char* label; // UTF-8
        const char* date;
        int32_t demos;
        int32_t fulls;
        int32_t extra;
    };
    const Row rows[] = {
        { "Torva 02-2006.iso", "iso", "0206", "2/2006", "Torva 2/2006", "25. 1. 2006", 8, 2, 3 },
        { "Torva 03-2007", "folder", "0307", "3/2007", "Torva 3/2007", "", 12, 2, 3 },
        { "Torva 05-2006.cue", "cue", "0506", "5/2006", "Torva 5/2006", "26. 4. 2006", 12, 1, 3 },
        { "Torva 11-2005.iso", "iso", "1105", "11/2005", "Torva 11/2005", "27. 10. 2005", 12, 2, 0 },
        { "Torva 12-2006 (bin)/torva.cue", "cue", "1206", "12/2006", "Torva 12/2006", "", 12, 2, 3 },
        { "Torva 12-2006.iso", "iso", "1206", "12/2006", "Torva 12/2006", "", 12, 2, 3 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        const ShelfDisc* disc = DiscAt(index, SampleShelf / row.source);
        ASSERT_TRUE(disc);
        EXPECT_FALSE(disc->problem.has_value()) << disc->problem->reason;
        EXPECT_STREQ(disc->KindName(), row.kind);
        EXPECT_EQ(disc->discId, row.id);
        EXPECT_EQ(disc->Issue(), row.issue);
        EXPECT_EQ(disc->label, Utf8ToCp1250(row.label));
        EXPECT_EQ(disc->date, row.date);
        EXPECT_EQ(CountOf(*disc, CategoryCode::Demos), row.demos);
        EXPECT_EQ(CountOf(*disc, CategoryCode::Fulls), row.fulls);
        EXPECT_EQ(CountOf(*disc, CategoryCode::Extra), row.extra);
        EXPECT_EQ(CountOf(*disc, CategoryCode::Updates), 4);
        int32_t counted = 0;
        for (const auto& count : disc->counts)
            counted += count.count;
        EXPECT_EQ(counted, static_cast<int32_t>(disc->items.size()));
    }
    const ShelfDisc* cut = DiscAt(index, SampleShelf / "Torva 07-2006.iso");
    ASSERT_TRUE(cut);
    ASSERT_TRUE(cut->problem.has_value());
    EXPECT_EQ(cut->problem->kind, platform::ImageProblem::Truncated);
    EXPECT_EQ(cut->problem->file, SampleShelf / "Torva 07-2006.iso");
    EXPECT_NE(cut->problem->reason.find("ends at sector 20"), std::string::npos) << cut->problem->reason;
    const ShelfDisc* other = DiscAt(index, SampleShelf / "Patches 2006.iso");
    ASSERT_TRUE(other && other->problem);
    EXPECT_EQ(other->problem->kind, platform::ImageProblem::NoCatalogue);
    EXPECT_EQ(other->problem->file, SampleShelf / "Patches 2006.iso");
    EXPECT_EQ(other->problem->reason, "holds no Torva/torvaxp.ini");
    EXPECT_EQ(index.Discs().size(), std::size(rows) + 2);

    // Items carry their page and number, as opening the disc on them takes.
    const ShelfDisc* february = DiscAt(index, SampleShelf / "Torva 02-2006.iso");
    ASSERT_TRUE(february);
    const shelf::ShelfItem& first = february->items.front();
    EXPECT_EQ(first.category, CategoryCode::Demos);
    EXPECT_EQ(first.number, 1);
    EXPECT_EQ(first.name, Utf8ToCp1250("ŽLUŤOUČKÝ KŮŇ"));
    EXPECT_EQ(first.firm, Utf8ToCp1250("ĎÁBELSKÉ HRY"));
}

// A second build takes every disc from the cache: images whose bytes are gone but whose size,
// time and inode are kept still list as they were read. A changed image is read again, a
// removed one leaves the cache, and a damaged cache file is read afresh.
TEST(ShelfIndexTest, ASecondBuildReadsNoImageAndAChangedOneIsReadAgain)
{
    REQUIRE_SAMPLE_SHELF();
    fs::path folder = CopyOfSmallDiscs();
    fs::path cache = torva::test::FreshTestFolder("cache") / "shelf" / "index";
    // Named with a trailing slash, as a shell completes a folder's name.
    ShelfOptions options { { folder / "" }, cache, std::nullopt, true };
    size_t reported = 0;
    size_t read = 0;
    ShelfIndex first = ShelfIndex::Build(options, [&](const shelf::ShelfProgress& progress) {
        EXPECT_EQ(progress.done, ++reported);
        EXPECT_EQ(progress.total, 6u);
        read += progress.read ? 1 : 0;
    });
    ASSERT_EQ(first.Discs().size(), 4u);
    EXPECT_EQ(first.Stats().discsRead, 5u); // the four discs and the text file; the .bin goes with its sheet
    EXPECT_TRUE(first.Stats().cacheWritten);
    EXPECT_EQ(reported, 6u);
    EXPECT_EQ(read, 5u);

    for (const char* image : { "Torva 02-2006.iso", "Torva 05-2006 (track 1).bin", "Torva 07-2006.iso" })
        ZeroKeepingStamp(folder / image);
    ShelfIndex second = ShelfIndex::Build(options);
    EXPECT_EQ(second.Discs(), first.Discs());
    EXPECT_EQ(second.Stats().discsRead, 0u);
    EXPECT_EQ(second.Stats().discsCached, 5u);
    EXPECT_FALSE(second.Stats().cacheWritten);

    fs::last_write_time(folder / "Torva 02-2006.iso", fs::last_write_time(folder / "Torva 02-2006.iso") + std::chrono::seconds(1));
    ShelfIndex third = ShelfIndex::Build(options);
    EXPECT_EQ(third.Stats().discsRead, 1u);
    const ShelfDisc* changed = DiscAt(third, folder / "Torva 02-2006.iso");
    ASSERT_TRUE(changed);
    ASSERT_TRUE(changed->problem.has_value());
    EXPECT_EQ(changed->problem->kind, platform::ImageProblem::NotAnImage);

    // A disc gone from the folder goes from the cache too.
    fs::remove(folder / "Torva 07-2006.iso");
    EXPECT_TRUE(ShelfIndex::Build(options).Stats().cacheWritten);
    EXPECT_EQ(ShelfIndex::Build(options).Stats().discsCached, 4u);

    fs::resize_file(cache, fs::file_size(cache) / 2);
    ShelfIndex afresh = ShelfIndex::Build(options);
    EXPECT_EQ(afresh.Stats().discsRead, 4u);
    const ShelfDisc* sheet = DiscAt(afresh, folder / "Torva 05-2006.cue");
    ASSERT_TRUE(sheet && sheet->problem);
    EXPECT_EQ(sheet->problem->file, folder / "Torva 05-2006 (track 1).bin");
}

// An item counts as installed when the state file records its folder under its shown name in
// its disc's section; pages whose items are never installed do not count.
TEST(ShelfIndexTest, InstalledCountsComeFromEachDiscsSectionOfTheStateFile)
{
    REQUIRE_SAMPLE_SHELF();
    fs::path folder = torva::test::FreshTestFolder("state");
    torva::test::WriteText(folder / "torva.ini",
        Utf8ToCp1250("[Main]\r\nLanguage=1\r\n"
                     "[CD0206]\r\nŽLUŤOUČKÝ KŮŇ=C:\\Hry\\Kun\\\r\nŽLUŤOUČKÝ KŮŇ_=1,2,3,1\r\nTAJEMSTVÍ HRADU=C:\\Hry\\Hrad\\\r\nZAPOMENUTÁ HRA=C:\\Hry\\Pryc\\\r\n"
                     "[CD1206]\r\nOCELOVÁ LEGIE=C:\\Hry\\Legie\\\r\nRALLYE BOHEMIA=\r\n"));
    ShelfIndex index = ShelfIndex::Build({ { SampleShelf }, folder / "index", folder / "torva.ini", true });
    const std::pair<const char*, int32_t> rows[] = {
        { "Torva 02-2006.iso", 2 },
        { "Torva 12-2006.iso", 1 }, // the demo; the film of the same name is never installed
        { "Torva 05-2006.cue", 0 },
        { "Torva 07-2006.iso", 0 },
    };
    for (const auto& [source, installed] : rows) {
        const ShelfDisc* disc = DiscAt(index, SampleShelf / source);
        ASSERT_TRUE(disc) << source;
        EXPECT_EQ(disc->installed, installed) << source;
        EXPECT_EQ(std::count_if(disc->items.begin(), disc->items.end(), [](const shelf::ShelfItem& item) { return item.installed; }), installed) << source;
    }
}

// On a thread of its own the index is the one a build gives; stopped after its first disc, a
// build lists no index and leaves the cache file it found as it was.
TEST(ShelfIndexTest, IndexingOnAThreadFinishesOrStopsLeavingTheCacheAlone)
{
    REQUIRE_SAMPLE_SHELF();
    fs::path folder = CopyOfSmallDiscs();
    fs::path cache = torva::test::FreshTestFolder("cache") / "index";
    std::optional<ShelfIndex> index;
    {
        shelf::ShelfIndexing indexing({ { folder }, cache, std::nullopt, true });
        while (!indexing.Finished())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        index = indexing.Take();
    }
    ASSERT_TRUE(index);
    EXPECT_EQ(index->Discs().size(), ShelfIndex::Build({ { folder }, cache, std::nullopt, true }).Discs().size());

    const std::vector<uint8_t> before = torva::test::ReadBytes(cache);
    fs::copy_file(SampleShelf / "Torva 11-2005.iso", folder / "Torva 11-2005.iso");
    std::stop_source stop;
    ShelfIndex stopped = ShelfIndex::Build(
        { { folder }, cache, std::nullopt, true }, [&](const shelf::ShelfProgress&) { stop.request_stop(); }, stop.get_token());
    EXPECT_TRUE(stopped.Stats().stopped);
    EXPECT_LE(stopped.Stats().discsRead + stopped.Stats().discsCached, 1u);
    EXPECT_EQ(torva::test::ReadBytes(cache), before);
}
