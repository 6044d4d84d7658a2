#include "WindowFixture.h"

#include "platform/files/Files.h"
#include "platform/fonts/FontRegistry.h"
#include "platform/ini/IniFile.h"

#include <algorithm>

using MenuWindow = WindowFixture;

namespace {

struct StoredBounds {
    const char* name;
    int left, top, width, height;
    bool visible;
};

// A sample of every kind of control, with the places and visibility the window is stored with.
constexpr StoredBounds StoredControls[] = {
    { "CDNumberLabel", 148, 200, 112, 34, true },
    { "DebugLabel2", 248, 696, 63, 19, false },
    { "Animate2", 0, 445, 85, 88, true },
    { "Animate10", 0, 0, 314, 173, true },
    { "DIBContainer1", 85, 173, 638, 482, true },
    { "Image14", 0, 0, 638, 482, true },
    { "DemosLabel1", 76, 71, 127, 16, true },
    { "DemosLabel4", 76, 164, 126, 13, true },
    { "DemosLabel10", 76, 349, 127, 13, true },
    { "DibSection7", 552, 463, 50, 50, true },
    { "DIBSection10", 552, 666, 50, 50, true },
    { "IconLabel6", 538, 445, 80, 13, true },
    { "Cover3", 564, 38, 33, 17, true },
    { "Cover4", 556, 394, 49, 30, false },
    { "Up", 567, 41, 31, 13, false },
    { "PositionLabel", 80, 374, 46, 9, true },
    { "DIBImage4", 226, 64, 243, 151, true },
    { "TextLabel", 228, 279, 265, 145, true },
    { "Label2", 177, 429, 329, 18, false },
    { "RightArrow", 577, 168, 44, 72, false },
    { "WebDIBImage", 470, 227, 12, 14, false },
    { "StopDIBImage", 505, 227, 12, 14, false },
    { "Image15", 552, 457, 80, 23, true },
};

}

TEST_F(MenuWindow, ControlsStandWhereTheLayoutPutsThem)
{
    auto& f = OpenSmall();
    for (const StoredBounds& stored : StoredControls) {
        SCOPED_TRACE(stored.name);
        const platform::TControl& control = *LayoutControl<platform::TControl>(f, stored.name);
        EXPECT_EQ(control.Left(), stored.left);
        EXPECT_EQ(control.Top(), stored.top);
        EXPECT_EQ(control.Width(), stored.width);
        EXPECT_EQ(control.Height(), stored.height);
        if (std::string_view(stored.name) != "PositionLabel" && std::string_view(stored.name) != "DIBImage4") {
            EXPECT_EQ(control.Visible(), stored.visible);
        }
    }
    EXPECT_EQ(f.Icons->Icon(5)->Opacity(), 250);
    EXPECT_EQ(f.Icons->Icon(6)->Opacity(), 0);
    EXPECT_EQ(f.Icons->Caption(5)->Opacity(), 250);
    EXPECT_EQ(f.Icons->Caption(6)->Opacity(), 0);
    EXPECT_EQ(Dib(f, "DIBImage1")->IndexMain().DIBIndex(), 12);
    EXPECT_EQ(Dib(f, "LeftArrow")->IndexMain().DIBIndex(), 30);
    const auto* controls = LayoutControl<TDIBImageList>(f, "DIBImageList1");
    const auto* pictures = LayoutControl<TDIBImageList>(f, "DIBImageList2");
    EXPECT_EQ(controls->DIBImages().Count(), 31);
    EXPECT_EQ(controls->DIBImages().Items(12)->DisplayName(), "big");
    EXPECT_TRUE(controls->DIBImages().Items(12)->DIB().Masked());
    EXPECT_EQ(pictures->DIBImages().Count(), 101);
    EXPECT_EQ(pictures->Tag(), 1);
}

TEST_F(MenuWindow, CrosswiseBindingsAreKept)
{
    auto& f = OpenSmall();
    EXPECT_EQ(LayoutControl<platform::TTimer>(f, "ScrollDownTimer")->EventBinding("OnTimer"), "ScrollUpTimerTimer");
    EXPECT_EQ(LayoutControl<platform::TTimer>(f, "ScrollUpTimer")->EventBinding("OnTimer"), "ScrollDownTimerTimer");
    EXPECT_EQ(LayoutControl<TDIBTimer>(f, "DIBTimer1")->EventBinding("OnTimer"), "DIBTimer2Timer");
    EXPECT_EQ(LayoutControl<TDIBTimer>(f, "DIBTimer2")->EventBinding("OnTimer"), "DIBTimer1Timer");
    EXPECT_EQ(f.EventBinding("OnMouseWheelDown"), "FormMouseWheelUp");
    EXPECT_EQ(f.EventBinding("OnMouseWheelUp"), "FormMouseWheelDown");
    EXPECT_EQ(f.ListView->Row(1)->EventBinding("OnClick"), "DemosLabel1_Click");
    EXPECT_EQ(f.Icons->Caption(7)->EventBinding("OnClick"), "DibSection7Click");
    EXPECT_EQ(Image(f, "Image9")->EventBinding("OnClick"), "Image2Click");
    EXPECT_EQ(Dib(f, "DIBImage2")->EventBinding("OnMouseDown"), "DIBImage1MouseDown");
    EXPECT_TRUE(LayoutControl<platform::TTimer>(f, "StartTimer")->Enabled());
    const auto* setupPoll = LayoutControl<platform::TTimer>(f, "Timer1");
    EXPECT_FALSE(setupPoll->Enabled());
    EXPECT_EQ(setupPoll->Interval(), 3000u);
}

TEST_F(MenuWindow, FullWindowIsCentredShapedAndHasItsClips)
{
    auto& f = OpenSmall();
    // The headless screen is 1024 x 768.
    EXPECT_EQ(f.Left(), 104);
    EXPECT_EQ(f.Top(), 14);
    EXPECT_EQ(f.Width(), 816);
    EXPECT_EQ(f.Height(), 740);
    EXPECT_TRUE(LayoutControl<TDIBFormShaper>(f, "DIBFormShaper1")->Active());
    EXPECT_FALSE(window->Shape().empty());
    const char* clips[10] = { "AVI4", "AVI5", "AVI1", "AVI3", "AVI7", "AVI6", "AVI9", "AVI10", "AVI2", "AVI8" };
    for (int n = 1; n <= 10; ++n) {
        EXPECT_TRUE(f.Animations->Player(n)->Open()) << n;
        EXPECT_EQ(f.Animations->Player(n)->ResName(), clips[n - 1]);
        EXPECT_NE(f.Animations->Player(n)->ControlStyle() & platform::csOpaque, 0);
    }
    EXPECT_EQ(Label(f, "HelpLabel")->Font().Color(), 0x2B322F);
}

TEST_F(MenuWindow, ReducedWindowShowsOnlyTheScreen)
{
    WriteDriveC("windows/torva.ini", "[Main]\r\nEnhanced=0\r\n");
    auto& f = OpenSmall();
    EXPECT_EQ(f.Width(), 638);
    EXPECT_EQ(f.Height(), 482);
    // Centred for the full size, and not centred again.
    EXPECT_EQ(f.Left(), 104);
    EXPECT_EQ(f.Top(), 14);
    const auto* screen = LayoutControl<TDIBContainer>(f, "DIBContainer1");
    EXPECT_EQ(screen->Left(), 0);
    EXPECT_EQ(screen->Top(), 0);
    EXPECT_FALSE(LayoutControl<TDIBFormShaper>(f, "DIBFormShaper1")->Active());
    EXPECT_TRUE(window->Shape().empty());
    for (int n = 1; n <= 10; ++n)
        EXPECT_FALSE(f.Animations->Player(n)->Open()) << n;
}

TEST_F(MenuWindow, TitleDiscNumberAndDebugLabels)
{
    for (bool debug : { true, false }) {
        SCOPED_TRACE(debug ? "debug" : "plain");
        auto& f = OpenSmall(3, debug ? "Debug=1\n" : "");
        EXPECT_EQ(platform::Application().Title(), debug ? "Torva DVD 02-2006 - DEBUG MODE" : "Torva DVD 02-2006");
        EXPECT_EQ(f.Caption(), "Torva DVD 02-2006");
        EXPECT_EQ(Label(f, "CDNumberLabel")->Caption(), "0206");
        EXPECT_EQ(Label(f, "DebugLabel1")->Visible(), debug);
        EXPECT_EQ(Label(f, "DebugLabel2")->Visible(), debug);
    }
}

TEST_F(MenuWindow, PageTableAndFirstPage)
{
    auto& f = OpenSmall();
    struct Slot {
        int code;
        const char* caption;
        int base;
    };
    const Slot slots[10] = { { 1, "DEMA", 2 }, { 11, "ONLINE DEMA", 25 }, { 10, "PLN\xC1 HRA", 4 }, { 8, "E3 VIDEA", 23 },
        { 7, "E3 OBR\xC1ZKY", 23 }, { 2, "EXTRA", 6 }, { 3, "SHAREWARE", 4 }, { 5, "UPDATY", 8 },
        { 4, "OVLADA\xC8"
             "E",
            10 },
        { 20, "INSTALOV\xC1NO", 27 } };
    ASSERT_EQ(f.Model.PageCount(), 10);
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(f.Model.Page(n).Code, slots[n - 1].code);
        EXPECT_EQ(f.Model.Page(n).Caption, slots[n - 1].caption);
        EXPECT_EQ(f.Icons->Caption(n)->Caption(), slots[n - 1].caption);
        EXPECT_EQ(f.Icons->Icon(n)->Tag(), slots[n - 1].base);
        // Slot 1 is the page on screen and stays lit; the others show their unlit image.
        EXPECT_EQ(f.Icons->Icon(n)->IndexMain().DIBIndex(), slots[n - 1].base + (n == 1 ? 1 : 0));
    }
    EXPECT_EQ(f.Model.Category(), CategoryCode::Demos);
    EXPECT_EQ(f.Model.SelectedSlot(), 1);
    EXPECT_EQ(f.Model.ItemIndex(), 1);
    EXPECT_EQ(Label(f, "PositionLabel")->Caption(), "1 z 3");
}

TEST_F(MenuWindow, EveryPageOpensWithItsCategoryAndPosition)
{
    auto& f = OpenSmall(5);
    struct Expected {
        int slot;
        CategoryCode category;
        const char* position;
    };
    const Expected pages[] = { { 2, CategoryCode::Extra2, "1 z 3" }, { 3, CategoryCode::Fulls, "1 z 1" }, { 4, CategoryCode::Movies, "1 z 1" },
        { 5, CategoryCode::Shots, "1 z 1" }, { 6, CategoryCode::Extra, "1 z 1" }, { 7, CategoryCode::Shareware, "1 z 2" }, { 8, CategoryCode::Updates, "1 z 1" },
        { 9, CategoryCode::Drivers, "1 z 1" }, { 10, CategoryCode::Installed, "" }, { 1, CategoryCode::Demos, "1 z 5" } };
    for (const Expected& page : pages) {
        SCOPED_TRACE(page.slot);
        const int32_t previous = f.Model.SelectedSlot();
        f.MainButtonClick(page.slot);
        EXPECT_EQ(f.Model.Category(), page.category);
        EXPECT_EQ(f.Model.SelectedSlot(), page.slot);
        EXPECT_EQ(Label(f, "PositionLabel")->Caption(), page.position);
        // The old page's icon went dark, the new one is lit.
        EXPECT_EQ(f.Icons->Icon(page.slot)->IndexMain().DIBIndex(), f.Icons->Icon(page.slot)->Tag() + 1);
        EXPECT_EQ(f.Icons->Icon(previous)->IndexMain().DIBIndex(), f.Icons->Icon(previous)->Tag());
    }
}

TEST_F(MenuWindow, PageTextsOfSharewareUpdatesAndFilms)
{
    // Empty shareware and film pages keep the page text; an item's own description would
    // replace it.
    WriteCatalogue("[Main]\nCD=0206\nDemos=1\nUpdates=1\n[Demo1]\nName=Demo\n[Updates]\nUpdate1=Patch,x,patch\\setup.exe\n");
    auto& f = Open();
    f.MainButtonClick(7);
    EXPECT_EQ(f.Model.Category(), CategoryCode::Shareware);
    EXPECT_EQ(Label(f, "TextLabel")->Caption(), f.Model.Texts.LoadString(13));
    EXPECT_FALSE(Dib(f, "DIBImage4")->Visible());
    EXPECT_EQ(Label(f, "PositionLabel")->Caption(), "");
    f.MainButtonClick(8);
    EXPECT_EQ(Label(f, "TextLabel")->Caption(), f.Model.Texts.LoadString(61));
    f.MainButtonClick(4);
    EXPECT_EQ(Label(f, "TextLabel")->Caption(), f.Model.Texts.LoadString(13));
    EXPECT_TRUE(Label(f, "Label2")->Visible());
    EXPECT_TRUE(Image(f, "Flag_Unplayable")->Visible());
    EXPECT_TRUE(Dib(f, "DIBImage4")->Visible());
    EXPECT_EQ(Dib(f, "DIBImage4")->Opacity(), 255);
}

TEST_F(MenuWindow, PositionFollowsTheRowAndThePageOnScreenKeepsIt)
{
    auto& f = OpenSmall(15);
    Run("click DemosLabel3");
    EXPECT_EQ(Label(f, "PositionLabel")->Caption(), "3 z 15");
    f.Icons->Icon(1)->Click();
    EXPECT_EQ(f.Model.ItemIndex(), 3);
    EXPECT_EQ(Label(f, "PositionLabel")->Caption(), "3 z 15");
    // From the settings page the same icon switches back: that page has its own code.
    Image(f, "Image12")->Click();
    EXPECT_EQ(f.Model.Category(), CategoryCode::Settings);
    EXPECT_EQ(f.Model.SelectedSlot(), 1);
    f.Icons->Icon(1)->Click();
    EXPECT_EQ(f.Model.Category(), CategoryCode::Demos);
    EXPECT_EQ(f.Model.ItemIndex(), 1);
    // Slots beyond the table are ignored.
    f.MainButtonClick(11);
    f.MainButtonClick(0);
    EXPECT_EQ(f.Model.Category(), CategoryCode::Demos);
}

TEST_F(MenuWindow, HoverLightsAnIconUntilTheBackground)
{
    auto& f = OpenSmall();
    Run("move DIBSection2");
    EXPECT_EQ(f.Model.HotIcon(), 2);
    EXPECT_EQ(f.Icons->Icon(2)->IndexMain().DIBIndex(), 26);
    // A caption moves the markers but lights nothing.
    Run("move IconLabel3");
    EXPECT_EQ(f.Icons->Icon(3)->IndexMain().DIBIndex(), 4);
    Run("move Image14 10 10");
    EXPECT_EQ(f.Model.HotIcon(), 0);
    EXPECT_EQ(f.Icons->Icon(2)->IndexMain().DIBIndex(), 25);
    EXPECT_EQ(f.Icons->Icon(1)->IndexMain().DIBIndex(), 3);
}

TEST_F(MenuWindow, MarkersFollowThePointer)
{
    auto& f = OpenSmall();
    Run("move Image14 10 200");
    EXPECT_EQ(Image(f, "Image7")->Top(), 13);  // 10 / 3.5 + 10 = 12.86
    EXPECT_EQ(Image(f, "Image8")->Top(), 333); // 375 - 200 / 4.8 = 333.33
    Run("move DIBSection2 10 10");
    EXPECT_EQ(Image(f, "Image7")->Top(), 171); // x 562
    EXPECT_EQ(Image(f, "Image8")->Top(), 346); // y 137
    Run("move Image14 300 470");
    EXPECT_EQ(Image(f, "Image7")->Top(), 96);
    EXPECT_EQ(Image(f, "Image8")->Top(), 277);
    f.Icons->MoveArrows(Image(f, "Image14"), 700, 520);
    EXPECT_EQ(Image(f, "Image7")->Top(), 200);
    EXPECT_EQ(Image(f, "Image8")->Top(), 271);
}

TEST_F(MenuWindow, IconColumnScrollsToBothEndsWithTheCovers)
{
    auto& f = OpenSmall();
    Run("move Image6");
    EXPECT_TRUE(Image(f, "Down")->Visible());
    EXPECT_TRUE(LayoutControl<platform::TTimer>(f, "ScrollDownTimer")->Enabled());
    Run("wait 1000");
    EXPECT_EQ(f.Icons->Icon(10)->Top(), 326);
    EXPECT_EQ(f.Icons->Caption(10)->Top(), 715 - 340);
    EXPECT_EQ(f.Icons->Icon(1)->Top(), 60 - 340);
    EXPECT_TRUE(Image(f, "Cover4")->Visible());
    EXPECT_FALSE(Image(f, "Cover3")->Visible());
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(f.Icons->Icon(n)->Opacity(), n <= 5 ? 0 : 255);
        EXPECT_EQ(f.Icons->Caption(n)->Opacity(), f.Icons->Icon(n)->Opacity());
    }

    Run("move Image5");
    EXPECT_FALSE(LayoutControl<platform::TTimer>(f, "ScrollDownTimer")->Enabled());
    EXPECT_TRUE(LayoutControl<platform::TTimer>(f, "ScrollUpTimer")->Enabled());
    Run("wait 1000");
    EXPECT_EQ(f.Icons->Icon(1)->Top(), 60);
    EXPECT_EQ(f.Icons->Icon(10)->Top(), 666);
    EXPECT_TRUE(Image(f, "Cover3")->Visible());
    EXPECT_FALSE(Image(f, "Cover4")->Visible());
    // Icon 1 comes back into the band for its last seven steps only.
    EXPECT_EQ(f.Icons->Icon(1)->Opacity(), 210);
    EXPECT_EQ(f.Icons->Icon(5)->Opacity(), 255);
    for (int n = 6; n <= 10; ++n)
        EXPECT_EQ(f.Icons->Icon(n)->Opacity(), 0) << n;

    // The background stops a scroll.
    Run("move Image6");
    Run("wait 50");
    Run("move Image14 5 5");
    int top = f.Icons->Icon(1)->Top();
    Run("wait 200");
    EXPECT_EQ(f.Icons->Icon(1)->Top(), top);
    EXPECT_FALSE(Image(f, "Down")->Visible());
    EXPECT_FALSE(Image(f, "Up")->Visible());
}

TEST_F(MenuWindow, SettingsPageSwitchesBothSettings)
{
    auto& f = OpenSmall();
    Image(f, "Image12")->Click();
    EXPECT_EQ(f.Model.Category(), CategoryCode::Settings);
    EXPECT_EQ(f.Model.ItemIndex(), 1);
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), "STATUS: ZAPNUTO");
    EXPECT_EQ(Label(f, "TextLabel")->Caption(), "Zap\xEDn\xE1 okrajov\xFD panel a jeho animace. Vy\x9E"
                                                "aduje restart aplikace.");
    EXPECT_FALSE(Dib(f, "PlayDIBOff")->Visible());
    EXPECT_TRUE(Dib(f, "StopDIBOff")->Visible());
    EXPECT_FALSE(Image(f, "PicImage")->Visible());
    EXPECT_FALSE(Dib(f, "DIBImage4")->Visible());

    f.ActionClick(MenuAction::Stop);
    EXPECT_EQ(f.Model.Settings().enhanced, 0);
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), "STATUS: VYPNUTO");
    EXPECT_TRUE(Dib(f, "PlayDIBOff")->Visible());
    EXPECT_FALSE(Dib(f, "StopDIBOff")->Visible());
    EXPECT_EQ(State("Main", "Enhanced"), "0");
    // The window keeps its form until the next start.
    EXPECT_EQ(f.Width(), 816);

    f.ShowChange(f.Model.StepDown());
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), "STATUS: VYPNUTO");
    f.ActionClick(MenuAction::Play);
    EXPECT_EQ(f.Model.Settings().slow, 1);
    EXPECT_EQ(State("Main", "Slow"), "1");
    EXPECT_FALSE(Dib(f, "PlayDIBOff")->Visible());
    EXPECT_FALSE(Dib(f, "PlayDIBImage")->Visible());
    f.ActionClick(MenuAction::Stop);
    EXPECT_EQ(f.Model.Settings().slow, 0);
    EXPECT_EQ(State("Main", "Slow"), "0");
}

TEST_F(MenuWindow, SettingsPageOffersTheMainButtonWhenEnhancedIsOff)
{
    WriteDriveC("windows/torva.ini", "[Main]\r\nEnhanced=0\r\n");
    auto& f = OpenSmall();
    Image(f, "Image12")->Click();
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), "STATUS: VYPNUTO");
    EXPECT_TRUE(Dib(f, "PlayDIBOff")->Visible());
    EXPECT_FALSE(Dib(f, "StopDIBOff")->Visible());
    f.ActionClick(MenuAction::Play);
    EXPECT_EQ(f.Model.Settings().enhanced, 1);
    EXPECT_EQ(State("Main", "Enhanced"), "1");
}

// The keys a pad types reach every page: Tab and Shift+Tab step through the icon column round
// its ends, F2 opens the settings page, and Enter does what the main button does there.
TEST_F(MenuWindow, KeysStepThroughThePagesAndOpenTheSettings)
{
    WriteDriveC("windows/torva.ini", "[Main]\r\nEnhanced=0\r\n");
    auto& f = OpenSmall();
    struct Step {
        const char* key;
        CategoryCode category;
        int slot;
    };
    const Step steps[] = {
        { "Tab", CategoryCode::Extra2, 2 },
        { "Shift+Tab", CategoryCode::Demos, 1 },
        { "Shift+Tab", CategoryCode::Installed, 10 },
        { "Tab", CategoryCode::Demos, 1 },
        { "F2", CategoryCode::Settings, 1 },
        { "Tab", CategoryCode::Extra2, 2 },
    };
    for (const Step& step : steps) {
        Run(std::string("key ") + step.key);
        EXPECT_EQ(f.Model.Category(), step.category) << step.key;
        EXPECT_EQ(f.Model.SelectedSlot(), step.slot) << step.key;
        // The lit icon stands in the column's band.
        EXPECT_GE(f.Icons->Icon(step.slot)->Top(), 56) << step.key;
        EXPECT_LE(f.Icons->Icon(step.slot)->Top(), 330) << step.key;
    }
    Run("key F2");
    Run("key Enter");
    EXPECT_EQ(f.Model.Settings().enhanced, 1);
}

TEST_F(MenuWindow, DiscFontsAreRegisteredForTheWindowsLife)
{
    const std::filesystem::path sample = std::filesystem::path(TORVA_BINARY_DIR) / "sample-disc";
    if (!std::filesystem::exists(sample / "Torva" / "bb.jpg"))
        GTEST_SKIP() << "the sample disc is not built";
    char letter = machine->MapDrive(sample, platform::DRIVE_CDROM);
    ASSERT_NE(letter, 0);
    platform::SetFontPathResolver([](std::string_view path) -> std::optional<std::string> {
        auto host = platform::ResolveExisting(path);
        return host ? std::optional<std::string>(host->string()) : std::nullopt;
    });
    auto registered = [](const std::string& family) {
        auto families = platform::FontRegistry::Default().RegisteredFamilies();
        return std::count(families.begin(), families.end(), family);
    };
    const auto before = registered("Play") + registered("Karmilla");

    Open(std::string(1, letter) + ":\\TORVA.EXE");
    EXPECT_EQ(registered("Play") + registered("Karmilla"), before + 2);
    form.reset();
    EXPECT_EQ(registered("Play") + registered("Karmilla"), before);
    platform::SetFontPathResolver(nullptr);
}
