// The built sample disc: the menu's own loader reads it with the intended counts and texts,
// and every file the catalogue leads the menu to is there and readable.

#include "menu/MenuState.h"
#include "platform/avi/AviClip.h"
#include "platform/fonts/FontRegistry.h"
#include "platform/machine/Machine.h"
#include "platform/picture/Picture.h"
#include "platform/text/Codepage.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

const fs::path Disc = TORVA_SAMPLE_DISC_DIR;

std::string Cp(const char* utf8) { return platform::Utf8ToCp1250(utf8); }

class SampleDisc : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(Disc / "TORVA.EXE")) << "build the sample_disc target first";
        root = fs::temp_directory_path() / ("torva-sampledisc-" + torva::test::CaseName());
        fs::remove_all(root);
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        doubles.UseMachine(machine);
        letter = machine->MapDrive(Disc, platform::DRIVE_CDROM);
        ASSERT_NE(letter, 0);
        form = std::make_unique<MenuState>(doubles.services, MenuEnvironment { std::string(1, letter) + ":\\TORVA.EXE", &cursor });
        form->Start();
        ASSERT_FALSE(form->Terminated());
        form->LoadCatalogue();
        ASSERT_FALSE(form->Terminated()) << (boxes.errors.empty() ? "" : boxes.errors.back());
    }

    void TearDown() override
    {
        form.reset();
        machine->UnmapDrive(letter);
        platform::SetCurrentMachine(nullptr);
        fs::remove_all(root);
    }

    fs::path root;
    std::shared_ptr<platform::Machine> machine;
    char letter = 0;
    torva::test::TestServices doubles;
    torva::test::RecordingDialogs& boxes = doubles.boxes;
    torva::test::RecordingCursor cursor;
    std::unique_ptr<MenuState> form;
};

}

TEST_F(SampleDisc, MenuLoadsEveryCategory)
{
    const MenuState& f = *form;
    struct Count {
        const char* category;
        int32_t loaded;
        int32_t expected;
    };
    const Count counts[] = { { "demos", f.Catalogue.Demos.Count(), 12 }, { "online demos", f.Catalogue.Extra2.Count(), TORVA_SAMPLE_WINDOWS_ITEMS ? 7 : 3 }, { "full games", f.Catalogue.Fulls.Count(), 2 },
        { "films", f.Catalogue.Movies.Count(), 3 }, { "galleries", f.Catalogue.Shots.Count(), 3 }, { "extras", f.Catalogue.Extra.Count(), 3 },
        { "shareware", f.Catalogue.Shareware.Count(), 3 }, { "updates", f.Catalogue.Updates.Count(), 4 }, { "drivers", f.Catalogue.Drivers.Count(), 3 },
        { "readers", f.Catalogue.Readers.Count(), 3 } };
    for (const Count& c : counts)
        EXPECT_EQ(c.loaded, c.expected) << c.category;
    EXPECT_EQ(f.Context.DiscId, "1206");
    EXPECT_EQ(f.Catalogue.Version, 1) << "the Czech driver is kept only in the first edition";
    EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(SampleDisc, TextsAreCzechAndTakeTheLoadersTransforms)
{
    const MenuState& f = *form;
    EXPECT_EQ(f.Catalogue.Demos[4].Name, Cp("PAŘENIŠTĚ")) << "accented letters are upper-cased too";
    EXPECT_EQ(f.Catalogue.Demos[6].Name, Cp("PODZEMÍ R&&D")) << "a lone ampersand is doubled";
    EXPECT_EQ(f.Catalogue.Drivers[3].Name, Cp("OVLADAČ CZ KLÁVESNICE"));
    EXPECT_EQ(f.Catalogue.Updates[1].Name, "PATCH 1.1");
    EXPECT_EQ(f.Catalogue.Updates[1].Subtitle, "Rallye Bohemia");
    for (int n = 1; n <= f.Catalogue.Demos.Count(); ++n) {
        EXPECT_FALSE(f.Catalogue.Demos[n].Describe.empty()) << n;
        EXPECT_FALSE(f.Catalogue.Demos[n].Firm.empty()) << n;
        EXPECT_TRUE(platform::IsValidCp1250(f.Catalogue.Demos[n].Describe)) << n;
    }
    // The demos cover every flag the detail view shows.
    std::vector<int32_t> flags;
    for (int n = 1; n <= f.Catalogue.Demos.Count(); ++n)
        flags.push_back(f.Catalogue.Demos[n].Flags);
    for (int32_t wanted : { 0, 1, 2, 3, 4, 10, 11, 12 })
        EXPECT_NE(std::find(flags.begin(), flags.end(), wanted), flags.end()) << "no demo with flags " << wanted;
}

TEST_F(SampleDisc, EveryPictureTheMenuLooksForIsThere)
{
    const DiscCatalogue& c = form->Catalogue;
    std::vector<std::string> pictures;
    auto add = [&](const auto& items, int32_t count) {
        for (int n = 1; n <= count; ++n)
            pictures.push_back(items[n].Picture);
    };
    add(c.Demos, c.Demos.Count());
    add(c.Fulls, c.Fulls.Count());
    add(c.Extra2, c.Extra2.Count());
    add(c.Extra, c.Extra.Count());
    add(c.Shots, c.Shots.Count());
    add(c.Movies, c.Movies.Count());

    int longest = 0, withoutGallery = 0, none = 0;
    for (const std::string& p : pictures) {
        if (p == "NUL") {
            ++none;
            continue;
        }
        SCOPED_TRACE(p);
        int count = 0;
        while (fs::exists(Disc / "Torva" / (p + (count + 1 < 10 ? "0" : "") + std::to_string(count + 1) + ".jpg")))
            ++count;
        longest = std::max(longest, count);
        withoutGallery += count == 0;
        fs::path small = Disc / "Torva" / "Small" / (p + (count > 0 ? "01" : "") + ".bmp");
        ASSERT_TRUE(fs::exists(small)) << small;
        platform::Picture smallPicture = platform::ReadPictureFile(small);
        EXPECT_EQ(smallPicture.width, 243);
        EXPECT_EQ(smallPicture.height, 151);
        if (count > 0) {
            platform::Picture first = platform::ReadPictureFile(Disc / "Torva" / (p + "01.jpg"));
            EXPECT_EQ(first.width, 638);
            EXPECT_EQ(first.height, 482);
        }
    }
    EXPECT_GE(longest, 10) << "a series long enough to page past picture 09";
    EXPECT_GT(withoutGallery, 0);
    EXPECT_EQ(none, 1);
}

TEST_F(SampleDisc, ReadmesFilmsAndTheSignUpFileAreOnTheDisc)
{
    const MenuState& f = *form;
    auto host = [&](std::string windowsPath) {
        windowsPath.erase(0, 2); // the drive
        std::replace(windowsPath.begin(), windowsPath.end(), '\\', '/');
        return Disc / windowsPath.substr(1);
    };
    for (int n = 1; n <= f.Catalogue.Demos.Count(); ++n)
        EXPECT_TRUE(fs::exists(host(f.Catalogue.Demos[n].InstallDir + "\\" + f.Catalogue.Demos[n].ReadmeName))) << f.Catalogue.Demos[n].InstallDir;
    for (int n = 1; n <= f.Catalogue.Drivers.Count(); ++n)
        EXPECT_TRUE(fs::exists(host(f.Catalogue.Drivers[n].InstallDir + "\\" + f.Catalogue.Drivers[n].ReadmeName))) << f.Catalogue.Drivers[n].InstallDir;
    for (int n = 1; n <= f.Catalogue.Shareware.Count(); ++n)
        EXPECT_TRUE(fs::exists(Disc / "Shareware" / f.Catalogue.Shareware[n].InstallDir / f.Catalogue.Shareware[n].ReadmeName));
    for (int n = 1; n <= f.Catalogue.Movies.Count(); ++n) {
        fs::path film = host(f.Catalogue.Movies[n].InstallDir + "\\" + f.Catalogue.Movies[n].GameName);
        auto clip = platform::AviClip::FromBytes(platform::ReadPictureBytes(film), "test.avi").Value();
        EXPECT_GT(clip.FrameCount(), 10) << film;
    }
    EXPECT_TRUE(fs::exists(Disc / "Kavorin" / "signup_torva.isp"));
    EXPECT_TRUE(fs::exists(Disc / "Updates" / "README.TXT"));
}

TEST_F(SampleDisc, MenuFontsAreFontFilesOfTheAnnouncedFamilies)
{
    platform::FontRegistry fonts;
    EXPECT_GT(fonts.AddFontFile((Disc / "Torva" / "bb.jpg").string()), 0);
    EXPECT_GT(fonts.AddFontFile((Disc / "Torva" / "bc.jpg").string()), 0);
    auto families = fonts.RegisteredFamilies();
    EXPECT_NE(std::find(families.begin(), families.end(), "Play"), families.end());
    EXPECT_NE(std::find(families.begin(), families.end(), "Karmilla"), families.end());
}

TEST_F(SampleDisc, CoversTheInstallTypesAndDetectionMethods)
{
    const MenuState& f = *form;
    std::set<int32_t> installTypes, dirDetects;
    auto collect = [&](const auto& items, int32_t count) {
        for (int n = 1; n <= count; ++n) {
            installTypes.insert(static_cast<int32_t>(items[n].InstallType));
            dirDetects.insert(static_cast<int32_t>(items[n].DirDetect));
        }
    };
    collect(f.Catalogue.Demos, f.Catalogue.Demos.Count());
    collect(f.Catalogue.Extra2, f.Catalogue.Extra2.Count());
    collect(f.Catalogue.Fulls, f.Catalogue.Fulls.Count());
    collect(f.Catalogue.Readers, f.Catalogue.Readers.Count());
    for (int n = 1; n <= f.Catalogue.Movies.Count(); ++n)
        installTypes.insert(f.Catalogue.Movies[n].InstallType);
    for (int32_t type : { 0, 4, 5, 6, 7, 10, 20 })
        EXPECT_TRUE(installTypes.count(type)) << "no item of install type " << type;
    for (int32_t method : { 1, 2, 3, 6, 7, 8 })
        EXPECT_TRUE(dirDetects.count(method)) << "no item found by detection method " << method;
}
