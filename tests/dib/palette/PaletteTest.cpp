#include "dib/palette/cDIBPalette.h"
#include "tests/support/FormRig.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

struct PaletteFixture : ::testing::Test, torva::test::FormRig<> {};

std::vector<uint8_t> ColoursStream(uint8_t seed)
{
    std::vector<uint8_t> data;
    for (int i = 0; i < TDIBPalette::EntryCount; ++i)
        data.insert(data.end(), { uint8_t(seed + i), uint8_t(i), uint8_t(255 - i), uint8_t(i & 1) });
    return data;
}

using Palette = PaletteFixture;

TEST_F(Palette, OnlyAFormMayOwnIt)
{
    try {
        TDIBPalette palette(nullptr);
        FAIL() << "no owner accepted";
    } catch (const EDIBPaletteError& e) {
        EXPECT_STREQ(e.what(), "Palette owner must be a TCustomForm.");
    }
    ComponentPtr<TComponent> plain(new TComponent(nullptr));
    EXPECT_THROW(new TDIBPalette(plain.get()), EDIBPaletteError);
    EXPECT_EQ(plain->ComponentCount(), 0);
}

TEST_F(Palette, StartsAsAGreyRampWithoutTable)
{
    auto* palette = new TDIBPalette(form.get());
    EXPECT_EQ(FindDIBPalette(*form), palette);
    EXPECT_EQ(palette->PaletteEntries()[0], (TDIBPaletteEntry { 255, 255, 255, 0 }));
    EXPECT_EQ(palette->PaletteEntries()[234], (TDIBPaletteEntry { 21, 21, 21, 0 }));
    EXPECT_EQ(palette->Entries()[100], 0x9B9B9Bu);
    EXPECT_EQ(palette->LookupTable(), nullptr);
}

TEST_F(Palette, ColourStreamsOfAnyWrongLengthAreRefused)
{
    auto* palette = new TDIBPalette(form.get());
    const auto before = palette->PaletteEntries();
    palette->ReadColors({});
    EXPECT_EQ(palette->PaletteEntries(), before);
    for (size_t length : { size_t(1), size_t(4), size_t(939), size_t(941), size_t(1880) }) {
        try {
            palette->ReadColors(std::vector<uint8_t>(length, 7));
            ADD_FAILURE() << length << " bytes accepted";
        } catch (const EDIBPaletteError& e) {
            EXPECT_STREQ(e.what(), "Invalid palette stream.");
        }
        EXPECT_EQ(palette->PaletteEntries(), before) << length;
    }
}

TEST_F(Palette, ColoursRoundTripAndReachTheDisplayPalette)
{
    auto* palette = new TDIBPalette(form.get());
    const auto data = ColoursStream(40);
    palette->ReadColors(data);
    EXPECT_EQ(palette->WriteColors(), data);
    EXPECT_EQ(palette->PaletteEntries()[3], (TDIBPaletteEntry { 43, 3, 252, 1 }));
    EXPECT_EQ(palette->Entries()[3], 0x2B03FCu);
}

TEST_F(Palette, TableFollowsUseTableAndTheColoursAndIsStoredWhileInUse)
{
    auto* palette = new TDIBPalette(form.get());
    palette->SetUseTable(true);
    ASSERT_NE(palette->LookupTable(), nullptr);
    std::vector<uint8_t> expected(IDIBLookupPalette::LookupTableSize);
    BuildDIBLookupTable(palette->PaletteEntries(), expected.data());
    EXPECT_EQ(palette->WriteTable(), expected);

    // New colours outside loading must not leave the old table behind.
    palette->ReadColors(ColoursStream(90));
    BuildDIBLookupTable(palette->PaletteEntries(), expected.data());
    EXPECT_EQ(palette->WriteTable(), expected);
    palette->SetPaletteEntry(0, { 1, 2, 3, 0 });
    EXPECT_EQ(palette->LookupTable()[0], 0);

    // The table is stored only while in use.
    auto hasData = [&](const char* name) {
        TFiler filer;
        palette->DefineProperties(filer);
        const DefinedProperty* p = filer.Find(name);
        return p && p->hasData;
    };
    EXPECT_TRUE(hasData("DIBPaletteTable"));
    palette->SetUseTable(false);
    EXPECT_EQ(palette->LookupTable(), nullptr);
    EXPECT_TRUE(hasData("DIBPaletteColors"));
    EXPECT_FALSE(hasData("DIBPaletteTable"));
}

TEST_F(Palette, TableStreamsAreCheckedForLengthAndIndices)
{
    auto* palette = new TDIBPalette(form.get());
    palette->ReadTable({});
    EXPECT_EQ(palette->LookupTable(), nullptr);
    for (size_t length : { size_t(1), size_t(262143), size_t(262145) })
        EXPECT_THROW(palette->ReadTable(std::vector<uint8_t>(length, 0)), EDIBPaletteError) << length;
    std::vector<uint8_t> table(TDIBPalette::TableStreamSize, 5);
    table[1000] = 235;
    EXPECT_THROW(palette->ReadTable(table), EDIBPaletteError);
    table[1000] = 234;
    palette->ReadTable(table);
    ASSERT_NE(palette->LookupTable(), nullptr);
    EXPECT_EQ(palette->LookupTable()[1000], 234);
}

TEST_F(Palette, LoadingDefersTheTableUntilLoaded)
{
    auto* palette = new TDIBPalette(form.get());
    palette->BeginLoading();
    palette->SetUseTable(true);
    // A stored table is taken as it is until loading ends; then it is computed afresh.
    palette->ReadTable(std::vector<uint8_t>(TDIBPalette::TableStreamSize, 9));
    palette->ReadColors(ColoursStream(0));
    EXPECT_EQ(palette->LookupTable()[0], 9);
    palette->Loaded();
    std::vector<uint8_t> expected(IDIBLookupPalette::LookupTableSize);
    BuildDIBLookupTable(palette->PaletteEntries(), expected.data());
    EXPECT_EQ(palette->WriteTable(), expected);
}

TEST_F(Palette, AFormDeletedOutrightTakesItsPaletteAlong)
{
    // No Free: the palette goes while the form is already being taken apart.
    auto* owner = new TForm(nullptr);
    new TDIBPalette(owner);
    EXPECT_TRUE(owner->PresentProc());
    delete owner;
}

}
