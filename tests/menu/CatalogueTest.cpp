#include "MenuFixture.h"

#include "menu/CatalogueText.h"
#include "platform/files/Files.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/IniFile.h"

#include <fstream>
#include <iterator>
#include <tuple>

using Catalogue = MenuFixture;

// The catalogue on its own, read from the fixture's disc.
class DiscCatalogueTest : public MenuFixture {
protected:
    void TearDown() override
    {
        context.StateIni.reset();
        MenuFixture::TearDown();
    }

    DiscCatalogue& Load(const std::string& text)
    {
        WriteCatalogue(text);
        context.DiscDrive = Drive();
        context.DataDir = Drive() + "\\TORVA\\";
        context.StateIni = std::make_unique<TIniFile>("torva.ini");
        EXPECT_TRUE(catalogue.Load().Ok());
        return catalogue;
    }

    MenuContext context;
    DiscCatalogue catalogue { context };
};

// The disc's number gives its title; the edition is clamped to 1; the label is recorded under
// the disc's number, nothing for none, and a stray line break in it cuts it there.
TEST_F(Catalogue, MainSectionGivesTitleDebugModeAndLabel)
{
    struct Row {
        const char* text;
        const char* disc;
        const char* title;
        const char* label; // as recorded
        int32_t demos;
    };
    const Row rows[] = {
        { "[Main]\r\nCD=0206\r\nCDLabel=Unor\r\nDebug=1\r\nVersion=7\r\n", "0206", "Torva DVD 02-2006 - DEBUG MODE", "Unor", 0 },
        { "[Main]\nCD=1105\nVersion=-1\n", "1105", "Torva DVD 11-2005", "<none>", 0 },
        { "[Main]\r\nCD=0307\r\nCDLabel=Brezen\r\xBA\xE4\r\nDemos=1\r\n[Demo1]\r\nName=x\r\n", "0307", "Torva DVD 03-2007", "Brezen", 1 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.disc);
        WriteCatalogue(row.text);
        auto& f = Start();
        ASSERT_FALSE(f.Terminated());
        EXPECT_TRUE(boxes.errors.empty());
        EXPECT_EQ(f.Context.DiscId, row.disc);
        EXPECT_EQ(f.CDNumberText, row.disc);
        EXPECT_EQ(f.ApplicationTitle, row.title);
        EXPECT_EQ(f.WindowCaption, std::string(row.title).substr(0, 17));
        EXPECT_EQ(f.Catalogue.DebugMode, std::string(row.title).ends_with("DEBUG MODE"));
        EXPECT_EQ(f.Catalogue.Version, 1);
        EXPECT_EQ(f.Catalogue.Demos.Count(), row.demos);
        EXPECT_EQ(f.Context.DataDir, Drive() + "\\TORVA\\");
        EXPECT_EQ(TIniFile("torva.ini").ReadString("Main", row.disc, "<none>"), row.label);
    }
    // Language is rewritten at every start.
    EXPECT_EQ(TIniFile("torva.ini").ReadString("Main", "Language", ""), "1");
}

TEST_F(Catalogue, MissingCatalogueEndsWithItsMessage)
{
    auto& f = Start();
    EXPECT_TRUE(f.Terminated());
    ASSERT_EQ(boxes.errors.size(), 1u);
    EXPECT_EQ(boxes.errors[0], "Where is my TORVAXP.INI?????");
}

// A file that is no catalogue would show an empty disc; the user is told which file and why.
TEST_F(Catalogue, AFileThatIsNoCatalogueEndsWithAMessage)
{
    const std::pair<std::string, const char*> cases[] = {
        { "", "is empty" },
        { std::string("\x7f"
                      "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0>\0",
              20),
            "binary" },
        { std::string("\xFF\xFE[\0M\0a\0i\0n\0]\0\r\0\n\0", 18), "UTF-16" },
        { "garbage without a single section line\r\n", "no [section]" },
    };
    for (const auto& [text, reason] : cases) {
        boxes.errors.clear();
        WriteCatalogue(text);
        EXPECT_TRUE(Start().Terminated()) << reason;
        ASSERT_EQ(boxes.errors.size(), 1u) << reason;
        EXPECT_NE(boxes.errors[0].find("torvaxp.ini"), std::string::npos) << boxes.errors[0];
        EXPECT_NE(boxes.errors[0].find(reason), std::string::npos) << boxes.errors[0];
    }
    // Odd but legal: LF or CR line ends and an end-of-file mark.
    for (const char* text : { "[Main]\nCD=0206\nDemos=1\n[Demo1]\nName=x\n\x1a", "; old disc\r[Main]\rCD=0206\rDemos=1\r[Demo1]\rName=x\r" }) {
        boxes.errors.clear();
        WriteCatalogue(text);
        EXPECT_FALSE(Start().Terminated());
        EXPECT_TRUE(boxes.errors.empty());
        EXPECT_EQ(menu->Catalogue.Demos.Count(), 1);
    }
}

TEST_F(DiscCatalogueTest, TextTransforms)
{
    auto& f = Load(
        "[Main]\nDemos=3\nVersion=2\n"
        "[Demo1]\nName=R&D\nFirm=a & b & c & d\nDescribe2=druha & treti\nDescribe1=prvni\nDescribe0=nula\nInstallDir=rd\n"
        "[Demo2]\nName=R&&D\n"
        "[Demo3]\nName=Pa\xF8"
        "eni\x9At\xEC\n");
    ASSERT_EQ(f.Demos.Count(), 3);
    EXPECT_EQ(f.Demos[1].Name, "R&&D");
    EXPECT_EQ(f.Demos[1].Title, "R&&D");
    EXPECT_EQ(f.Demos[1].Firm, "A && B && C && D");
    EXPECT_EQ(f.Demos[1].Describe, "druha && treti");
    EXPECT_EQ(f.Demos[1].Describe4, f.Demos[1].Describe);
    EXPECT_EQ(f.Demos[1].Describe0, "nula");
    EXPECT_EQ(f.Demos[1].InstallDir, Drive() + "\\DEMOS\\rd");
    EXPECT_EQ(f.Demos[2].Name, "R&&D");
    EXPECT_EQ(f.Demos[3].Name, "PA\xD8"
                               "ENI\x8AT\xCC");
    EXPECT_EQ(f.Demos[1].CD, 1);
}

TEST_F(DiscCatalogueTest, EditionZeroReadsDescribe0Twice)
{
    auto& f = Load("[Main]\nShots=1\nVersion=0\n[Shot1]\nName=x\nDescribe0=nula\nDescribe1=jedna\n");
    EXPECT_EQ(f.Shots[1].Describe, "nula");
    EXPECT_EQ(f.Shots[1].Describe0, "nula");
    EXPECT_EQ(f.Shots[1].Describe4, "nula");
}

TEST_F(DiscCatalogueTest, DriversPackedByEdition)
{
    std::string drivers = "[Driver1]\nName=Jeden\n[Driver2]\nName=Ovlada\xE8 cz\n[Driver3]\nName=Tri\nInstallDir=tri\n";
    auto& f = Load("[Main]\nDrivers=3\nVersion=2\n" + drivers);
    ASSERT_EQ(f.Drivers.Count(), 2);
    EXPECT_EQ(f.Drivers[1].Name, "JEDEN");
    EXPECT_EQ(f.Drivers[2].Name, "TRI");
    EXPECT_EQ(f.Drivers[2].InstallDir, Drive() + "\\Drivers\\tri");
    EXPECT_EQ(f.Drivers[2].NeedsInstall, 1);

    auto& g = Load("[Main]\nDrivers=3\nVersion=1\n" + drivers);
    ASSERT_EQ(g.Drivers.Count(), 3);
    EXPECT_EQ(g.Drivers[2].Name, "OVLADA\xC8 CZ");
}

TEST_F(DiscCatalogueTest, UpdateLists)
{
    auto& f = Load(
        "[Main]\nUpdates=5\n"
        "[Updates]\n"
        "Update1=Patch 1.1,build 7,patch\\setup.exe,readme.txt,1\n"
        "Update2=Oprava;druha\n"
        "Update3=C:\\x\n"
        "Update4=a,b,c,d,ano\n");
    auto update = [&](int n) {
        const TUpdate& u = f.Updates[n];
        return std::tuple(u.Name, u.Subtitle, u.SetupName, u.ReadmeName, int(u.NoRun));
    };
    EXPECT_EQ(update(1), std::tuple("PATCH 1.1", "build 7", "patch\\setup.exe", "readme.txt", 1));
    EXPECT_EQ(update(2), std::tuple("OPRAVA", "druha", "", "", 0));
    EXPECT_EQ(update(3), std::tuple("C", "\\x", "", "", 0));
    // A fifth field that is no number leaves running enabled; a missing key gives an empty
    // update. Both are reported.
    EXPECT_EQ(update(4), std::tuple("A", "b", "c", "d", 0));
    EXPECT_EQ(update(5), std::tuple("", "", "", "", 0));
    EXPECT_EQ(f.LoadWarnings.size(), 2u);
}

TEST_F(DiscCatalogueTest, CountsBeyondCapacityAreCut)
{
    auto& f = Load("[Main]\nDemos=31\nReaders=-3\nUpdates=50\n");
    EXPECT_EQ(f.Demos.Count(), 30);
    EXPECT_EQ(f.Readers.Count(), 0);
    EXPECT_EQ(f.Updates.Count(), 50);
    EXPECT_EQ(f.LoadWarnings.size(), 2u + 50u); // two counts, fifty empty updates
}

TEST_F(DiscCatalogueTest, PerCategoryDefaultsAndFolders)
{
    auto& f = Load(
        "[Main]\nExtra=1\nShareware=1\nMovies=1\nFulls=1\nExtra2=1\n"
        "[Extra1]\nName=x\nInstallDir=EXTRA\\X\nGameName=run.exe\n"
        "[Share1]\nName=s\nInstallDir=hra\n"
        "[Movie1]\nName=m\nInstallDir=\\VIDEO\nInstallType=300\n"
        "[Full1]\nName=f\nInstallDir=FULL\\F\nInstallType=2\nFilesInArchive=12\nUnpackedSize=99\n"
        "[Extra21]\nName=e\nInstallDir=e2\nInstallType=2\nDirDetect=8\nSearchFile=game.exe\n");
    EXPECT_EQ(f.Extra[1].InstallType, InstallMethod::OwnSetupDetected);
    EXPECT_EQ(f.Extra[1].Flags, 1);
    EXPECT_EQ(f.Extra[1].GameName, "RUN.EXE");
    EXPECT_EQ(f.Extra[1].InstallDir, Drive() + "\\EXTRA\\X");
    EXPECT_EQ(f.Shareware[1].InstallDir, "hra");
    EXPECT_EQ(f.Movies[1].InstallDir, Drive() + "\\VIDEO");
    EXPECT_EQ(f.Movies[1].InstallType, 300 % 256);
    EXPECT_EQ(f.Fulls[1].InstallDir, Drive() + "\\FULL\\F");
    EXPECT_EQ(f.Fulls[1].Param, "12");
    EXPECT_EQ(f.Extra2[1].InstallDir, Drive() + "\\DEMOS\\e2");
    EXPECT_EQ(f.Extra2[1].Param, "game.exe");
}

TEST_F(DiscCatalogueTest, ParamByInstallTypeThenDirDetect)
{
    auto& f = Load(
        "[Main]\nDemos=4\n"
        "[Demo1]\nInstallType=2\nDirDetect=8\nSearchFile=a.exe\nUnpackedSize=5\n"
        "[Demo2]\nInstallType=2\n"
        "[Demo3]\nInstallType=1\nAfterInstall=after.bat\nDirDetect=6\nIniFile=game,Main,Dir\n"
        "[Demo4]\nInstallType=9\nTestName=t\n");
    EXPECT_EQ(f.Demos[1].Param, "a.exe");
    EXPECT_EQ(f.Demos[2].Param, "0");
    EXPECT_EQ(f.Demos[3].Param, "game,Main,Dir");
    EXPECT_EQ(f.Demos[4].Param, "");
}

TEST_F(DiscCatalogueTest, ReloadOverwritesInPlaceAndKeepsEntriesAboveTheCount)
{
    auto& f = Load("[Main]\nDemos=2\n[Demo1]\nName=a\n[Demo2]\nName=b\n");
    Load("[Main]\nDemos=1\n[Demo1]\nName=c\n");
    EXPECT_EQ(f.Demos.Count(), 1);
    EXPECT_EQ(f.Demos[1].Name, "C");
    EXPECT_EQ(f.Demos[2].Name, "B");
}

TEST_F(DiscCatalogueTest, LoadingWritesNothing)
{
    Load("[Main]\r\nCD=0206\r\nCDLabel=Unor\r\nFulls=1\r\n[Full1]\r\nName=f\r\nInstallType=2\r\n");
    EXPECT_EQ(catalogue.DiscLabel, "Unor");
    EXPECT_FALSE(platform::FileExists("C:\\WINDOWS\\torva.ini"));
}

// A catalogue read elsewhere (from an image) loads as the same file does from the disc; bytes
// that are no catalogue are refused with the file's message, and nothing is written through it.
TEST_F(DiscCatalogueTest, BytesAndParsedDocumentsLoadAsTheFileDoes)
{
    std::ifstream in(TORVA_SOURCE_DIR "/tools/sampledisc/disc/Torva/torvaxp.ini", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    auto& fromFile = Load(text);
    auto names = [](DiscCatalogue& catalogue) {
        std::vector<std::tuple<std::string, std::string, std::string, std::string, std::string, int>> all;
        auto items = [&](const auto& list) {
            for (int32_t n = 1; n <= list.Count(); ++n)
                all.emplace_back(list[n].Name, list[n].Firm, list[n].Describe, list[n].InstallDir, list[n].Param, int(list[n].InstallType));
        };
        items(catalogue.Demos);
        items(catalogue.Fulls);
        items(catalogue.Extra2);
        for (int32_t n = 1; n <= catalogue.Drivers.Count(); ++n)
            all.emplace_back(catalogue.Drivers[n].Name, "", catalogue.Drivers[n].Describe, catalogue.Drivers[n].InstallDir, "", 0);
        for (int32_t n = 1; n <= catalogue.Updates.Count(); ++n)
            all.emplace_back(catalogue.Updates[n].Name, catalogue.Updates[n].Subtitle, catalogue.Updates[n].SetupName, "", "", 0);
        all.emplace_back(catalogue.DiscLabel, std::to_string(catalogue.Version), "", "", "", catalogue.Movies.Count() * 100 + catalogue.Shots.Count());
        return all;
    };
    auto expected = names(fromFile);
    ASSERT_GT(expected.size(), 20u);

    MenuContext otherContext;
    otherContext.DiscDrive = Drive();
    DiscCatalogue fromBytes(otherContext);
    ASSERT_TRUE(fromBytes.LoadText(text, "image.iso/Torva/torvaxp.ini").Ok());
    EXPECT_EQ(names(fromBytes), expected);
    EXPECT_EQ(otherContext.DiscId, "1206");
    EXPECT_EQ(fromBytes.LoadWarnings, fromFile.LoadWarnings);
    EXPECT_THROW(fromBytes.Ini->WriteString("Main", "CD", "0101"), EIniFileException);

    DiscCatalogue fromDocument(otherContext);
    fromDocument.LoadDocument(std::make_shared<const platform::IniDocument>(platform::IniDocument::Parse(text)), "x");
    EXPECT_EQ(names(fromDocument), expected);

    auto refused = fromBytes.LoadText("", "image.iso/Torva/torvaxp.ini");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Error(), (platform::Problem { "image.iso/Torva/torvaxp.ini", "is empty" }));
    EXPECT_EQ(CatalogueProblemText(refused.Error()), "The catalogue image.iso/Torva/torvaxp.ini is empty.");
}
