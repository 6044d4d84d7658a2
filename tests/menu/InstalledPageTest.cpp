#include "MenuFixture.h"

#include "menu/InstalledPageModel.h"
#include "platform/ini/IniFile.h"

namespace {

// The installed page's entries on their own, for disc 0206.
class InstalledPage : public MenuFixture {
protected:
    void SetUp() override
    {
        MenuFixture::SetUp();
        context.DiscId = "0206";
        context.StateIni = std::make_unique<TIniFile>("torva.ini");
    }

    void TearDown() override
    {
        context.StateIni.reset();
        MenuFixture::TearDown();
    }

    void Fill()
    {
        InstalledPageModel(context).Fill(list);
        count = list.Count();
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int32_t n = 1; n <= count; ++n)
            names.push_back(list[n].Name);
        return names;
    }

    MenuContext context;
    BoundedList<TDemos, 50> list;
    int32_t count = 0;
};

TEST_F(InstalledPage, ListsEveryDiscAlphabeticallyAndDropsWhatHasGone)
{
    WriteDriveC("Hry/Alfa/alfa.exe", "x");
    WriteDriveC("Hry/Beta/beta.exe", "x");
    WriteDriveC("Hry/Gama/full.exe", "x");
    WriteDriveC("Hry/Old/old.exe", "x");
    WriteRecords("CD0206", "BETA", "C:\\Hry\\Beta", "beta.exe,Beta,DG,", "C:\\Hry\\Beta\\uninst.exe");
    WriteRecords("CD1299", "ALFA", "C:\\Hry\\Alfa", "alfa.exe -w,Alfa,FGa.cfg,DG,12");
    WriteRecords("CD0103", "GAMA", "C:\\Hry\\Gama", "demo.exe:Demo;full.exe:Plna,,,13");
    WriteRecords("CD0703", "GONE", "C:\\Hry\\Gone", "gone.exe,,,");
    WriteRecords("CD0703", "ALFA", "C:\\Hry\\Alfa", "alfa.exe,,,");
    WriteRecords("CD0703", "EMPTY", "C:\\Hry\\Empty", "");
    WriteRecords("CDXMAS", "SPECIAL", "C:\\Hry\\Old", "old.exe,,,");
    WriteRecords("CD9999", "ODD", "C:\\Hry\\Old", "old.exe,,,x");
    TIniFile("torva.ini").WriteString("Main", "9999", "Zvl\xE1\x9At\xED vyd\xE1n\xED");

    Fill();
    EXPECT_EQ(Names(), (std::vector<std::string> { "ALFA", "ALFA", "BETA", "GAMA", "ODD" }));

    const TDemos& older = list[1];
    const TDemos& sameName = list[2];
    // Disc 12-99 recorded disc number 12: its own disc is needed, and "-2" names the disc.
    EXPECT_EQ(older.TechInfo, "Torva 12-99-2");
    EXPECT_EQ(older.CanRun, 0);
    EXPECT_EQ(older.GameName, "alfa.exe -w");
    EXPECT_EQ(older.Uninstall, "FGa.cfg,DG") << "instructions with commas survive the record";
    EXPECT_EQ(older.InstallType, InstallMethod::MenuUnpacked);
    EXPECT_EQ(sameName.TechInfo, "Torva 07-03");
    const TDemos& beta = list[3];
    EXPECT_EQ(beta.TechInfo, "Torva 02-06");
    EXPECT_EQ(beta.CanRun, 1);
    EXPECT_EQ(beta.InstallType, InstallMethod::OwnSetupPolled);
    EXPECT_EQ(beta.UnInstallName, "C:\\Hry\\Beta\\uninst.exe");
    EXPECT_EQ(beta.Installed, 1);
    EXPECT_EQ(beta.NeedsInstall, 0);
    // A version list counts as present when any of its versions is; disc number 13 gives -3.
    EXPECT_EQ(list[4].TechInfo, "Torva 01-03-3");
    // Not a month: the label the disc recorded; a disc number that is no number is none.
    EXPECT_EQ(list[5].TechInfo, "Zvl\xE1\x9At\xED vyd\xE1n\xED");
    EXPECT_EQ(list[6].Name, "");

    EXPECT_EQ(State("CD0703", "GONE"), "<none>");
    EXPECT_EQ(State("CD0703", "GONE_"), "<none>");
    EXPECT_EQ(State("CD0703", "EMPTY"), "C:\\Hry\\Empty") << "an entry without record is skipped, not removed";
}

TEST_F(InstalledPage, DiscNumberTwelveRunsFromItsOwnDisc)
{
    WriteDriveC("Hry/Alfa/alfa.exe", "x");
    WriteRecords("CD0206", "ALFA", "C:\\Hry\\Alfa", "alfa.exe,,,12");
    Fill();
    ASSERT_EQ(count, 1);
    EXPECT_EQ(list[1].CanRun, 1);
    EXPECT_EQ(list[1].TechInfo, "Torva 02-06-2");
}

TEST_F(InstalledPage, OldestDiscTakesItsUninstallerFromTheRegistry)
{
    WriteDriveC("Hry/Alfa/alfa.exe", "x");
    RegisterUninstall("Alfa", "C:\\Hry\\Alfa\\unwise.exe");
    WriteRecords("CD0198", "ALFA", "C:\\Hry\\Alfa", "alfa.exe,Alfa,,");
    WriteRecords("CD0298", "ALFA", "C:\\Hry\\Alfa", "alfa.exe,Alfa,,");
    Fill();
    ASSERT_EQ(count, 2);
    EXPECT_EQ(list[1].UnInstallName, "C:\\Hry\\Alfa\\unwise.exe");
    EXPECT_EQ(list[1].InstallType, InstallMethod::OwnSetupPolled);
    EXPECT_EQ(list[2].UnInstallName, "");
    EXPECT_EQ(list[2].InstallType, InstallMethod::MenuUnpacked);
}

TEST_F(InstalledPage, HoldsAtMostFortyEightAndForgetsTheRest)
{
    for (int i = 0; i < 60; ++i) {
        std::string name = "HRA" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        bool present = i >= 5;
        if (present)
            WriteDriveC("Hry/" + name + "/hra.exe", "x");
        WriteRecords("CD0206", name, "C:\\Hry\\" + name, "hra.exe,,,");
    }
    Fill();
    ASSERT_EQ(count, 48);
    EXPECT_EQ(list[1].Name, "HRA05");
    EXPECT_EQ(list[48].Name, "HRA52");
    EXPECT_EQ(list[49].Name, "");

    // A second build of the page with fewer entries clears what the first one left.
    TIniFile state("torva.ini");
    state.EraseSection("CD0206");
    Fill();
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list[1].Name, "");
}

}

// A hand-edited state file may repeat a disc's section or a record; the game shows once.
TEST_F(InstalledPage, RepeatedSectionsAndRecordsShowOnce)
{
    WriteDriveC("Hry/Alfa/alfa.exe", "x");
    WriteDriveC("windows/torva.ini", "[CD0206]\r\nALFA=C:\\Hry\\Alfa\r\nALFA_=alfa.exe,,,\r\nalfa=C:\\Jinde\r\n"
                                     "[cd0206]\r\nALFA=C:\\Hry\\Alfa\r\n");
    Fill();
    EXPECT_EQ(Names(), (std::vector<std::string> { "ALFA" }));
}
