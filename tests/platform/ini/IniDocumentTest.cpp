#include "platform/ini/IniDocument.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using platform::IniDocument;
using namespace std::string_literals;

const std::string kSample =
    "; catalogue\r\n"
    "orphan=before any section\r\n"
    "[Main]\r\n"
    "Demos = 12 \r\n"
    "Name=  \"  Quoted Name  \"  \r\n"
    "Single='x'\r\n"
    "Mixed=\"x'\r\n"
    "Lone=\"\r\n"
    "Empty=\r\n"
    "  ; Comment=not a key\r\n"
    "no equals sign here\r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "a=b=c\r\n"
    "P\xF8"
    "ehled=accented\r\n"
    "[main]\r\n"
    "Shadowed=yes\r\n"
    "[  Demo1  ]trailing junk\r\n"
    "name=R&&D\n"
    "[Unterminated\r\n"
    "after=after a header without its bracket\r\n"
    "nul=ab\0cd\r\n"
    "[Last]\r\n"
    "k=no line break at the end"s;

TEST(IniDocumentTest, ReadsAsTheProfileFunctionsDo)
{
    IniDocument document = IniDocument::Parse(kSample);
    const struct {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    } cases[] = {
        { "Main", "Demos", "12" },
        { "MAIN", "demos", "12" },
        { " Main ", " Demos ", "12" },
        { "Main", "Name", "  Quoted Name  " },
        { "Main", "Single", "x" },
        { "Main", "Mixed", "\"x'" },
        { "Main", "Lone", "\"" },
        { "Main", "Empty", "" },
        { "Main", "; Comment", std::nullopt },
        { "Main", "no equals sign here", std::nullopt },
        { "Main", "dup", "first" },
        { "Main", "a", "b=c" },
        { "MAIN", "p\xD8"
                  "EHLED",
            "accented" },
        { "Main", "Shadowed", std::nullopt },
        { "Main", "orphan", std::nullopt },
        { "Demo1", "NAME", "R&&D" },
        { "Unterminated", "after", "after a header without its bracket" },
        { "Unterminated", "nul", "ab" },
        { "Last", "k", "no line break at the end" },
        { "Missing", "k", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(document.Value(c.section, c.key), c.expected) << "[" << c.section << "] " << c.key;
}

// A repeated section or key is listed as often as it appears, though only its first is read.
TEST(IniDocumentTest, NamesInFileOrderAsOftenAsTheyAppear)
{
    IniDocument document = IniDocument::Parse(kSample);
    EXPECT_EQ(document.SectionNames(), (std::vector<std::string> { "Main", "main", "Demo1", "Unterminated", "Last" }));
    EXPECT_EQ(document.KeyNames("main"),
        (std::vector<std::string> { "Demos", "Name", "Single", "Mixed", "Lone", "Empty", "dup", "DUP", "a", "P\xF8"
                                                                                                            "ehled" }));
    auto entries = document.Entries("Main");
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries[6], (std::pair<std::string, std::string> { "dup", "first" }));
    EXPECT_EQ(entries[7], (std::pair<std::string, std::string> { "DUP", "second" }));
    EXPECT_TRUE(document.KeyNames("Nowhere").empty());
}

// Malformed files as the profile functions of Windows read them (Wine's conformance tests of
// those functions record what Windows does).
TEST(IniDocumentTest, ReadsMalformedFilesAsWindowsDoes)
{
    struct Case {
        const char* text;
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const char* crOnly = "[section1]\rname1=val1\rname2=\"val2\"\rname3\rname4=a\r[section2]\r";
    const char* oddNames = "\r\nkey=val_no_section\r\n[]\r\nkey=val_e_section\r\n[s]\r\n=val_no_key\r\n[t]\r\n";
    const Case cases[] = {
        { crOnly, "section1", "name1", "val1" },
        { crOnly, "section1", "NaMe2", "val2" },
        { crOnly, "section1", "name4", "a" },
        { crOnly, "section1", "name3", std::nullopt },
        { crOnly, "section2", "name1", std::nullopt },
        { oddNames, "", "key", "val_e_section" },
        { oddNames, "t", "key", std::nullopt },
        { "[section1\r\nname1=val1\r\n", "section1", "name1", "val1" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(IniDocument::Parse(c.text).Value(c.section, c.key), c.expected) << c.text << " [" << c.section << "] " << c.key;
    IniDocument document = IniDocument::Parse(crOnly);
    EXPECT_EQ(document.SectionNames(), (std::vector<std::string> { "section1", "section2" }));
    EXPECT_EQ(document.KeyNames("section1"), (std::vector<std::string> { "name1", "name2", "name4" }));
    ASSERT_TRUE(document.SetValue("section2", "k", "v"));
    EXPECT_EQ(document.Text(), std::string(crOnly) + "k=v\r\n") << "the lines kept their endings";
}

TEST(IniDocumentTest, JunkNeverStopsTheParse)
{
    std::string junk = std::string("\xFF\xFE\0\0[A]\0x=1\r\n", 13) + std::string(1 << 20, 'z') + "\n[B]\nk=v\n\r\r\n[C\n=\n[]\nq=empty name\n";
    IniDocument document = IniDocument::Parse(junk);
    EXPECT_EQ(document.Value("B", "k"), "v");
    EXPECT_EQ(document.Value("", "q"), "empty name");
    EXPECT_EQ(document.Text(), junk) << "nothing changes until an edit";
}

// Each edit changes its own lines and keeps every other line as it was.
TEST(IniDocumentTest, EditsKeepEveryOtherLineAsItWas)
{
    const struct {
        const char* name;
        std::string before;
        std::function<bool(IniDocument&)> edit;
        std::string after;
    } cases[] = {
        { "ReplaceKeepsSpelling", "; c\n[Main]\nKey = old\nodd line\n",
            [](IniDocument& d) { return d.SetValue("MAIN", "key", "new"); }, "; c\n[Main]\nKey=new\nodd line\n" },
        { "SameValueNoChange", "[Main]\nKey = same \n",
            [](IniDocument& d) { return d.SetValue("main", "KEY", "same"); }, "[Main]\nKey = same \n" },
        { "AddAfterLastEntry", "[A]\r\nx=1\r\n; about B\r\n[B]\r\ny=2",
            [](IniDocument& d) { return d.SetValue("a", "z", "3"); }, "[A]\r\nx=1\r\nz=3\r\n; about B\r\n[B]\r\ny=2" },
        { "AddAtEndWithoutLineBreak", "[B]\r\ny=2",
            [](IniDocument& d) { return d.SetValue("B", "z", "3"); }, "[B]\r\ny=2\r\nz=3\r\n" },
        { "AddToEmptySection", "[A]\n[B]\n",
            [](IniDocument& d) { return d.SetValue("A", "k", "v"); }, "[A]\nk=v\r\n[B]\n" },
        { "NewSection", "[A]\nx=1",
            [](IniDocument& d) { return d.SetValue("CD0206", "HRA", "C:\\HRA\\"); }, "[A]\nx=1\r\n\r\n[CD0206]\r\nHRA=C:\\HRA\\\r\n" },
        { "NewFile", "",
            [](IniDocument& d) { return d.SetValue("Main", "Language", "1"); }, "[Main]\r\nLanguage=1\r\n" },
        { "DeleteKeyAndItsDuplicates", "[A]\nk=1\nother=2\nK=3\n[B]\nk=4\n",
            [](IniDocument& d) { return d.DeleteKey("a", "K"); }, "[A]\nother=2\n[B]\nk=4\n" },
        { "DeleteMissingKey", "[A]\nk=1\n",
            [](IniDocument& d) { return d.DeleteKey("A", "none") && d.DeleteKey("None", "k"); }, "[A]\nk=1\n" },
        { "DeleteSectionKeepsFollowingComments", "[A]\nk=1\n\n; about B\n[B]\nx=2\n[a]\nm=3\n",
            [](IniDocument& d) { return d.DeleteSection("A"); }, "\n; about B\n[B]\nx=2\n" },
        { "ShadowedSectionIsNotEdited", "[A]\nk=1\n[A]\nk=2\n",
            [](IniDocument& d) { return d.SetValue("A", "k", "9"); }, "[A]\nk=9\n[A]\nk=2\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument document = IniDocument::Parse(c.before);
        EXPECT_TRUE(c.edit(document));
        EXPECT_EQ(document.Text(), c.after);
        EXPECT_EQ(document.Modified(), c.before != c.after);
    }
}

TEST(IniDocumentTest, RefusesTextsThatWouldBreakOtherEntries)
{
    const std::string before = "[A]\nk=1\n";
    IniDocument document = IniDocument::Parse(before);
    EXPECT_FALSE(document.SetValue("A", "k", "line\r\n[Injected]\r\nx=1"));
    EXPECT_FALSE(document.SetValue("A", "k=v", "1"));
    EXPECT_FALSE(document.SetValue("A]x", "k", "1"));
    EXPECT_FALSE(document.SetValue("A", "", "1"));
    EXPECT_FALSE(document.SetValue("A", ";k", "1"));
    EXPECT_FALSE(document.SetValue("A", "k", std::string("a\0b", 3)));
    EXPECT_EQ(document.Text(), before);
    EXPECT_FALSE(document.Modified());
}

TEST(IniDocumentTest, EditedDocumentReadsBack)
{
    IniDocument document = IniDocument::Parse("[CD0206]\nHRA=C:\\X\\\n");
    ASSERT_TRUE(document.SetValue("CD0206", "HRA_", "hra.exe,,,1"));
    ASSERT_TRUE(document.SetValue("Main", "0206", "Torva"));
    ASSERT_TRUE(document.DeleteKey("cd0206", "hra"));
    IniDocument reread = IniDocument::Parse(document.Text());
    for (const IniDocument* d : { &document, &reread }) {
        EXPECT_EQ(d->Value("CD0206", "HRA_"), "hra.exe,,,1");
        EXPECT_EQ(d->Value("CD0206", "HRA"), std::nullopt);
        EXPECT_EQ(d->Value("main", "0206"), "Torva");
        EXPECT_EQ(d->SectionNames(), (std::vector<std::string> { "CD0206", "Main" }));
    }
}

}
