#include "platform/hive/RegistryFile.h"
#include "platform/hive/RegistryText.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using namespace std::string_literals;

// As Wine writes a hive, with a few lines of kinds this reader does not interpret.
const std::string SampleHive = "WINE REGISTRY Version 2\n"
                               ";; All keys relative to \\\\Machine\n"
                               "\n"
                               "#arch=win64\n"
                               "\n"
                               "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Game 1] 1700000000\n"
                               "#time=1da1b2c3d4e5f60\n"
                               "\"DisplayName\"=\"Hra P\\x159\\xed\\x0161ern\\xe1\"\n"
                               "\"UninstallString\"=\"C:\\\\Games\\\\uninst.exe -f\"\n"
                               "\"Size\"=dword:00001000\n"
                               "\"Path\"=str(2):\"%ProgramFiles%\\\\Game\"\n"
                               "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
                               "  17,18\n"
                               "@=\"default\"\n"
                               "\n"
                               "[Software\\\\Wine\\\\Drives] 1700000001\n"
                               "#time=1da1b2c3d4e5f61\n"
                               "#class=\"something\"\n"
                               "\"e:\"=\"cdrom\"\n"
                               "future-syntax line\n";

TEST(RegistryFile, UnchangedHiveIsWrittenBackByteForByte)
{
    RegistryFile file = RegistryFile::Parse(SampleHive);
    EXPECT_EQ(file.Serialize(), SampleHive);
    EXPECT_TRUE(file.IsWin64());
}

TEST(RegistryFile, ReadsValuesAndKeys)
{
    RegistryFile file = RegistryFile::Parse(SampleHive);
    const std::u16string key = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Game 1";
    auto* name = file.FindValue(key, u"displayname");
    ASSERT_TRUE(name);
    EXPECT_EQ(RegistryBytesString(name->data), u"Hra P\x0159\x00ED\x0161"
                                               u"ern\x00E1");
    auto* blob = file.FindValue(key, u"Blob");
    ASSERT_TRUE(blob);
    EXPECT_EQ(blob->data.size(), 25u);
    EXPECT_EQ(blob->data[24], 0x18);
    ASSERT_TRUE(file.FindValue(key, u""));
    EXPECT_EQ(RegistryBytesString(file.FindValue(key, u"")->data), u"default");
    EXPECT_EQ(file.FindValue(key, u"Path")->type, 2u);
    EXPECT_EQ(file.KeyTimestamp(key), 1700000000);

    // Parents exist though the file names only the leaves.
    EXPECT_TRUE(file.KeyExists(u"SOFTWARE\\microsoft"));
    EXPECT_TRUE(file.KeyExists(u"\\Software\\Wine\\"));
    EXPECT_FALSE(file.KeyExists(u"Software\\Win"));
    EXPECT_EQ(file.SubKeyNames(u"software"), (std::vector<std::u16string> { u"Microsoft", u"Wine" }));
    EXPECT_TRUE(file.HasSubKeys(u"Software\\Wine"));
    EXPECT_FALSE(file.HasSubKeys(u"Software\\Wine\\Drives"));
}

TEST(RegistryFile, ChangesKeepTheRestAndStampTheKey)
{
    RegistryFile file = RegistryFile::Parse(SampleHive);
    file.SetClock([] { return int64_t { 1800000000 }; });
    file.SetValue(u"software\\wine\\drives", u"F:", 1, RegistryStringBytes(u"floppy"));
    std::string text = file.Serialize();
    // The changed key gets a new time; its unknown lines stay where they were.
    EXPECT_NE(text.find("[Software\\\\Wine\\\\Drives] 1800000000\n#time=1dda4c66b338000\n#class=\"something\"\n\"e:\"=\"cdrom\"\n"
                        "future-syntax line\n\"F:\"=\"floppy\"\n"),
        std::string::npos)
        << text;
    // The untouched key is as it was.
    EXPECT_NE(text.find("Game 1] 1700000000\n#time=1da1b2c3d4e5f60\n"), std::string::npos);
    RegistryFile again = RegistryFile::Parse(text);
    EXPECT_EQ(again.Serialize(), text);
    EXPECT_EQ(again.KeyTimestamp(u"Software\\Wine\\Drives"), 1800000000);
}

TEST(RegistryFile, EveryValueTypeSurvivesARoundTrip)
{
    RegistryFile file = RegistryFile::Create(u"\\User\\S-1-5-21-0-0-0-1000", false);
    const std::u16string key = u"Software\\Test";
    const std::u16string tricky = std::u16string(u"q\"uo\\te\n\r\t\x0001\x0159\x20AC", 11) + u'\0' + u"7";
    std::vector<uint8_t> binary(100);
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<uint8_t>(i * 7);
    file.SetValue(key, u"sz", 1, RegistryStringBytes(tricky));
    file.SetValue(key, u"expand", 2, RegistryStringBytes(u"%SystemRoot%\\x"));
    file.SetValue(key, u"multi", 7, { 'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0 });
    file.SetValue(key, u"dword", 4, { 1, 2, 3, 4 });
    file.SetValue(key, u"binary", 3, binary);
    file.SetValue(key, u"none", 0, {});
    file.SetValue(key, u"", 1, RegistryStringBytes(u"def"));
    file.SetValue(key, u"n\x0161me \"[x]\"", 1, RegistryStringBytes(u"v"));
    file.SetValue(key, u"odd", 1, { 'x' });

    std::string text = file.Serialize();
    EXPECT_EQ(text.find_first_of(std::string("\x80\xff\0", 3)), std::string::npos) << "the file stays 7-bit without NULs";
    RegistryFile back = RegistryFile::Parse(text);
    for (auto* value : file.Values(key)) {
        auto* read = back.FindValue(key, value->name);
        ASSERT_TRUE(read) << EscapeRegistryText(value->name, "");
        EXPECT_EQ(read->type, value->type);
        EXPECT_EQ(read->data, value->data);
    }
    EXPECT_EQ(back.Values(key).size(), 9u);
    EXPECT_EQ(back.Serialize(), text);
    EXPECT_TRUE(text.starts_with("WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n\n[Software\\\\Test] "));
}

TEST(RegistryFile, ValueNamesAndKeysIgnoreAsciiCaseButKeepTheirSpelling)
{
    RegistryFile file = RegistryFile::Create(u"\\Machine", false);
    file.SetValue(u"Software\\MyGame", u"InstallDir", 1, RegistryStringBytes(u"C:\\a"));
    file.SetValue(u"SOFTWARE\\MYGAME", u"INSTALLDIR", 1, RegistryStringBytes(u"C:\\b"));
    EXPECT_EQ(file.Values(u"software\\mygame").size(), 1u);
    EXPECT_EQ(file.Values(u"software\\mygame")[0]->name, u"InstallDir");
    EXPECT_EQ(RegistryBytesString(file.FindValue(u"Software\\MyGame", u"installdir")->data), u"C:\\b");
    EXPECT_EQ(file.SubKeyNames(u"Software"), std::vector<std::u16string> { u"MyGame" });
    // Case folding is ASCII only: accented capitals are other names.
    file.SetValue(u"Software\\MyGame", u"\x0158", 1, RegistryStringBytes(u"1"));
    EXPECT_FALSE(file.FindValue(u"Software\\MyGame", u"\x0159"));
}

TEST(RegistryFile, DeletingKeysAndValues)
{
    RegistryFile file = RegistryFile::Parse(SampleHive);
    EXPECT_FALSE(file.DeleteKeyTree(u"Software\\Nothing"));
    EXPECT_FALSE(file.DeleteKeyTree(u""));
    EXPECT_TRUE(file.DeleteKeyTree(u"software\\microsoft\\windows"));
    EXPECT_FALSE(file.KeyExists(u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Game 1"));
    EXPECT_FALSE(file.KeyExists(u"Software\\Microsoft\\Windows"));
    // The parent stays, also after a re-read, though only the deleted key had named it.
    RegistryFile back = RegistryFile::Parse(file.Serialize());
    EXPECT_TRUE(back.KeyExists(u"Software\\Microsoft"));
    EXPECT_TRUE(back.KeyExists(u"Software\\Wine\\Drives"));

    EXPECT_TRUE(back.DeleteValue(u"Software\\Wine\\Drives", u"E:"));
    EXPECT_FALSE(back.DeleteValue(u"Software\\Wine\\Drives", u"E:"));
    EXPECT_FALSE(back.DeleteValue(u"Software\\None", u"x"));
    std::string text = back.Serialize();
    EXPECT_EQ(text.find("cdrom"), std::string::npos);
    EXPECT_NE(text.find("future-syntax line"), std::string::npos);
}

TEST(RegistryFile, KeysWhoseNamesShareAPrefixStayApart)
{
    RegistryFile file = RegistryFile::Create(u"\\Machine", false);
    file.CreateKey(u"A\\B");
    file.CreateKey(u"A\\B!");
    file.CreateKey(u"A\\B\\C");
    file.CreateKey(u"A\\BC");
    EXPECT_EQ(file.SubKeyNames(u"A"), (std::vector<std::u16string> { u"B", u"B!", u"BC" }));
    EXPECT_TRUE(file.DeleteKeyTree(u"A\\B"));
    EXPECT_EQ(file.SubKeyNames(u"A"), (std::vector<std::u16string> { u"B!", u"BC" }));
}

TEST(RegistryFile, MalformedLinesAreKeptAndNotMistakenForValues)
{
    const std::string text = "WINE REGISTRY Version 2\n"
                             "\n"
                             "[Good] 1\n"
                             "\"a\"=\"1\"\n"
                             "\"broken\"=\"no end\n"
                             "\"b\"=dword:zz\n"
                             "[Unterminated key\n"
                             "\"orphan\"=\"belongs to no key\"\n"
                             "[Good2] 2\n"
                             "\"c\"=hex:01,\\\n"
                             "  02,\\\n"
                             "  zz\n"
                             "\"d\"=\"ok\"\r\n"
                             "junk \x01\x02 with NUL \0 inside\n"
                             "\"e\"=\"cut"s;
    RegistryFile file = RegistryFile::Parse(text);
    EXPECT_TRUE(file.FindValue(u"Good", u"a"));
    EXPECT_FALSE(file.FindValue(u"Good", u"broken"));
    EXPECT_FALSE(file.FindValue(u"Good", u"b"));
    EXPECT_FALSE(file.FindValue(u"Good", u"orphan"));
    EXPECT_FALSE(file.KeyExists(u"Unterminated key"));
    EXPECT_FALSE(file.FindValue(u"Good2", u"c"));
    EXPECT_EQ(RegistryBytesString(file.FindValue(u"Good2", u"d")->data), u"ok");
    EXPECT_FALSE(file.FindValue(u"Good2", u"e"));

    // A change elsewhere writes every line it did not understand back as it was.
    file.SetValue(u"Good", u"new", 4, { 0, 0, 0, 0 });
    std::string written = file.Serialize();
    for (std::string line : { "\"broken\"=\"no end\n", "\"b\"=dword:zz\n", "[Unterminated key\n\"orphan\"=\"belongs to no key\"\n",
             "\"c\"=hex:01,\\\n  02,\\\n  zz\n", "\"d\"=\"ok\"\r\n", "\"e\"=\"cut\n" })
        EXPECT_NE(written.find(line), std::string::npos) << line;
    EXPECT_NE(written.find(std::string("junk \x01\x02 with NUL \0 inside\n", 26)), std::string::npos);
}

TEST(RegistryFile, DuplicateKeysAndValuesMergeLaterWins)
{
    RegistryFile file = RegistryFile::Parse("WINE REGISTRY Version 2\n[K] 1\n\"a\"=\"1\"\n\"b\"=\"x\"\n[k] 2\n\"A\"=\"2\"\n");
    ASSERT_EQ(file.Values(u"K").size(), 2u);
    EXPECT_EQ(RegistryBytesString(file.FindValue(u"K", u"a")->data), u"2");
}

TEST(RegistryFile, TextWithoutHeaderOrKeys)
{
    RegistryFile empty = RegistryFile::Parse("");
    EXPECT_EQ(empty.Serialize(), "");
    EXPECT_TRUE(empty.KeyExists(u""));
    EXPECT_FALSE(empty.HasSubKeys(u""));
    RegistryFile junk = RegistryFile::Parse("\x7f"
                                            "ELF\n\n\n");
    EXPECT_EQ(junk.Serialize(), "\x7f"
                                "ELF\n");
}

TEST(RegistryFileLimits, MegabyteLinesAreReadAndKept)
{
    std::string longText(1 << 20, 'x');
    std::string hexLines;
    for (int i = 0; i < 20000; ++i)
        hexLines += "  00,01,02,\\\n";
    std::string text = "WINE REGISTRY Version 2\n\n[K] 1\n\"long\"=\"" + longText + "\"\n\"bin\"=hex:\\\n" + hexLines + "  ff\n\"junk\"=" + longText + "\n";
    RegistryFile file = RegistryFile::Parse(text);
    ASSERT_TRUE(file.FindValue(u"K", u"long"));
    EXPECT_EQ(file.FindValue(u"K", u"long")->data.size(), (longText.size() + 1) * 2);
    ASSERT_TRUE(file.FindValue(u"K", u"bin"));
    EXPECT_EQ(file.FindValue(u"K", u"bin")->data.size(), 60001u);
    EXPECT_EQ(file.Serialize(), text);
}

TEST(RegistryFileLimits, KeysBeyondTheSystemsLimitsAreRefusedAndKeptAsText)
{
    RegistryFile file = RegistryFile::Create(u"\\Machine", false);
    EXPECT_TRUE(file.CreateKey(std::u16string(255, u'a')));
    EXPECT_FALSE(file.CreateKey(std::u16string(256, u'a')));
    EXPECT_FALSE(file.SetValue(u"x\\" + std::u16string(256, u'b'), u"v", 1, { 0, 0 }));
    std::u16string deep;
    for (int i = 0; i < 513; ++i)
        deep += u"k\\";
    EXPECT_FALSE(file.CreateKey(deep));

    std::string deepLine = "[";
    for (int i = 0; i < 100000; ++i)
        deepLine += "k\\\\";
    deepLine += "] 1";
    std::string text = "WINE REGISTRY Version 2\n\n" + deepLine + "\n\"a\"=\"1\"\n";
    RegistryFile parsed = RegistryFile::Parse(text);
    EXPECT_FALSE(parsed.HasSubKeys(u""));
    EXPECT_EQ(parsed.Serialize(), text);
}

TEST(RegistryFileLimits, ContinuationStopsAtBlankLinesAndKeyLines)
{
    // A broken value ending in a backslash must not swallow the layout around it, or every
    // rewrite would move the next key.
    const std::string text = "WINE REGISTRY Version 2\n\n[A] 1\n\"x\"=hex:zz,\\\n\n[B] 2\n\"y\"=hex:01,\\\n[C] 3\n\"z\"=\"1\"\n";
    RegistryFile file = RegistryFile::Parse(text);
    EXPECT_TRUE(file.KeyExists(u"B"));
    EXPECT_TRUE(file.FindValue(u"C", u"z"));
    std::string once = file.Serialize();
    EXPECT_EQ(RegistryFile::Parse(once).Serialize(), once);
    // Only the blank line a key is written after is new.
    EXPECT_EQ(once, "WINE REGISTRY Version 2\n\n[A] 1\n\"x\"=hex:zz,\\\n\n[B] 2\n\"y\"=hex:01,\\\n\n[C] 3\n\"z\"=\"1\"\n");
}

}
}
