#include "platform/image/ImageCache.h"
#include "tests/platform/image/ImageFixture.h"
#include "tests/support/TestFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <tuple>

#include <sys/stat.h>

using platform::DiscImage;
using platform::ImageError;
using platform::ImageProblem;

class DiscImageTest : public ImageFixture {
};

TEST_F(DiscImageTest, NamesComeFromJolietThenRockRidgeThenIso)
{
    REQUIRE_GENISOIMAGE();
    struct Case {
        const char* kind;
        const char* shownText; // how the long Czech name shows
        const char* isoText;   // and the ISO name beside it
    };
    const Case cases[] = {
        { "joliet", "DEMOS/Rallye/Čtěte mě prosím.txt", "__T__TE_.TXT" },
        { "rock", "DEMOS/Rallye/Čtěte mě prosím.txt", "" },
        { "plain", "DEMOS/RALLYE/__T__TE_.TXT", "__T__TE_.TXT" },
    };
    for (const Case& c : cases) {
        auto image = DiscImage::Open(MakeIso(c.kind)).Value();
        EXPECT_EQ(image->Label(), "Torva CD v2") << c.kind;
        const platform::ImageEntry* text = image->Find(c.shownText);
        ASSERT_TRUE(text) << c.kind;
        EXPECT_EQ(text->size, 200000u);
        EXPECT_EQ(text->isoName, c.isoText) << c.kind << ": the ISO name loses its \";1\"";
        EXPECT_EQ(image->Read(*text, 5), "rrrrr");
        const platform::ImageEntry* setup = image->Find("demos/rallye/setup.exe");
        ASSERT_TRUE(setup) << c.kind;
        EXPECT_EQ(setup->rockMode.has_value(), std::string(c.kind) == "rock") << c.kind;
        EXPECT_TRUE(image->Find("TORVA/TORVAXP.INI")) << c.kind;
    }
}

TEST_F(DiscImageTest, CueSheetsBinsAndNrgReadAsTheIsoTheyCameFrom)
{
    REQUIRE_GENISOIMAGE();
    std::filesystem::path iso = MakeIso("joliet");
    auto reference = DiscImage::Open(iso).Value();
    std::vector<std::filesystem::path> files { MakeNrg(iso, "cooked.nrg") };
    // A sheet written on Windows: a drive path, backslashes and another case.
    Write("windows.cue", "FILE \"D:\\Hry\\MODE1.BIN\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n");
    files.push_back(root / "windows.cue");
    for (auto mode : { discimage::RawMode::Mode1, discimage::RawMode::Mode2Form1 }) {
        std::string bin = mode == discimage::RawMode::Mode1 ? "mode1.bin" : "mode2 form1.bin";
        // As a cue sheet, as a bare .bin whose sectors tell their mode, and inside an NRG.
        files.push_back(MakeCue(iso, mode, bin));
        files.push_back(root / bin);
        files.push_back(MakeNrg(iso, bin + ".nrg", root / bin));
    }
    for (const std::filesystem::path& file : files) {
        auto image = DiscImage::Open(file).Value();
        EXPECT_EQ(image->Label(), reference->Label()) << file;
        EXPECT_EQ(image->Volume().serial, reference->Volume().serial) << file;
        ASSERT_EQ(image->Entries().size(), reference->Entries().size()) << file;
        for (size_t i = 0; i < image->Entries().size(); ++i) {
            const platform::ImageEntry& entry = image->Entries()[i];
            EXPECT_EQ(entry.path, reference->Entries()[i].path) << file;
            if (!entry.folder) {
                EXPECT_EQ(image->Read(entry, 1u << 20), reference->Read(reference->Entries()[i], 1u << 20)) << entry.path;
            }
        }
    }
}

TEST_F(DiscImageTest, RawWriterRefusalsNameTheFile)
{
    Write("odd.iso", std::string(3000, 'x'));
    const std::filesystem::path missing = root / "missing.iso", odd = root / "odd.iso", nowhere = root / "no folder" / "x.bin";
    const std::tuple<std::filesystem::path, std::filesystem::path, std::string> cases[] = {
        { missing, root / "x.bin", missing.string() + ": cannot be read" },
        { odd, root / "x.bin", odd.string() + ": not a whole number of 2048-byte sectors" },
        { odd, nowhere, nowhere.string() + ": cannot be written" },
    };
    for (const auto& [iso, bin, message] : cases) {
        auto written = discimage::WriteRawImage(iso, bin, root / "x.cue", discimage::RawMode::Mode1);
        EXPECT_EQ(written ? "accepted" : written.Error().Message(), message);
    }
}

TEST_F(DiscImageTest, BadImagesSayWhichFileAndWhat)
{
    REQUIRE_GENISOIMAGE();
    std::filesystem::path iso = MakeIso("joliet");
    std::filesystem::path cue = MakeCue(iso, discimage::RawMode::Mode1, "data.bin");
    std::string whole;
    {
        std::ifstream in(iso, std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Cut inside the largest file.
    auto reference = DiscImage::Open(iso).Value();
    const platform::ImageEntry* large = reference->Find("DEMOS/Rallye/Čtěte mě prosím.txt");
    ASSERT_TRUE(large);
    Write("cut.iso", whole.substr(0, size_t(large->lsn) * 2048 + 4096));
    Write("notes.iso", "these are notes, not a disc\n");
    Write("audio first.cue", "FILE \"data.bin\" BINARY\n TRACK 01 AUDIO\n INDEX 01 00:00:00\n TRACK 02 MODE1/2352\n INDEX 01 01:00:00\n");
    Write("lost.cue", "FILE \"lost.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:00\n");
    Write("garbage.cue", "\x01\x02 not a sheet\n");
    Write("no footer.nrg", whole);
    // A sheet's data file lies beside it or below it, and is a regular file.
    std::filesystem::create_directories(root / "sheets");
    Write("sheets/climbs.cue", "FILE \"../data.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:00\n");
    Write("climbs back.cue", "FILE \"tree\\..\\..\\data.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:00\n");
    Write("fifo.cue", "FILE \"pipe.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:00\n");
    Write("folder.cue", "FILE \"tree\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:00\n");
    ASSERT_EQ(::mkfifo((root / "pipe.bin").c_str(), 0644), 0);
    struct Case {
        std::string file;
        ImageProblem problem;
        std::string named; // the file the error names
    };
    const Case cases[] = {
        { "missing.iso", ImageProblem::Missing, "missing.iso" },
        { "notes.iso", ImageProblem::NotAnImage, "notes.iso" },
        { "audio first.cue", ImageProblem::NoDataTrack, "audio first.cue" },
        { "lost.cue", ImageProblem::UnreadableTrack, "lost.bin" },
        { "garbage.cue", ImageProblem::NotAnImage, "garbage.cue" },
        { "no footer.nrg", ImageProblem::NotAnImage, "no footer.nrg" },
        { "sheets/climbs.cue", ImageProblem::TrackOutside, "climbs.cue" },
        { "climbs back.cue", ImageProblem::TrackOutside, "climbs back.cue" },
        { "fifo.cue", ImageProblem::TrackNotAFile, "fifo.cue" },
        { "folder.cue", ImageProblem::TrackNotAFile, "folder.cue" },
    };
    for (const Case& c : cases) {
        auto image = DiscImage::Open(root / c.file);
        ASSERT_FALSE(image) << c.file << " was taken";
        EXPECT_EQ(image.Error().Problem(), c.problem) << c.file << ": " << image.Error().what();
        EXPECT_EQ(image.Error().File().filename(), c.named) << c.file;
    }
    // A volume cut inside a file still opens; reading its tree finds the file running past the end.
    auto cut = DiscImage::Open(root / "cut.iso").Value();
    try {
        cut->Entries();
        ADD_FAILURE() << "cut.iso was read whole";
    } catch (const ImageError& error) {
        EXPECT_EQ(error.Problem(), ImageProblem::Truncated) << error.what();
        EXPECT_EQ(error.File().filename(), "cut.iso");
    }
}

TEST_F(DiscImageTest, RockRidgeRelocationZisofsAndLinksUnpackAsWritten)
{
    REQUIRE_GENISOIMAGE();
    if (!Have("xorriso") || !Have("mkzftree"))
        GTEST_SKIP() << "xorriso or mkzftree is not installed";
    std::filesystem::create_directories(root / "tree/a/b/c/d/e/f/g/h/i/j");
    Write("tree/a/b/c/d/e/f/g/h/i/j/deep.txt", "deep");
    std::string text;
    for (int i = 0; text.size() < 300000; ++i)
        text += "line " + std::to_string(i) + "\n";
    Write("tree/a/text.txt", text);
    std::filesystem::create_symlink("b/c", root / "tree/a/inside");
    std::filesystem::create_symlink("../../../etc", root / "tree/a/up");
    std::filesystem::create_symlink("/etc/passwd", root / "tree/a/absolute");
    std::string tree = (root / "tree").string();
    const std::pair<const char*, std::string> makers[] = {
        { "relocated", "genisoimage -quiet -R -o '" + (root / "relocated.iso").string() + "' '" + tree + "'" },
        { "mkzftree", "mkzftree '" + tree + "' '" + (root / "z").string() + "' && genisoimage -quiet -R -z -o '" + (root / "mkzftree.iso").string() + "' '" + (root / "z").string() + "'" },
        { "xorriso", "xorriso -report_about FAILURE -outdev '" + (root / "xorriso.iso").string() + "' -zisofs level=9 -map '" + tree + "' / -set_filter_r --zisofs / -- >/dev/null 2>&1" },
    };
    for (const auto& [name, command] : makers) {
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        auto image = DiscImage::Open(root / (std::string(name) + ".iso")).Value();
        platform::ImageCache cache(root / ("cache-" + std::string(name)));
        std::filesystem::path folder = cache.Open(*image).Folder();
        EXPECT_EQ(torva::test::ReadText(folder / "a/b/c/d/e/f/g/h/i/j/deep.txt"), "deep") << name;
        EXPECT_FALSE(std::filesystem::exists(folder / "rr_moved")) << name;
        EXPECT_EQ(torva::test::ReadText(folder / "a/text.txt"), text) << name;
        EXPECT_EQ(std::filesystem::read_symlink(folder / "a/inside"), "b/c") << name;
        for (const platform::ImageEntry& entry : image->Entries()) {
            struct stat info {};
            if (entry.folder && ::stat((folder / entry.path).c_str(), &info) == 0) {
                EXPECT_EQ(info.st_mtime, entry.time) << name << ": the time of " << entry.path;
            }
        }
        for (const char* outside : { "a/up", "a/absolute" }) {
            EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder / outside))) << name << " " << outside;
            auto skipped = image->Skipped();
            EXPECT_TRUE(std::any_of(skipped.begin(), skipped.end(), [&](const platform::LeftOutEntry& e) { return e.path == outside && e.reason.find("outside the disc") != std::string::npos; }))
                << name << " " << outside;
        }
    }
}

// Looking one path up reads only the folders on it, and finds what the whole tree finds: the
// same entry with the same names, extents and Rock Ridge fields, or nothing.
TEST_F(DiscImageTest, LookingAPathUpFindsWhatTheWholeTreeFinds)
{
    REQUIRE_GENISOIMAGE();
    std::filesystem::create_directories(root / "tree/a/b/c/d/e/f/g/h/i/j");
    Write("tree/a/b/c/d/e/f/g/h/i/j/deep.txt", "deep");
    std::filesystem::create_symlink("../Torva/torvaxp.ini", root / "tree/DEMOS/catalogue");
    std::vector<std::filesystem::path> images { MakeIso("joliet"), MakeIso("rock"), MakeIso("plain") };
    images.push_back(MakeCue(images[0], discimage::RawMode::Mode1, "track.bin"));
    if (Have("xorriso")) {
        std::string command = "xorriso -report_about FAILURE -outdev '" + (root / "zisofs.iso").string() + "' -zisofs level=9 -map '" + (root / "tree").string()
            + "' / -set_filter_r --zisofs / -- >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        images.push_back(root / "zisofs.iso");
    }
    const char* paths[] = { "Torva/torvaxp.ini", "/TORVA/TORVAXP.INI", "torva", "DEMOS/Rallye/Čtěte mě prosím.txt", "DEMOS/RALLYE/__T__TE_.TXT",
        "a/b/c/d/e/f/g/h/i/j/deep.txt", "DEMOS/catalogue", "Torva/torvaxp.ini/x", "Torva/missing.ini", "nothing/here", "" };
    auto fields = [](const platform::ImageEntry& e) {
        std::vector<uint64_t> extents;
        for (const platform::Extent& extent : e.extents)
            extents.insert(extents.end(), { extent.lsn, extent.bytes });
        return std::tuple(e.path, e.isoName, e.jolietName, e.rockName, e.folder, e.size, extents, e.zisofs, e.link, e.rockMode, e.time);
    };
    size_t found = 0;
    for (const std::filesystem::path& file : images) {
        for (const char* path : paths) {
            auto whole = DiscImage::Open(file).Value();
            const platform::ImageEntry* expected = whole->Find(path);
            auto looked = DiscImage::Open(file).Value()->Lookup(path);
            ASSERT_EQ(looked.has_value(), expected != nullptr) << file << " " << path;
            if (expected) {
                EXPECT_EQ(fields(*looked), fields(*expected)) << file << " " << path;
                ++found;
            }
        }
    }
    EXPECT_GE(found, images.size() * 4);
}

TEST_F(DiscImageTest, ABrokenZisofsBlockPointerIsDamaged)
{
    if (!Have("xorriso"))
        GTEST_SKIP() << "xorriso is not installed";
    Write("tree/Torva/big.txt", std::string(150000, 'z'));
    std::string command = "xorriso -report_about FAILURE -outdev '" + (root / "z.iso").string() + "' -zisofs level=9 -map '" + (root / "tree").string() + "' / -set_filter_r --zisofs / -- >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string bytes = torva::test::ReadText(root / "z.iso");
    // The file's header: magic, size, header size, block size; its first block pointer follows.
    size_t header = bytes.find(std::string("\x37\xE4\x53\x96\xC9\xDB\xD6\x07", 8) + std::string("\xF0\x49\x02\x00", 4));
    ASSERT_NE(header, std::string::npos);
    bytes.replace(header + 16, 4, "\xFF\xFF\xFF\x7F");
    Write("broken.iso", bytes);
    auto image = DiscImage::Open(root / "broken.iso").Value();
    const platform::ImageEntry* big = image->Find("Torva/big.txt");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->size, 150000u);
    try {
        image->Extract(*big, root / "big.txt");
        ADD_FAILURE() << "no error";
    } catch (const ImageError& error) {
        EXPECT_EQ(error.Problem(), ImageProblem::Damaged) << error.what();
        EXPECT_NE(error.Detail().find("/Torva/big.txt: a zisofs block pointer"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(root / "big.txt"));
}
