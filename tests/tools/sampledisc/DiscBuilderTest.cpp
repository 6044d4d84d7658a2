// The disc builder on small trees of its own: what it makes from a catalogue, and what it
// refuses to overwrite.

#include "tools/sampledisc/DiscBuilder.h"

#include "platform/ini/IniDocument.h"

#include "platform/picture/Picture.h"
#include "tests/support/ExistingPaths.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace sampledisc;
using torva::test::ReadText;

namespace {

void Write(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class DiscBuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("torva-discbuilder-" + torva::test::CaseName());
        fs::remove_all(root);
        // Any file does as a font here: the builder only copies it.
        Write(root / "fonts" / "regular.ttf", "regular");
        Write(root / "fonts" / "bold.ttf", "bold");
        sources = { root / "tree", root / "counts.txt", root / "fonts" / "regular.ttf", root / "fonts" / "bold.ttf", {} };
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root;
    DiscSources sources;
};

}

TEST(PictureCounts, ReadsBaseNamesAndCounts)
{
    auto counts = ReadPictureCounts("# comment\nrallye 4\n\n  legie   12  # the long one\nnone 0\n");
    EXPECT_EQ(counts.size(), 3u);
    EXPECT_EQ(counts["rallye"], 4);
    EXPECT_EQ(counts["legie"], 12);
    EXPECT_EQ(counts["none"], 0);
}

TEST(PictureCounts, RefusesMalformedLines)
{
    for (const char* bad : { "rallye\n", "rallye four\n", "rallye -1\n", "rallye 100\n", "rallye 2 3\n" })
        EXPECT_THROW(ReadPictureCounts(bad), DiscError) << bad;
}

TEST_F(DiscBuilderTest, MakesFoldersReadmesPicturesAndFontsFromTheCatalogue)
{
    // "Pařeniště" in code page 1250.
    Write(sources.discTree / "Torva" / "torvaxp.ini",
        "[Main]\r\nDemos=2\r\nShareware=1\r\n"
        "[Demo1]\r\nName=Pa\xF8"
        "eni\x9At\xEC\r\nFirm=Zahrada\r\nDescribe1=Rajcata a okurky.\r\nInstallDir=PARENIST\r\nReadmename=README.TXT\r\nPicture=par\r\n"
        "[Demo2]\r\nName=Bez obrazku\r\nPicture=NUL\r\nInstallDir=BEZ\r\n"
        "[Share1]\r\nName=Nastroj\r\nInstallDir=NASTROJ\r\nReadmeName=CTI.TXT\r\n");
    Write(sources.discTree / "Updates" / "README.TXT", "updates\r\n");
    Write(sources.pictureCounts, "par 2\n");
    fs::path out = root / "out";
    BuildDisc(sources, out);

    // The series' pictures and no more, its small picture carrying its number; NUL makes none.
    EXPECT_EQ(torva::test::ExistingPaths(out, { "TORVA.EXE", "Torva/par01.jpg", "Torva/par02.jpg", "Torva/par03.jpg", "Torva/Small/par01.bmp", "Torva/Small/par.bmp", "Torva/Small/NUL.bmp", "Shareware/NASTROJ/CTI.TXT" }),
        (std::vector<std::string> { "TORVA.EXE", "Torva/par01.jpg", "Torva/par02.jpg", "Torva/Small/par01.bmp", "Shareware/NASTROJ/CTI.TXT" }));
    EXPECT_EQ(ReadText(out / "Torva" / "bb.jpg"), "regular");
    EXPECT_EQ(ReadText(out / "Torva" / "bc.jpg"), "bold");
    EXPECT_EQ(ReadText(out / "Updates" / "README.TXT"), "updates\r\n") << "the tree is copied as it is";
    EXPECT_EQ(platform::ReadPictureFile(out / "Torva" / "par02.jpg").width, 638);
    EXPECT_TRUE(fs::is_directory(out / "DEMOS" / "BEZ"));

    std::string readme = ReadText(out / "DEMOS" / "PARENIST" / "README.TXT");
    EXPECT_EQ(readme.rfind("Pa\xF8"
                           "eni\x9At\xEC\r\n",
                  0),
        0u)
        << "CP1250 title first, Windows line ends";
    EXPECT_NE(readme.find("Rajcata a okurky."), std::string::npos);
}

TEST_F(DiscBuilderTest, ReplacesAnEarlierDiscButNoOtherFolder)
{
    Write(sources.discTree / "Torva" / "torvaxp.ini", "[Main]\r\n");
    Write(sources.pictureCounts, "");
    fs::path out = root / "out";
    Write(out / "TORVA.EXE", "old disc");
    Write(out / "stale.txt", "left from before");
    BuildDisc(sources, out);
    EXPECT_FALSE(fs::exists(out / "stale.txt"));

    fs::path precious = root / "precious";
    Write(precious / "thesis.txt", "years of work");
    EXPECT_THROW(BuildDisc(sources, precious), DiscError);
    EXPECT_EQ(ReadText(precious / "thesis.txt"), "years of work");
}

TEST_F(DiscBuilderTest, ACountedSectionThatIsMissingIsAnError)
{
    Write(sources.discTree / "Torva" / "torvaxp.ini", "[Main]\r\nDemos=1\r\n");
    Write(sources.pictureCounts, "");
    EXPECT_THROW(BuildDisc(sources, root / "out"), DiscError);
}

TEST_F(DiscBuilderTest, MoreCatalogueIsLaidOverTheDiscsOwn)
{
    Write(sources.discTree / "Torva" / "torvaxp.ini", "[Main]\nExtra2=1\nCD=1206\n[Extra21]\nName=Prvni\nInstallDir=PRVNI\n");
    Write(sources.pictureCounts, "");
    sources.moreCatalogue = root / "more.ini";
    Write(sources.moreCatalogue, "[Main]\r\nExtra2=2\r\n[Extra22]\r\nName=Druha\r\nInstallDir=DRUHA\r\nPicture=druha\r\n");
    fs::path out = root / "out";
    BuildDisc(sources, out);
    auto catalogue = platform::IniDocument::Parse(ReadText(out / "Torva" / "torvaxp.ini"));
    EXPECT_EQ(catalogue.Value("Main", "Extra2"), "2");
    EXPECT_EQ(catalogue.Value("Main", "CD"), "1206");
    EXPECT_EQ(catalogue.Value("Extra21", "Name"), "Prvni");
    EXPECT_EQ(catalogue.Value("Extra22", "InstallDir"), "DRUHA");
    EXPECT_TRUE(fs::is_directory(out / "DEMOS" / "DRUHA")) << "the added items are built like the others";
    EXPECT_TRUE(fs::exists(out / "Torva" / "Small" / "druha.bmp"));
    EXPECT_EQ(ReadText(sources.discTree / "Torva" / "torvaxp.ini").find("Druha"), std::string::npos) << "the source stays as it was";
}
