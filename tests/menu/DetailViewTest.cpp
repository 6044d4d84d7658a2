#include "BrowseFixture.h"

#include "platform/text/Codepage.h"
#include "tests/support/RowNames.h"

namespace {

constexpr uint32_t Red = 0xFFFF0000;
constexpr uint32_t Green = 0xFF00FF00;
constexpr uint32_t Blue = 0xFF0000FF;

const char* const OneDemo = "[Main]\nCD=0206\nDemos=1\n[Demo1]\nName=A\nPicture=NUL\n";

std::string Cp(const char* utf8)
{
    return platform::Utf8ToCp1250(utf8);
}

class DetailViewTest : public BrowseFixture {
protected:
    // The colour of the top-left pixel of the image the small picture shows.
    uint32_t SmallPictureColour()
    {
        int index = Dib(*form, "DIBImage4")->IndexMain().DIBIndex();
        TDIBImagesItem* item = LayoutControl<TDIBImageList>(*form, "DIBImageList2")->DIBImages().Items(index);
        if (!item)
            return 0;
        return item->DIB().Pixels(0, 0) | 0xFF000000;
    }
};

struct FlagCase {
    int32_t flags;
    const char* shown; // P playable, U unplayable, C Czech, N network, 3 3D
};

class DetailFlags : public DetailViewTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(DetailFlags, OnTheDemosPage)
{
    auto& f = Open("[Main]\nCD=0206\nDemos=1\n[Demo1]\nName=HRA\nPicture=NUL\nFlags=" + std::to_string(GetParam().flags) + "\n");
    std::string shown;
    for (auto [flag, letter] : { std::pair { Image(f, "Flag_Playable"), 'P' }, { Image(f, "Flag_Unplayable"), 'U' }, { Image(f, "Flag_CZ"), 'C' }, { Image(f, "Flag_Net"), 'N' }, { Image(f, "Flag_3D"), '3' } })
        shown += flag->Visible() ? std::string(1, letter) : "";
    EXPECT_EQ(shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Table, DetailFlags,
    ::testing::Values(FlagCase { 0, "P" }, FlagCase { 1, "P3" }, FlagCase { 2, "P3" }, FlagCase { 3, "PC" },
        FlagCase { 4, "U" }, FlagCase { 5, "P" }, FlagCase { 10, "PN" }, FlagCase { 11, "PN3" },
        FlagCase { 12, "PN3" }, FlagCase { 13, "PCN" }, FlagCase { 14, "P" }, FlagCase { -1, "P" }),
    RowNumber());

TEST_F(DetailViewTest, CacheCounterWrapsAfter99WithoutTouchingTheViewersImage)
{
    auto& f = Open(OneDemo);
    for (int n = 1; n <= 101; ++n)
        WriteSmallBitmap("P" + std::to_string(n), n == 100 ? Red : Green);
    LayoutControl<TDIBImageList>(f, "DIBImageList2")->DIBImages().Items(100)->DIB().SetSize(3, 3);
    for (int n = 1; n <= 98; ++n)
        f.Detail->LoadSmallPicture("P" + std::to_string(n));
    EXPECT_EQ(f.Model.PictureCount(), 98);
    f.Detail->LoadSmallPicture("P99");
    EXPECT_EQ(f.Model.PictureCount(), 1);
    EXPECT_EQ(Dib(f, "DIBImage4")->IndexMain().DIBIndex(), 99);
    f.Detail->LoadSmallPicture("P100");
    EXPECT_EQ(Dib(f, "DIBImage4")->IndexMain().DIBIndex(), 2);
    EXPECT_EQ(SmallPictureColour(), Red);
    EXPECT_EQ(f.Model.PictureCount(), 2);
    EXPECT_EQ(LayoutControl<TDIBImageList>(f, "DIBImageList2")->DIBImages().Items(100)->DIB().Width(), 3);
    // Entry 1 survives the wrap and is found again.
    f.Detail->LoadSmallPicture("P1");
    EXPECT_EQ(Dib(f, "DIBImage4")->IndexMain().DIBIndex(), 1);
    EXPECT_EQ(f.Model.PictureCount(), 2);
}

TEST_F(DetailViewTest, MissingSmallBitmapRaisesAndKeepsThePreviousPicture)
{
    WriteSmallBitmap("PLAIN", Blue);
    auto& f = Open("[Main]\nCD=0206\nDemos=1\n[Demo1]\nName=A\nPicture=PLAIN\n");
    ASSERT_EQ(Dib(f, "DIBImage4")->IndexMain().DIBIndex(), 1);
    EXPECT_ANY_THROW(f.Detail->LoadSmallPicture("GONE"));
    EXPECT_EQ(f.Model.PictureCount(), 2);
    EXPECT_EQ(Dib(f, "DIBImage4")->IndexMain().DIBIndex(), 1);
    EXPECT_EQ(f.Model.CachedPicture("GONE"), 0);
}

TEST_F(DetailViewTest, DemoTitleFirmDescriptionAndActions)
{
    auto& f = Open("[Main]\nCD=0206\nVersion=2\nDemos=2\n"
                   "[Demo1]\nName=kratke\nFullName=Dlouhy nazev\nFirm=firma\nDescribe2=popis\nPicture=NUL\n"
                   "Readmename=ctime.txt\nWeb=www.example.cz\nGamename=hra.exe\nInstallType=1\n"
                   "[Demo2]\nName=jen jmeno\nPicture=NUL\n");
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), "DLOUHY NAZEV");
    EXPECT_EQ(Label(f, "FirmLabel")->Caption(), "FIRMA");
    EXPECT_EQ(Label(f, "TextLabel")->Caption(), "popis");
    // Not installed: the readme waits for the installation; the run button installs.
    EXPECT_FALSE(Dib(f, "ReadmeDIBOff")->Visible());
    EXPECT_TRUE(Dib(f, "WebDibOff")->Visible());
    EXPECT_TRUE(Dib(f, "PlayDIBOff")->Visible());
    EXPECT_FALSE(Dib(f, "StopDIBOff")->Visible());
    Key(platform::VK_DOWN);
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), "JEN JMENO");
    EXPECT_FALSE(Dib(f, "WebDibOff")->Visible());
    EXPECT_FALSE(Dib(f, "PlayDIBOff")->Visible());
}

TEST_F(DetailViewTest, InstalledDemoWhoseGameWentIsCheckedAgain)
{
    WriteDriveC("Hry/Hra/hra.exe", "game");
    auto& f = Open("[Main]\nCD=0206\nDemos=1\n[Demo1]\nName=HRA\nPicture=NUL\nGamename=hra.exe\nInstallType=1\n");
    f.Model.Catalogue.Demos[1].GameDir = "C:\\Hry\\Hra";
    f.Model.Catalogue.Demos[1].Installed = 1;
    f.Model.Catalogue.Demos[1].CanRun = 1;
    f.Model.Catalogue.Demos[1].NeedsInstall = 0;
    f.ShowChange(f.Model.FollowSelection());
    EXPECT_TRUE(Dib(f, "StopDIBOff")->Visible());
    EXPECT_EQ(RowColour(1), 0x000000);
    std::filesystem::remove(root / "prefix" / "drive_c" / "Hry" / "Hra" / "hra.exe");
    f.ShowChange(f.Model.FollowSelection());
    EXPECT_EQ(f.Model.Catalogue.Demos[1].Installed, 0);
    EXPECT_EQ(f.Model.Catalogue.Demos[1].NeedsInstall, 1);
    EXPECT_FALSE(Dib(f, "StopDIBOff")->Visible());
}

TEST_F(DetailViewTest, OtherCategories)
{
    auto& f = Open("[Main]\nCD=0206\nDemos=1\nExtra=2\nReaders=2\nUpdates=1\n[Demo1]\nName=A\nPicture=NUL\n"
                   "[Extra1]\nName=nastroj\nInstallType=0\nInstallDir=Extra\\Nastroj\nGameName=run.exe\n"
                   "[Extra2]\nName=druhy\nInstallType=3\n"
                   "[Reader1]\nName=clanek\nReadmename=clanek.txt\nInstallDir=Clanek\n"
                   "[Reader2]\nName=program\nReadmename=r.txt\nGamename=p.exe\nInstallType=1\n"
                   "[Updates]\nUpdate1=PATCH,,setup.exe,readme.txt,0\n");
    f.MainButtonClick(6);
    ASSERT_EQ(f.Model.Category(), CategoryCode::Extra);
    EXPECT_EQ(f.Model.Catalogue.Extra[1].CanRun, 1);
    EXPECT_EQ(f.Model.Catalogue.Extra[1].GameDir, f.Model.Catalogue.Extra[1].InstallDir);
    EXPECT_TRUE(Dib(f, "PlayDIBOff")->Visible());
    EXPECT_FALSE(Dib(f, "StopDIBOff")->Visible());
    EXPECT_FALSE(Dib(f, "DIBImage4")->Visible());
    Key(platform::VK_DOWN);
    EXPECT_TRUE(Dib(f, "PlayDIBOff")->Visible());
    EXPECT_EQ(f.Model.Catalogue.Extra[2].CanRun, 0);

    // A contribution that is only a text: its readme, from its disc folder, and nothing else.
    f.Model.Catalogue.Readers[1].NeedsInstall = 1;
    f.Model.Select({ CategoryCode::Readers, 1 });
    f.ProcessPage();
    EXPECT_EQ(f.Model.Catalogue.Readers[1].GameDir, f.Model.Catalogue.Readers[1].InstallDir);
    EXPECT_TRUE(Dib(f, "ReadmeDIBOff")->Visible());
    EXPECT_FALSE(Dib(f, "PlayDIBOff")->Visible());
    // A program still to install: neither its readme nor a run button yet.
    ASSERT_EQ(f.Model.Catalogue.Readers[2].NeedsInstall, 1);
    f.Model.Select({ CategoryCode::Readers, 2 });
    f.ProcessPage();
    EXPECT_FALSE(Dib(f, "ReadmeDIBOff")->Visible());
    EXPECT_FALSE(Dib(f, "PlayDIBOff")->Visible());
    EXPECT_FALSE(Dib(f, "StopDIBOff")->Visible());
    EXPECT_EQ(f.Model.Catalogue.Readers[2].GameDir, "");

    f.MainButtonClick(8);
    ASSERT_EQ(f.Model.Category(), CategoryCode::Updates);
    ASSERT_EQ(f.Model.Catalogue.Updates.Count(), 1);
    f.Model.Catalogue.Updates[1].Subtitle = "";
    f.ProcessPage();
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), f.Model.Catalogue.Updates[1].Name + " ");
    f.Model.Catalogue.Updates[1].Subtitle = "1.1";
    f.ProcessPage();
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), f.Model.Catalogue.Updates[1].Name + " 1.1");
}

struct HoverCase {
    int slot; // 0: the settings page
    uint8_t needsInstall;
    uint8_t canRun;
    const char* play;
    const char* stop;
};

class HoverTexts : public DetailViewTest, public ::testing::WithParamInterface<HoverCase> {};

TEST_P(HoverTexts, OfTheRunAndUninstallButtons)
{
    const HoverCase& c = GetParam();
    auto& f = Open("[Main]\nCD=0206\nDemos=1\nExtra=1\nDrivers=1\nMovies=1\n[Demo1]\nName=A\nPicture=NUL\n"
                   "[Extra1]\nName=E\nInstallType=1\nPicture=NUL\n[Driver1]\nName=D\n[Movie1]\nName=M\nPicture=NUL\n");
    if (c.slot == 0)
        Image(f, "Image12")->Click();
    else
        f.MainButtonClick(c.slot);
    if (TDemos* item = f.Model.SelectedItem()) {
        item->NeedsInstall = c.needsInstall;
        item->CanRun = c.canRun;
    }
    Label(f, "HelpLabel")->SetCaption("before");
    f.Detail->PlayHover();
    EXPECT_EQ(Label(f, "HelpLabel")->Caption(), Cp(c.play));
    EXPECT_TRUE(Dib(f, "PlayDIBImage")->Visible());
    f.Detail->StopHover();
    EXPECT_EQ(Label(f, "HelpLabel")->Caption(), Cp(c.stop));
    EXPECT_TRUE(Dib(f, "StopDIBImage")->Visible());
}

INSTANTIATE_TEST_SUITE_P(Table, HoverTexts,
    ::testing::Values(HoverCase { 1, 1, 0, "INSTALOVAT", "ODINSTALOVAT" }, HoverCase { 1, 0, 1, "SPUSTIT", "ODINSTALOVAT" },
        HoverCase { 6, 0, 0, "INSTALOVAT", "ODINSTALOVAT" }, HoverCase { 6, 1, 1, "SPUSTIT", "ODINSTALOVAT" },
        HoverCase { 9, 0, 1, "INSTALOVAT", "ODINSTALOVAT" }, HoverCase { 4, 0, 0, "SPUSTIT", "ODINSTALOVAT" },
        HoverCase { 0, 0, 0, "ZAPNOUT", "VYPNOUT" }),
    // Named by what differs, so the test's name is the same in every run.
    [](const ::testing::TestParamInfo<HoverCase>& info) {
        const HoverCase& c = info.param;
        return "Slot" + std::to_string(c.slot) + "Install" + std::to_string(c.needsInstall) + "Run" + std::to_string(c.canRun);
    });

TEST_F(DetailViewTest, QuitButtonEndsTheApplication)
{
    auto& f = Open(OneDemo);
    EXPECT_FALSE(loop.Terminated());
    Image(f, "Image2")->Click();
    EXPECT_TRUE(loop.Terminated());
}

}

// A lit image left standing over an action the item does not offer takes no click: a demo
// without a game is not installed through a stale run button.
TEST_F(DetailViewTest, ActionsTheItemDoesNotOfferTakeNoClick)
{
    auto& f = Open(OneDemo);
    ASSERT_FALSE(Dib(f, "PlayDIBOff")->Visible());
    Dib(f, "PlayDIBImage")->Show();
    f.ActionClick(MenuAction::Play);
    EXPECT_EQ(f.Model.Installer().InstallCategory(), CategoryCode::None);
    // Rebuilding the view puts the lit image out.
    f.ProcessPage();
    EXPECT_FALSE(Dib(f, "PlayDIBImage")->Visible());
}
