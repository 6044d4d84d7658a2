// Damaged shortcuts are refused with an error that names the field, never read past their end.

#include "shell/LnkFormat.h"
#include "shell/testing/LnkWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::vector<uint8_t> ReadSeed(const std::string& name)
{
    std::ifstream in(std::filesystem::path(TORVA_SOURCE_DIR) / "fuzz" / "shell" / "seeds" / name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ErrorOf(const std::vector<uint8_t>& bytes)
{
    auto link = shell::ParseLnk(bytes, "Hra.lnk");
    return link ? "accepted" : link.Error().Message();
}

TEST(LnkMalformed, SeedsAreRefusedNamingTheField)
{
    struct Case {
        const char* seed;
        const char* mentions;
    };
    const Case cases[] = {
        { "truncated_header.lnk", "header at offset 0" },
        { "idlist_past_end.lnk", "ID list at offset 78" },
        { "idlist_item_size_one.lnk", "ID list item size" },
        { "linkinfo_size_small.lnk", "link info size" },
        { "linkinfo_size_huge.lnk", "link info at offset" },
        { "linkinfo_offset_past_end.lnk", "local base path" },
        { "string_length_lies.lnk", "relative path string" },
        { "cut_in_string_data.lnk", "string" },
    };
    for (const Case& c : cases) {
        std::string error = ErrorOf(ReadSeed(c.seed));
        EXPECT_EQ(error.rfind("Hra.lnk: shortcut: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.seed << ": " << error;
    }
}

TEST(LnkMalformed, NotAShortcut)
{
    std::vector<uint8_t> good = shell::WriteLnk({});
    std::vector<uint8_t> wrongSize = good;
    wrongSize[0] = 0x4D;
    EXPECT_NE(ErrorOf(wrongSize).find("header size"), std::string::npos);
    std::vector<uint8_t> wrongClass = good;
    wrongClass[0x04] ^= 0xFF;
    EXPECT_NE(ErrorOf(wrongClass).find("class identifier"), std::string::npos);
    EXPECT_NE(ErrorOf({}).find("header"), std::string::npos);
}

TEST(LnkMalformed, UnterminatedLinkInfoStrings)
{
    shell::LnkContents contents;
    contents.localBasePath = "C:\\X.EXE";
    std::vector<uint8_t> bytes = shell::WriteLnk(contents);
    // The LinkInfo is the last structure before the terminal block; fill its string bytes.
    uint32_t infoSize = bytes[0x4C] | bytes[0x4D] << 8;
    for (size_t i = 0x4C + 0x1C; i < 0x4C + infoSize; ++i) {
        if (bytes[i] == 0)
            bytes[i] = 'x';
    }
    EXPECT_NE(ErrorOf(bytes).find("offset"), std::string::npos);
}

// Extra data only adds to what the header and strings say: a damaged block keeps the rest.
TEST(LnkMalformed, DamagedExtraDataKeepsTheProperties)
{
    shell::LnkContents contents;
    contents.localBasePath = "C:\\G\\RUN.EXE";
    contents.workingDir = "C:\\G";
    std::vector<uint8_t> bytes = shell::WriteLnk(contents);
    bytes.resize(bytes.size() - 4); // drop the terminal block
    for (uint8_t byte : { 0x40, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0xA0 })
        bytes.push_back(byte); // a tracker block claiming 64 bytes, with 0 following
    shell::LnkFile link = shell::ParseLnk(bytes, "test.lnk").Value();
    EXPECT_TRUE(link.extraDataDamaged);
    EXPECT_EQ(shell::ResolveTarget(link), "C:\\G\\RUN.EXE");
    EXPECT_EQ(link.workingDir.value_or(""), "C:\\G");

    bytes.resize(bytes.size() - 8); // no terminal block at all is accepted
    EXPECT_FALSE(shell::ParseLnk(bytes, "test.lnk").Value().extraDataDamaged);
}

TEST(LnkMalformed, ForceNoLinkInfoIgnoresTheStructure)
{
    shell::LnkContents contents;
    contents.localBasePath = "C:\\Ignored.exe";
    contents.idListPath = "C:\\Used\\Run.exe";
    contents.extraFlags = shell::LinkFlag::ForceNoLinkInfo;
    shell::LnkFile link = shell::ParseLnk(shell::WriteLnk(contents), "test.lnk").Value();
    EXPECT_FALSE(link.linkInfo);
    EXPECT_EQ(shell::ResolveTarget(link), "C:\\Used\\Run.exe");
}

TEST(LnkMalformed, RelativePathNeverClimbsAboveTheDrive)
{
    shell::LnkContents contents;
    contents.relativePath = "..\\..\\..\\..\\X.EXE";
    shell::LnkFile link = shell::ParseLnk(shell::WriteLnk(contents), "test.lnk").Value();
    EXPECT_EQ(shell::ResolveTarget(link, "C:\\A\\"), "C:\\X.EXE");
    EXPECT_EQ(shell::ResolveTarget(link), "");
}

}
