#include "platform/strings/StringTable.h"
#include "platform/text/Codepage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using namespace platform;

struct CzechText {
    uint32_t id;
    const char* text;
};

// The texts as the menu shows them, in code page 1250.
const CzechText kCzech[] = {
    { 111, "P\xF8"
           "ejete si odstranit v\x9A"
           "echny soubory z %1 ?" },
    { 113, "V\x9A"
           "echny soubory najdete na CD v adres\xE1\xF8i \\SHAREWARE" },
    { 127, "Nemohu vymazat soubor %1 ! Je pravd\xECpodobn\xEC pou\x9E\xEDv\xE1n nebo otev\xF8"
           "en jinou aplikac\xED. Zav\xF8"
           "ete v\x9A"
           "echny aplikace nebo restartujte a zkuste znovu..." },
    { 133, "V t\xE9to obrazovce m\xF9\x9E"
           "ete odinstalov\xE1vat v\x9A"
           "echny nainstalovan\xE9 demoverze od \xE8\xEDsla 1-98!" },
    { 134, "Po odinstalaci zbylo v adres\xE1\xF8i %1 n\xECkolik soubor\xF9. V\xECt\x9Ainou se jedn\xE1 ulo\x9E"
           "en\xE9 pozice, obr\xE1zky \xE8i do\xE8"
           "asn\xE9 soubory, kter\xE9 nebyly odstran\xECny. Chcete je v\x9A"
           "echny smazat? (doporu\xE8ujeme)" },
    { 135, "Opravdu chcete smazat %1 MB dat?" },
    { 161, "Updaty jsou programy od v\xFDrobce hry, kter\xE9 opravuj\xED chyby, p\xF8\xEDpadn\xEC p\xF8id\xE1vaj\xED nov\xE9 mo\x9Enosti. Po kliknut\xED na P\xD8"
           "E\xC8TI SI se zobraz\xED pokyny pro instalaci a seznam oprav, kter\xE9 update obsahuje." },
};

const uint32_t kMessages[] = { 11, 13, 27, 33, 34, 35, 61 };

TEST(StringTableTest, CzechTextsAreExact)
{
    for (const CzechText& entry : kCzech)
        EXPECT_EQ(LoadString(entry.id), entry.text) << entry.id;
}

TEST(StringTableTest, EveryLanguageHasEveryMessageWithItsMarker)
{
    std::ifstream in(std::string(TORVA_SOURCE_DIR) + "/resources/strings/StringTable.txt", std::ios::binary);
    std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto utf8 = ParseStringTable(source);
    for (uint32_t language = 0; language < 6; ++language) {
        for (uint32_t n : kMessages) {
            uint32_t id = 100 * language + n;
            std::string text = LoadString(id);
            ASSERT_FALSE(text.empty()) << id;
            // Nothing was lost on the way to the code page.
            EXPECT_EQ(Cp1250ToUtf8(text), utf8[id]) << id;
            bool takesArgument = n == 11 || n == 27 || n == 34 || n == 35;
            size_t marker = text.find("%1");
            EXPECT_EQ(marker != std::string::npos, takesArgument) << id;
            if (takesArgument) {
                EXPECT_LT(marker, 255u) << id;
            }
        }
    }
    EXPECT_EQ(utf8.size(), 42u);
}

TEST(StringTableTest, LoadSpecialReplacesTheFirstMarkerOnly)
{
    EXPECT_EQ(LoadSpecial(135, "12"), "Opravdu chcete smazat 12 MB dat?");
    EXPECT_EQ(LoadSpecial(111, "C:\\Hry\\%1\\"), "P\xF8"
                                                 "ejete si odstranit v\x9A"
                                                 "echny soubory z C:\\Hry\\%1\\ ?");
    EXPECT_EQ(LoadSpecial(113, "ignored"), LoadString(113));
    EXPECT_EQ(LoadString(99999), "");
    EXPECT_EQ(LoadSpecial(99999, "x"), "");
}

TEST(StringTableTest, SourceFormat)
{
    auto table = ParseStringTable(
        "# comment\r\n"
        "\n"
        "7 first\r\n"
        "7 second wins not\n"
        "8 a\\\\b\\nc\\x\n"
        "9\n"
        " 10 leading blank\n"
        "-1 negative\n"
        "0x10 hex\n"
        "99999999999 too big\n"
        "12 \n"
        "13 last line without break");
    EXPECT_EQ(table, (std::map<uint32_t, std::string> { { 7, "first" }, { 8, "a\\b\nc\\x" }, { 12, "" }, { 13, "last line without break" } }));
}

}
