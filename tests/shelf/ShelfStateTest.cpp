#include "shelf/ShelfState.h"

#include "platform/text/Codepage.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;
using platform::Utf8ToCp1250;
using shelf::ShelfIndex;
using shelf::ShelfState;

namespace {

const fs::path SampleShelf = TORVA_SAMPLE_SHELF;

// Runs a line of operations: words are keys, "type:TEXT" types the text (UTF-8, "_" a blank).
void Apply(ShelfState& state, const std::string& operations)
{
    std::istringstream words(operations);
    std::string word;
    while (words >> word) {
        if (word.rfind("type:", 0) == 0) {
            std::string text = Utf8ToCp1250(word.substr(5));
            for (char c : text)
                state.Type(c == '_' ? ' ' : c);
        } else if (word == "down")
            state.Step(1);
        else if (word == "up")
            state.Step(-1);
        else if (word == "pgdn")
            state.PageBy(1);
        else if (word == "pgup")
            state.PageBy(-1);
        else if (word == "home")
            state.Home();
        else if (word == "end")
            state.End();
        else if (word == "back")
            state.Backspace();
        else if (word == "esc")
            state.Escape();
        else if (word.rfind("click:", 0) == 0)
            state.SelectOnPage(std::stoi(word.substr(6)));
        else
            FAIL() << "unknown operation " << word;
    }
}

}

// Keys on the sample shelf's eight discs, three rows a page: the selection stays on the page,
// typing filters across the discs and resets the selection, Backspace and Escape edit the query,
// and Enter opens the selected disc (on the item for a hit) but not a damaged one.
TEST(ShelfStateTest, KeysMoveTheSelectionAndTypingSearchesEveryDisc)
{
    if (!fs::exists(SampleShelf / "Torva 02-2006.iso"))
        GTEST_SKIP() << "no sample shelf: neither xorriso nor genisoimage was found";
    fs::path folder = torva::test::FreshTestFolder("state");
    ShelfIndex index = ShelfIndex::Build({ { SampleShelf }, folder / "index", std::nullopt, true });
    struct Row {
        const char* operations;
        const char* query; // UTF-8
        size_t rows;
        int selected;
        int top;
        const char* opens; // the source Enter opens, relative to the shelf; "" for nothing
        int item;          // the opened item's number, 0 for the disc
    };
    const Row rows[] = {
        { "", "", 8, 0, 0, "", 0 }, // the first disc lacks the catalogue
        { "down", "", 8, 1, 0, "Torva 02-2006.iso", 0 },
        { "down down down", "", 8, 3, 1, "Torva 05-2006.cue", 0 },
        { "down down down up up up up", "", 8, 0, 0, "", 0 },
        { "end", "", 8, 7, 5, "Torva 12-2006.iso", 0 },
        { "end pgup", "", 8, 5, 5, "Torva 11-2005.iso", 0 },
        { "pgdn pgdn pgdn pgdn home", "", 8, 0, 0, "", 0 },
        { "pgdn pgdn click:1", "", 8, 3, 2, "Torva 05-2006.cue", 0 },
        { "end up up up", "", 8, 4, 4, "", 0 }, // the cut image
        { "click:3", "", 8, 0, 0, "", 0 },
        { "down type:zlutoucky_kun", "zlutoucky kun", 2, 0, 0, "Torva 02-2006.iso", 1 },
        { "type:ŽLUŤOUČKÝ end", "ŽLUŤOUČKÝ", 2, 1, 0, "Torva 03-2007", 4 },
        { "type:zlutoucky_kunx", "zlutoucky kunx", 0, -1, 0, "", 0 },
        { "type:zlutoucky_kunx back", "zlutoucky kun", 2, 0, 0, "Torva 02-2006.iso", 1 },
        { "type:zl esc", "", 8, 0, 0, "", 0 },
        { "type:___", "   ", 8, 0, 0, "", 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.operations);
        ShelfState state(3);
        state.SetIndex(&index);
        Apply(state, row.operations);
        EXPECT_EQ(state.Query(), Utf8ToCp1250(row.query));
        EXPECT_EQ(state.RowCount(), row.rows);
        EXPECT_EQ(state.Selected(), row.selected);
        EXPECT_EQ(state.Top(), row.top);
        auto opening = state.Enter();
        if (!*row.opens) {
            EXPECT_FALSE(opening.has_value());
            continue;
        }
        ASSERT_TRUE(opening.has_value());
        EXPECT_EQ(opening->source, SampleShelf / row.opens);
        EXPECT_EQ(opening->hit ? opening->hit->number : 0, row.item);
    }
}

// Escape clears a query first and only then asks to leave; a damaged disc's row says why.
TEST(ShelfStateTest, EscapeClearsTheQueryBeforeLeavingAndDamagedDiscsSayWhy)
{
    if (!fs::exists(SampleShelf / "Torva 02-2006.iso"))
        GTEST_SKIP() << "no sample shelf: neither xorriso nor genisoimage was found";
    fs::path folder = torva::test::FreshTestFolder("escape");
    ShelfIndex index = ShelfIndex::Build({ { SampleShelf }, folder / "index", std::nullopt, true });
    ShelfState state(3);
    state.SetIndex(&index);
    EXPECT_EQ(state.Problem(0), Utf8ToCp1250("chybí katalog"));
    EXPECT_EQ(state.Problem(4), Utf8ToCp1250("neúplný obraz"));
    EXPECT_EQ(state.Problem(1), "");
    state.Type('x');
    EXPECT_TRUE(state.Escape());
    EXPECT_EQ(state.Query(), "");
    EXPECT_FALSE(state.Escape());
}
