// The real shortcut files made by Windows must read with the fields their origins assert.

#include "shell/LnkFormat.h"

#include "platform/text/Codepage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::vector<uint8_t> ReadCorpus(const std::string& name)
{
    std::ifstream in(std::filesystem::path(TORVA_TEST_DATA_DIR) / "lnk" / name, std::ios::binary);
    EXPECT_TRUE(in) << "missing test input lnk/" << name;
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Cp(const char* utf8)
{
    return platform::Utf8ToCp1250(utf8);
}

struct CorpusCase {
    const char* file;
    uint32_t linkFlags;
    const char* name; // nullptr: absent
    const char* relativePath;
    const char* workingDir;
    const char* arguments;
    const char* iconLocation;
    uint32_t showCommand;
    uint16_t hotKey;
    const char* target; // UTF-8 of what ResolveTarget gives
};

const CorpusCase corpus[] = {
    { "libforensics_shortcut_to_local_exe.lnk", 0x822ff, "comment", "..\\..\\..\\Windows\\PING.EXE",
        "c:\\start-in-dir", "arg1 arg2 arg3", "%SystemRoot%\\system32\\SHELL32.dll", 3, 0x074b,
        "C:\\Windows\\PING.EXE" },
    { "libforensics_shortcut_to_mapped_exe.lnk", 0x80292, nullptr, nullptr, "X:\\windows\\system32", nullptr,
        nullptr, 1, 0, "\\\\WXP-PRO-SP3-1\\C-Share\\WINDOWS\\system32\\ping.exe" },
    { "lnkparse3_microsoft_example.lnk", 0x8009b, nullptr, ".\\a.txt", "C:\\test", nullptr, nullptr, 1, 0,
        "C:\\test\\a.txt" },
    { "lnkparse3_console_properties_block.lnk", 0x2d7, "Performs object-based (command-line) functions", nullptr,
        "%HOMEDRIVE%%HOMEPATH%", nullptr, "%SystemRoot%\\syswow64\\WindowsPowerShell\\v1.0\\powershell.exe", 1, 0,
        "C:\\Windows\\SysWOW64\\WindowsPowerShell\\v1.0\\powershell.exe" },
    { "lnkparse3_network_info.lnk", 0x80093, nullptr, nullptr,
        "Z:\\A - LM METAL LIFT\\01.OBCHOD - BRO\xC5\xBD"
        "URY - Prodejn\xC3\xAD a technick\xC3\xA9 informace o "
        "produktech\\ETN\\ETN-Katalog-ENG\\Katalog ETN 10_2017\\Lift-programme",
        nullptr, nullptr, 1, 0,
        "\\\\10.0.0.150\\LMmetal\\A - LM METAL LIFT\\01.OBCHOD - BRO\xC5\xBD"
        "URY - Prodejn\xC3\xAD a technick\xC3\xA9 "
        "informace o produktech\\ETN\\ETN-Katalog-ENG\\Katalog ETN 10_2017\\Lift-programme\\ETN-lift programme "
        "2017.pdf" },
    { "lnkparse3_sample16.lnk", 0x200083, nullptr, nullptr, nullptr, nullptr, nullptr, 1, 0,
        "C:\\Users\\Asus-PC\\AppData\\Roaming\\Microsoft\\Windows\\Recent" },
    { "mslinks_consolelink.lnk", 0x800fb, nullptr, ".\\folder\\pause.bat", "C:\\Windows", "cmdarg",
        "%SystemRoot%\\System32\\SHELL32.dll", 1, 0, "C:\\linktest\\folder\\pause.bat" },
    { "mslinks_exelink.lnk", 0x8009b, nullptr, "..\\Program Files\\7-Zip\\7zFM.exe", "C:\\Program Files\\7-Zip",
        nullptr, nullptr, 1, 0, "C:\\Program Files\\7-Zip\\7zFM.exe" },
    { "mslinks_sharedfilelink.lnk", 0x80292, nullptr, nullptr, "\\\\laptop\\share", nullptr, nullptr, 1, 0,
        "\\\\LAPTOP\\SHARE\\testfile.txt" },
    { "mslinks_networkdrivefilelink.lnk", 0x80093, nullptr, nullptr, "Z:\\", nullptr, nullptr, 1, 0,
        "\\\\laptop\\share\\testfile.txt" },
    { "lnkparse3_darwin_block.lnk", 0x50cd, "This is the shortcut description",
        "..\\..\\..\\Windows\\Installer\\{DB8757A3-1B62-4136-8D95-D2CB9F00E36C}\\test_icon.ico", nullptr, nullptr,
        "C:\\WINDOWS\\Installer\\{DB8757A3-1B62-4136-8D95-D2CB9F00E36C}\\test_icon.ico", 1, 0,
        // An advertised shortcut has no LinkInfo; its ID list names the installer's icon.
        "C:\\Windows\\Installer\\{DB8757A3-1B62-4136-8D95-D2CB9F00E36C}\\test_icon.ico" },
    // Wine counts the terminating NUL in each text; the texts end there.
    { "wine8_nsis_game.lnk", 0xb7, "A game", nullptr, "C:\\Hry\\Some Game", "-window", nullptr, 1, 0,
        "C:\\Hry\\Some Game\\GAME.EXE" },
};

void ExpectString(const std::optional<std::string>& actual, const char* expected, const char* what)
{
    if (!expected)
        EXPECT_FALSE(actual) << what;
    else
        EXPECT_EQ(actual.value_or("<absent>"), Cp(expected)) << what;
}

TEST(LnkCorpus, FieldsMatchWhatTheOriginsAssert)
{
    for (const CorpusCase& c : corpus) {
        SCOPED_TRACE(c.file);
        shell::LnkFile link = shell::ParseLnk(ReadCorpus(c.file), "test.lnk").Value();
        EXPECT_EQ(link.linkFlags, c.linkFlags);
        ExpectString(link.name, c.name, "name");
        ExpectString(link.relativePath, c.relativePath, "relative path");
        ExpectString(link.workingDir, c.workingDir, "working folder");
        ExpectString(link.arguments, c.arguments, "arguments");
        ExpectString(link.iconLocation, c.iconLocation, "icon location");
        EXPECT_EQ(link.showCommand, c.showCommand);
        EXPECT_EQ(link.hotKey, c.hotKey);
        EXPECT_EQ(shell::ResolveTarget(link), Cp(c.target));
        EXPECT_FALSE(link.extraDataDamaged);
    }
}

TEST(LnkCorpus, HeaderAndLinkInfoDetails)
{
    shell::LnkFile local = shell::ParseLnk(ReadCorpus("libforensics_shortcut_to_local_exe.lnk"), "test.lnk").Value();
    EXPECT_EQ(local.iconIndex, 18);
    EXPECT_EQ(local.fileSize, 15360u);
    EXPECT_EQ(local.fileAttributes, 0x20u);
    ASSERT_TRUE(local.linkInfo && local.linkInfo->volume);
    EXPECT_EQ(local.linkInfo->volume->driveType, 3u);
    EXPECT_EQ(local.linkInfo->volume->driveSerialNumber, 0xA0E8D60Cu);
    EXPECT_EQ(local.environmentTarget.value_or(""), "%windir%\\PING.EXE");
    EXPECT_EQ(local.extraBlockSignatures,
        (std::vector<uint32_t> { 0xA0000005, 0xA000000B, 0xA0000003, 0xA0000002, 0xA0000001 }));

    shell::LnkFile mapped = shell::ParseLnk(ReadCorpus("libforensics_shortcut_to_mapped_exe.lnk"), "test.lnk").Value();
    ASSERT_TRUE(mapped.linkInfo && mapped.linkInfo->network);
    EXPECT_EQ(mapped.linkInfo->network->deviceName, "X:");
    EXPECT_EQ(mapped.linkInfo->network->networkProviderType, 0x00020000u);
    EXPECT_TRUE(mapped.idList.empty());

    shell::LnkFile labelled = shell::ParseLnk(ReadCorpus("lnkparse3_console_properties_block.lnk"), "test.lnk").Value();
    ASSERT_TRUE(labelled.linkInfo && labelled.linkInfo->volume);
    EXPECT_EQ(labelled.linkInfo->volume->volumeLabel, "OSDisk");
}

TEST(LnkCorpus, IdListSpellsTheDrivePath)
{
    EXPECT_EQ(shell::IdListPath(shell::ParseLnk(ReadCorpus("mslinks_networkdrivefilelink.lnk"), "test.lnk").Value()), "Z:\\testfile.txt");
    EXPECT_EQ(shell::IdListPath(shell::ParseLnk(ReadCorpus("mslinks_consolelink.lnk"), "test.lnk").Value()),
        "C:\\linktest\\folder\\pause.bat");
    EXPECT_EQ(shell::IdListPath(shell::ParseLnk(ReadCorpus("lnkparse3_microsoft_example.lnk"), "test.lnk").Value()), "C:\\test\\a.txt");
}

TEST(LnkCorpus, NoLinkInfoFallsBackToTheIdList)
{
    shell::LnkFile link = shell::ParseLnk(ReadCorpus("lnkparse3_broken_link_info.lnk"), "test.lnk").Value();
    EXPECT_FALSE(link.linkInfo);
    EXPECT_EQ(link.workingDir.value_or(""), "C:\\Program Files\\xt");
    EXPECT_EQ(shell::ResolveTarget(link), "C:\\Program Files\\xt\\xt.exe");
}

// Paths the code page cannot spell: the UTF-16 form is used only when it converts exactly,
// otherwise the stored ANSI bytes stand.
TEST(LnkCorpus, CharactersOutsideTheCodePage)
{
    shell::LnkFile greek = shell::ParseLnk(ReadCorpus("mslinks_unicodetest.lnk"), "test.lnk").Value();
    EXPECT_EQ(shell::ResolveTarget(greek), "C:\\linktest\\folder\\aaa.txt");
    EXPECT_EQ(greek.relativePath.value_or(""), ".\\folder\\???.txt");

    shell::LnkFile russian = shell::ParseLnk(ReadCorpus("mslinks_desktop_winxp.lnk"), "test.lnk").Value();
    EXPECT_EQ(shell::ResolveTarget(russian),
        "C:\\Documents and Settings\\admin\\\xD0\xE0\xE1\xEE\xF7\xE8\xE9 \xF1\xF2\xEE\xEB\\pause.bat");

    shell::LnkFile cyrillicSuffix = shell::ParseLnk(ReadCorpus("lnkparse3_decoding_error3.lnk"), "test.lnk").Value();
    EXPECT_EQ(shell::ResolveTarget(cyrillicSuffix),
        "C:\\Users\\\xC4\xE8\xEC\xE0\\Desktop\\PixelMod\\Mod for Pixelmon\\Error Fix.bat");
}

}
