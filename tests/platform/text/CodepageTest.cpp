#include "platform/text/Codepage.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Codepage, CzechLettersRoundTrip)
{
    // "Přejete si odstranit" with ř (0xF8) and the capitals Š (0x8A), Ž (0x8E), Ů (0xD9).
    std::string cp = "P\xF8"
                     "ejete \x8A\x8E\xD9";
    std::string utf8 = Cp1250ToUtf8(cp);
    EXPECT_EQ(utf8, "Přejete ŠŽŮ");
    EXPECT_EQ(Utf8ToCp1250(utf8), cp);
}

TEST(Codepage, EveryDefinedHighByteRoundTripsAndUndefinedOnesNeverAppear)
{
    const uint8_t undefined[] = { 0x81, 0x83, 0x88, 0x90, 0x98 };
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char32_t cp = Cp1250ToCodePoint(static_cast<uint8_t>(byte));
        bool isUndefined = std::find(std::begin(undefined), std::end(undefined), byte) != std::end(undefined);
        if (isUndefined) {
            EXPECT_EQ(cp, U'\uFFFD') << std::hex << byte;
            continue;
        }
        EXPECT_NE(cp, U'\uFFFD') << std::hex << byte;
        EXPECT_EQ(CodePointToCp1250(cp), byte) << std::hex << byte;
    }
    // U+FFFD itself has no byte, so the undefined bytes cannot be produced by the reverse way.
    EXPECT_EQ(CodePointToCp1250(0xFFFD), -1);
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8("\x81")), "?");
}

TEST(Codepage, SpotValues)
{
    struct {
        uint8_t byte;
        char32_t code;
    } table[] = {
        { 0x80, 0x20AC },
        { 0x8A, 0x0160 },
        { 0x9A, 0x0161 },
        { 0xA0, 0x00A0 },
        { 0xA5, 0x0104 },
        { 0xC8, 0x010C },
        { 0xE8, 0x010D },
        { 0xEC, 0x011B },
        { 0xF8, 0x0159 },
        { 0xFF, 0x02D9 },
    };
    for (auto& row : table)
        EXPECT_EQ(Cp1250ToCodePoint(row.byte), row.code) << std::hex << int(row.byte);
}

TEST(Codepage, MalformedUtf8BecomesReplacement)
{
    EXPECT_EQ(Utf8ToCp1250("a\xC3"), "a?");         // truncated sequence
    EXPECT_EQ(Utf8ToCp1250("\xC0\xAF"), "??");      // overlong
    EXPECT_EQ(Utf8ToCp1250("\xED\xA0\x80"), "???"); // surrogate
    EXPECT_EQ(Utf8ToCp1250("日本"), "??");          // not in the code page
    EXPECT_EQ(Utf8ToCp1250("x\xF0\x9F\x98\x80y", '_'), "x_y");
}

TEST(Codepage, Utf16)
{
    std::u16string wide = u"Čeština";
    std::string cp = Utf16ToCp1250(wide);
    EXPECT_EQ(cp, "\xC8"
                  "e\x9Atina");
    EXPECT_EQ(Cp1250ToUtf16(cp), wide);
}

TEST(Codepage, Validity)
{
    EXPECT_TRUE(IsValidCp1250("Hra \x8A\xE1rka\t\r\n"));
    EXPECT_FALSE(IsValidCp1250("bad \x98"));
    EXPECT_FALSE(IsValidCp1250(std::string("nul\0", 4)));
}
