#include "MenuFixture.h"

#include <functional>

namespace {

class MenuStateTest : public MenuFixture {
protected:
    // Demos named by `names`, on a started menu whose Demos page is open.
    MenuState& StartWithDemos(const std::vector<std::string>& names)
    {
        std::string catalogue = "[Main]\nCD=0206\nDemos=" + std::to_string(names.size()) + "\n";
        for (size_t n = 0; n < names.size(); ++n)
            catalogue += "[Demo" + std::to_string(n + 1) + "]\nName=" + names[n] + "\n";
        WriteCatalogue(catalogue);
        MenuState& m = Start();
        m.SelectPage(CategoryCode::Demos);
        return m;
    }

    std::pair<int32_t, int32_t> Where() const { return { menu->ItemIndex(), menu->TopIndex() }; }
};

TEST_F(MenuStateTest, OfferedActionsFollowEachPagesRules)
{
    WriteCatalogue("[Main]\nCD=0206\n");
    MenuState& m = Start();
    auto demo = [](auto set) {
        return [set](DiscCatalogue&) {
            TDemos item;
            set(item);
            return item;
        };
    };
    struct Case {
        const char* what;
        CategoryCode page;
        std::function<void(DiscCatalogue&)> fill;
        OfferedActions offered;
    };
    auto one = [](auto list, auto make) {
        return [list, make](DiscCatalogue& c) {
            (c.*list).SetCount(1);
            (c.*list)[1] = make(c);
        };
    };
    const Case cases[] = {
        { "demo with everything", CategoryCode::Demos, one(&DiscCatalogue::Demos, demo([](TDemos& d) {
             d.GameName = "hra.exe";
             d.ReadmeName = "readme.txt";
             d.Web = "www.hra.cz";
         })),
            { .play = true, .readme = true, .web = true } },
        { "demo still to install hides its readme", CategoryCode::Demos, one(&DiscCatalogue::Demos, demo([](TDemos& d) {
             d.ReadmeName = "readme.txt";
             d.NeedsInstall = 1;
         })),
            {} },
        { "extra run from the disc without a program", CategoryCode::Extra, one(&DiscCatalogue::Extra, demo([](TDemos& d) { d.InstallType = InstallMethod::RunsFromDisc; })), {} },
        { "extra with a setup", CategoryCode::Extra, one(&DiscCatalogue::Extra, demo([](TDemos& d) { d.InstallType = InstallMethod::MenuForcedFolder; })), { .play = true } },
        { "shareware has no web button", CategoryCode::Shareware, one(&DiscCatalogue::Shareware, demo([](TDemos& d) {
             d.InstallName = "setup.exe";
             d.ReadmeName = "readme.txt";
             d.Web = "www.hra.cz";
         })),
            { .play = true, .readme = true } },
        { "driver without setup", CategoryCode::Drivers, one(&DiscCatalogue::Drivers, demo([](TDemos& d) { d.ReadmeName = "readme.txt"; })), { .readme = true } },
        { "contribution that is only a text", CategoryCode::Readers, one(&DiscCatalogue::Readers, demo([](TDemos& d) {
             d.ReadmeName = "clanek.txt";
             d.NeedsInstall = 1;
         })),
            { .readme = true } },
        { "installed contribution", CategoryCode::Readers, one(&DiscCatalogue::Readers, demo([](TDemos& d) {
             d.InstallType = InstallMethod::MenuAfterInstall;
             d.CanRun = 1;
             d.Installed = 1;
         })),
            { .play = true, .stop = true } },
        { "picture page", CategoryCode::Shots, one(&DiscCatalogue::Shots, [](DiscCatalogue&) { return TShot {}; }), {} },
        { "film", CategoryCode::Movies, one(&DiscCatalogue::Movies, [](DiscCatalogue&) {
             TMovies film;
             film.GameName = "trailer.avi";
             return film;
         }),
            { .play = true } },
        { "update", CategoryCode::Updates, one(&DiscCatalogue::Updates, [](DiscCatalogue&) {
             TUpdate update;
             update.SetupName = "setup.exe";
             update.ReadmeName = "readme.txt";
             return update;
         }),
            { .play = true, .readme = true } },
        { "installed page entry", CategoryCode::Installed, one(&DiscCatalogue::InstalledList, demo([](TDemos& d) {
             d.CanRun = 1;
             d.Installed = 1;
         })),
            { .play = true, .stop = true } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // An empty page offers nothing, whatever the page before offered.
        m.Catalogue.Demos.SetCount(0);
        m.Catalogue.Extra.SetCount(0);
        m.Catalogue.Readers.SetCount(0);
        m.SelectPage(c.page);
        EXPECT_EQ(m.Offered(), OfferedActions {});
        c.fill(m.Catalogue);
        m.Select({ c.page, 1 });
        EXPECT_EQ(m.Offered(), c.offered);
    }
}

TEST_F(MenuStateTest, SelectionStopsAtTheListsEnds)
{
    std::vector<std::string> names;
    for (int n = 1; n <= 25; ++n)
        names.push_back("HRA" + std::to_string(n));
    MenuState& m = StartWithDemos(names);
    using Step = std::function<MenuChange(MenuState&)>;
    const struct {
        const char* what;
        Step step;
        bool changed;
        std::pair<int32_t, int32_t> itemAndTop;
    } steps[] = {
        { "up at the first", [](MenuState& s) { return s.StepUp(); }, false, { 1, 1 } },
        { "end", [](MenuState& s) { return s.End(); }, true, { 25, 16 } },
        { "down at the last", [](MenuState& s) { return s.StepDown(); }, false, { 25, 16 } },
        { "up into the window", [](MenuState& s) { return s.StepUp(); }, true, { 24, 16 } },
        { "home", [](MenuState& s) { return s.Home(); }, true, { 1, 1 } },
        { "page down", [](MenuState& s) { return s.PageBy(1); }, true, { 10, 10 } },
        { "page up past the top", [](MenuState& s) { return s.PageBy(-2); }, true, { 1, 1 } },
        { "lower button to the next ten", [](MenuState& s) { return s.ListButton(true); }, true, { 10, 10 } },
        { "again, the window stops at the end", [](MenuState& s) { return s.ListButton(true); }, true, { 20, 16 } },
        { "and the last ten is cut to the list", [](MenuState& s) { return s.ListButton(true); }, true, { 25, 16 } },
        { "upper button to the previous ten", [](MenuState& s) { return s.ListButton(false); }, true, { 20, 16 } },
        { "row 3 of the window", [](MenuState& s) { return s.SelectRow(2); }, true, { 18, 16 } },
        { "a row past the list", [](MenuState& s) { return s.SelectRow(10); }, false, { 18, 16 } },
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(s.step(m).Any(), s.changed);
        EXPECT_EQ(Where(), s.itemAndTop);
    }
}

TEST_F(MenuStateTest, ShortListButtonsStepByOne)
{
    MenuState& m = StartWithDemos({ "A", "B", "C" });
    EXPECT_TRUE(m.ListButton(true).detail);
    EXPECT_EQ(Where(), std::make_pair(2, 1));
    m.End();
    EXPECT_EQ(Where(), std::make_pair(3, 1));
    EXPECT_FALSE(m.ListButton(true).Any());
    m.ListButton(false);
    EXPECT_EQ(Where(), std::make_pair(2, 1));
}

TEST_F(MenuStateTest, JumpToLetter)
{
    std::vector<std::string> names { "ALFA", "BETA", "BRAVO" };
    for (int n = 4; n <= 24; ++n)
        names.push_back("HRA" + std::to_string(n));
    names.push_back("ZULU");
    MenuState& m = StartWithDemos(names);
    const struct {
        char letter;
        bool changed;
        std::pair<int32_t, int32_t> itemAndTop;
    } jumps[] = {
        // Within the window the list stays; beyond it, the window ends at the list's end.
        { 'B', true, { 2, 1 } },
        { 'Z', true, { 25, 16 } },
        { 'Q', false, { 25, 16 } },
        { 'A', true, { 1, 1 } },
    };
    for (const auto& j : jumps) {
        SCOPED_TRACE(j.letter);
        EXPECT_EQ(m.JumpToLetter(j.letter).Any(), j.changed);
        EXPECT_EQ(Where(), j.itemAndTop);
    }
}

TEST_F(MenuStateTest, SettingsSwitchWritesTheStateFileFirst)
{
    MenuState& m = StartWithDemos({ "A" });
    m.SelectPage(CategoryCode::Settings);
    ASSERT_EQ(m.Settings().enhanced, 1);
    EXPECT_EQ(m.Offered(), (OfferedActions { .stop = true }));
    // What is not offered does nothing.
    EXPECT_FALSE(m.Choose(MenuAction::Play).Any());

    EXPECT_TRUE(m.Choose(MenuAction::Stop).setting);
    EXPECT_EQ(m.Settings().enhanced, 0);
    EXPECT_EQ(State("Main", "Enhanced"), "0");
    EXPECT_EQ(m.Offered(), (OfferedActions { .play = true }));

    m.StepDown();
    EXPECT_EQ(m.Offered(), (OfferedActions { .play = true }));
    EXPECT_TRUE(m.Choose(MenuAction::Play).setting);
    EXPECT_EQ(m.Settings().slow, 1);
    EXPECT_EQ(State("Main", "Slow"), "1");
    EXPECT_EQ(m.Settings().enhanced, 0);
}

}
