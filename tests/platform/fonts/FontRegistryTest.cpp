#include "platform/canvas/Canvas.h"
#include "platform/fonts/FontRegistry.h"
#include "platform/fonts/MachineFontSubstitutes.h"
#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"
#include "platform/hive/WineServer.h"
#include "tests/support/TestFiles.h"
#include "tests/platform/hive/FakeWineServer.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;
namespace fs = std::filesystem;

namespace {

const fs::path WineFonts = "/usr/share/wine/fonts";
const fs::path DejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const fs::path Fixtures = fs::path(TORVA_SOURCE_DIR) / "tests/platform/fonts/fixtures";

// A font file under a picture's name, as the disc carries its faces.
std::string CopyAs(const fs::path& from, const std::string& name)
{
    fs::path to = fs::path(TORVA_TEST_OUTPUT_DIR) / name;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    return to.string();
}

bool HaveWineFonts() { return fs::exists(WineFonts / "tahoma.ttf") && fs::exists(WineFonts / "ms_sans_serif.ttf"); }

}

TEST(FontRegistry, RegisteredFilesComeFirstWhateverTheirExtension)
{
    FontRegistry registry;
    std::string file = CopyAs(DejaVu, "bb.jpg");
    EXPECT_EQ(registry.Resolve("DejaVu Sans", false, false).source, FontSource::Fontconfig);
    EXPECT_EQ(registry.AddFontFile(file), 1);
    FontMatch match = registry.Resolve("dejavu sans", false, false);
    EXPECT_EQ(match.source, FontSource::Registered);
    EXPECT_EQ(match.path, file);
    EXPECT_FALSE(match.syntheticBold);
    EXPECT_TRUE(registry.Resolve("DejaVu Sans", true, false).syntheticBold);

    // Registered twice, removed once: still there.
    EXPECT_EQ(registry.AddFontFile(file), 1);
    EXPECT_TRUE(registry.RemoveFontFile(file));
    EXPECT_EQ(registry.Resolve("DejaVu Sans", false, false).source, FontSource::Registered);
    EXPECT_TRUE(registry.RemoveFontFile(file));
    EXPECT_FALSE(registry.RemoveFontFile(file));
    EXPECT_EQ(registry.Resolve("DejaVu Sans", false, false).source, FontSource::Fontconfig);
}

TEST(FontRegistry, BrokenOrMissingFilesRegisterNothing)
{
    FontRegistry registry;
    for (const char* name : { "truncated_dejavu.ttf", "garbage.jpg", "many_tables.ttf", "does_not_exist.ttf" }) {
        SCOPED_TRACE(name);
        EXPECT_EQ(registry.AddFontFile((Fixtures / name).string()), 0);
    }
    EXPECT_EQ(registry.AddFontFile(Fixtures.string()), 0); // a folder
    EXPECT_EQ(registry.AddFontBytes("empty", {}), 0);
}

TEST(FontRegistry, SubstitutesComeBetweenRegisteredFilesAndFontconfig)
{
    FontRegistry registry;
    std::vector<std::string> asked;
    registry.SetSubstituteLookup([&](std::string_view face) -> std::optional<std::string> {
        asked.emplace_back(face);
        if (face == "Helv")
            return std::string("DejaVu Sans,238");
        if (face == "DejaVu Sans")
            return std::string("No Such Face");
        return std::nullopt;
    });
    FontMatch helv = registry.Resolve("Helv", false, false);
    EXPECT_EQ(helv.source, FontSource::Substitute);
    EXPECT_EQ(helv.family, "DejaVu Sans");
    // A substitute that leads nowhere does not hide the face fontconfig knows.
    EXPECT_EQ(registry.Resolve("DejaVu Sans", false, false).source, FontSource::Fontconfig);
    // A registered face is found before the substitutes are asked.
    asked.clear();
    registry.AddFontFile(CopyAs(DejaVu, "helv.jpg"));
    EXPECT_EQ(registry.Resolve("DejaVu Sans", false, false).source, FontSource::Registered);
    EXPECT_TRUE(asked.empty());
}

TEST(FontRegistry, UnknownFacesFallBackToASansWithGlyphs)
{
    FontRegistry registry;
    FontMatch match = registry.Resolve("Square721 BdEx AT", true, false);
    EXPECT_EQ(match.source, FontSource::Fallback);
    EXPECT_FALSE(match.path.empty());
    auto font = registry.Open("Square721 BdEx AT", -12, true, false, EASTEUROPE_CHARSET);
    ASSERT_TRUE(font);
    EXPECT_GT(font->ByteAdvance('W'), 0);
    EXPECT_GT(font->ByteGlyph('W').width, 0);
}

TEST(FontRegistry, WineFacesStandInForTheSystemFonts)
{
    if (!HaveWineFonts())
        GTEST_SKIP() << "fonts-wine is not installed";
    FontRegistry registry;
    registry.AddFontDirectory(WineFonts.string());
    FontMatch tahoma = registry.Resolve("Tahoma", false, false);
    EXPECT_EQ(tahoma.source, FontSource::Fontconfig);
    EXPECT_EQ(fs::path(tahoma.path).filename(), "tahoma.ttf");
    FontMatch bold = registry.Resolve("Tahoma", true, false);
    EXPECT_EQ(fs::path(bold.path).filename(), "tahomabd.ttf");
    EXPECT_FALSE(bold.syntheticBold);
    EXPECT_EQ(fs::path(registry.Resolve("MS Sans Serif", false, false).path).filename(), "ms_sans_serif.ttf");
}

TEST(SizedFont, HeightsFollowTheWindowSystemsSigns)
{
    FontRegistry registry;
    // Negative: the character height, so the cell is taller by the internal leading.
    auto character = registry.Open("DejaVu Sans", -13, false, false, DEFAULT_CHARSET);
    EXPECT_GT(character->Metrics().height, 13);
    EXPECT_EQ(character->Metrics().height - character->Metrics().internalLeading, 13);
    // Positive: the cell height itself.
    auto cell = registry.Open("DejaVu Sans", 16, false, false, DEFAULT_CHARSET);
    EXPECT_EQ(cell->Metrics().height, 16);
    EXPECT_EQ(cell->Metrics().ascent + cell->Metrics().descent, 16);
    EXPECT_GT(registry.Open("DejaVu Sans", 0, false, false, DEFAULT_CHARSET)->Metrics().height, 0);
}

TEST(SizedFont, SyntheticBoldIsWiderAndCzechLettersHaveGlyphs)
{
    FontRegistry registry;
    std::string file = CopyAs(DejaVu, "regular_only.jpg");
    ASSERT_EQ(registry.AddFontFile(file), 1);
    auto regular = registry.Open("DejaVu Sans", -12, false, false, EASTEUROPE_CHARSET);
    auto bold = registry.Open("DejaVu Sans", -12, true, false, EASTEUROPE_CHARSET);
    EXPECT_EQ(bold->ByteAdvance('m'), regular->ByteAdvance('m') + 1);
    // Code page 1250: 0xF8 is r with caron, 0x8A S with caron, 0xEC e with caron.
    for (uint8_t byte : { 0xF8, 0x8A, 0xEC, 0xE1 }) {
        const Glyph& glyph = regular->ByteGlyph(byte);
        EXPECT_GT(glyph.width, 0) << int(byte);
        EXPECT_GT(glyph.top, regular->ByteGlyph('e').top - 1) << int(byte);
    }
}

// The sample disc's caption face carries hints for grey rendering; drawn in two levels at the
// caption's 11 pixels they made its O the same glyph as its D.
TEST(SizedFont, RoundLettersStayRoundInFacesHintedForGrey)
{
    const fs::path play = "/usr/share/fonts/truetype/play/Play-Regular.ttf";
    if (!fs::exists(play))
        GTEST_SKIP() << "fonts-play is not installed";
    FontRegistry registry;
    ASSERT_EQ(registry.AddFontFile(CopyAs(play, "caption_face.jpg")), 1);
    auto font = registry.Open("Play", -11, false, false, EASTEUROPE_CHARSET);
    const Glyph& o = font->ByteGlyph('O');
    const Glyph& d = font->ByteGlyph('D');
    ASSERT_GT(o.rows, 0);
    EXPECT_FALSE(o.Covers(0, 0)) << "the O's top left corner is round";
    EXPECT_TRUE(d.Covers(0, 0)) << "the D's top left corner is square";
}

TEST(FontResources, CanvasTextFollowsRegistrationsOfTheProcess)
{
    std::string file = CopyAs(DejaVu, "process.jpg");
    SetFontPathResolver([&](std::string_view path) -> std::optional<std::string> {
        if (path == "E:\\TORVA\\\\bb.jpg")
            return file;
        return std::nullopt;
    });
    EXPECT_EQ(AddFontResourceA("E:\\TORVA\\\\bb.jpg"), 1);
    EXPECT_EQ(AddFontResourceA("E:\\TORVA\\\\missing.jpg"), 0);
    EXPECT_EQ(FontRegistry::Default().Resolve("DejaVu Sans", false, false).source, FontSource::Registered);
    EXPECT_TRUE(RemoveFontResourceA("E:\\TORVA\\\\bb.jpg"));
    EXPECT_FALSE(RemoveFontResourceA("E:\\TORVA\\\\bb.jpg"));
    SetFontPathResolver(nullptr);
}

TEST(MachineFontSubstitutes, ComeFromTheMachinesRegistry)
{
    const fs::path root = torva::test::FreshTestFolder("substitutes-prefix");
    torva::test::WriteText(root / "system.reg", "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n");
    auto machine = std::make_shared<Machine>(root);
    machine->SetWineServer(std::make_shared<torvatest::FakeWineServer>());
    {
        Registry registry(*machine);
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenKey("\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", true));
        ASSERT_TRUE(registry.WriteString("MS Shell Dlg", "DejaVu Sans"));
    }
    FontRegistry fonts;
    fonts.SetSubstituteLookup(MachineFontSubstitutes());
    // Without a current machine there are no substitutes, and no error either.
    if (!HasCurrentMachine()) {
        EXPECT_EQ(fonts.Resolve("MS Shell Dlg", false, false).source, FontSource::Fallback);
    }
    SetCurrentMachine(machine);
    FontMatch match = fonts.Resolve("ms shell dlg", false, false);
    EXPECT_EQ(match.source, FontSource::Substitute);
    EXPECT_EQ(match.family, "DejaVu Sans");
    EXPECT_EQ(fonts.Resolve("Unlisted Face", false, false).source, FontSource::Fallback);
    SetCurrentMachine(nullptr);
}

TEST(SizedFont, BitmapFacesPickTheNearestStrike)
{
    if (!HaveWineFonts())
        GTEST_SKIP() << "fonts-wine is not installed";
    FontRegistry registry;
    registry.AddFontDirectory(WineFonts.string());
    // The dialog font, 8 point: character height 11 lands on the 13-pixel cell strike.
    auto small = registry.Open("MS Sans Serif", -11, false, false, EASTEUROPE_CHARSET);
    auto large = registry.Open("MS Sans Serif", 20, false, false, EASTEUROPE_CHARSET);
    EXPECT_EQ(small->Metrics().height, 13);
    EXPECT_EQ(large->Metrics().height, 20);
    const Glyph& a = small->ByteGlyph('a');
    EXPECT_GT(a.width, 0);
    EXPECT_GT(small->ByteGlyph(0xE8).width, 0); // c with caron
    EXPECT_LT(small->ByteAdvance('a'), large->ByteAdvance('a'));
}
