#include "tests/platform/image/ImageFixture.h"

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
        auto image = DiscImage::Open(MakeIso(c.kind));
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
    auto reference = DiscImage::Open(iso);
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
        auto image = DiscImage::Open(file);
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
    auto reference = DiscImage::Open(iso);
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
        { "cut.iso", ImageProblem::Truncated, "cut.iso" },
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
        try {
            auto image = DiscImage::Open(root / c.file);
            image->Entries();
            ADD_FAILURE() << c.file << " was taken";
        } catch (const ImageError& error) {
            EXPECT_EQ(error.Problem(), c.problem) << c.file << ": " << error.what();
            EXPECT_EQ(error.File().filename(), c.named) << c.file;
        }
    }
}
