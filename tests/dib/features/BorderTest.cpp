#include "dib/border/cDIBBorder.h"
#include "tests/dib/control/ControlFixture.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace platform;
using dibtest::ContainerFixture;

namespace {

// Pictures whose every pixel says where it came from.
int AddPicture(TDIBImageList& list, int width, int height, const std::function<uint32_t(int x, int y)>& pixel)
{
    TDIBImagesItem& item = list.DIBImages().Add();
    TMemoryDIB picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.SetPixel(x, y, pixel(x, y));
    item.SetDIB(picture);
    return item.Index();
}

std::function<uint32_t(int, int)> Solid(uint32_t colour)
{
    return [colour](int, int) { return colour; };
}

struct BorderFixture : ::testing::Test {
    ComponentPtr<TComponent> owner { new TComponent(nullptr) };
    TDIBImageList* list = new TDIBImageList(owner.get());
    TDIBBorder* border = new TDIBBorder(owner.get());

    std::unique_ptr<TMemoryDIB> drawn;

    BorderFixture() { border->SetDIBImageList(list); }
    // The border drawn round the whole of a blank surface of this size.
    TMemoryDIB& Draw(int width, int height)
    {
        drawn = std::make_unique<TMemoryDIB>(width, height);
        drawn->Fill(0x00000000);
        border->DrawBorder(*drawn, { 0, 0, width, height });
        return *drawn;
    }
};

using Border = BorderFixture;

TEST_F(Border, WithoutPicturesItDrawsNothingAndTakesNoRoom)
{
    TMemoryDIB& surface = Draw(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(surface.Pixels(x, y), 0u);
    EXPECT_EQ(border->EdgeSizes(), (TRect { 0, 0, 0, 0 }));
    border->BorderTop().SetAutoCalcSize(false);
    EXPECT_EQ(border->EdgeSizes(), (TRect { 0, TDIBBorderEdge::DefaultSize, 0, 0 }));
}

TEST_F(Border, TilesRepeatAlongTheEdgeAndTheLastIsCut)
{
    // Rows of the middle picture are numbered 1..10.
    border->BorderLeft().MiddleImage().SetDIBIndex(AddPicture(*list, 4, 10, [](int, int y) { return uint32_t(y + 1); }));
    TMemoryDIB& surface = Draw(30, 25);
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(surface.Pixels(x, y), x < 4 ? uint32_t(y % 10 + 1) : 0u) << x << "," << y;
    }
    EXPECT_EQ(border->BorderLeft().Size(), 4);
}

TEST_F(Border, StretchSamplesNearestInSixteenSixteenSteps)
{
    // Two columns A and B of three rows, stretched over 8 pixels of the bottom edge.
    border->BorderBottom().MiddleImage().SetDIBIndex(AddPicture(*list, 2, 3, [](int x, int) { return x ? 0xBBu : 0xAAu; }));
    border->BorderBottom().SetDrawStyle(dsStretch);
    TMemoryDIB& surface = Draw(8, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(surface.Pixels(x, y), y < 7 ? 0u : (x < 4 ? 0xAAu : 0xBBu)) << x << "," << y;
}

TEST(StretchNearest, ShrinksAndGrowsByTheSameRule)
{
    TMemoryDIB source(5, 1);
    for (int x = 0; x < 5; ++x)
        source.SetPixel(x, 0, uint32_t(x));
    TMemoryDIB small(2, 1), large(7, 1);
    StretchNearest(source, small);
    StretchNearest(source, large);
    // Steps 5 * 65536 / 2 and 5 * 65536 / 7.
    EXPECT_EQ(small.Pixels(0, 0), 0u);
    EXPECT_EQ(small.Pixels(1, 0), 2u);
    const uint32_t grown[7] = { 0, 0, 1, 2, 2, 3, 4 };
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(large.Pixels(x, 0), grown[x]) << x;
}

TEST_F(Border, EndsSitInTheCornersOfTheFarEdge)
{
    TDIBVertBorderEdge& right = border->BorderRight();
    right.FirstImage().SetDIBIndex(AddPicture(*list, 3, 2, Solid(0x11)));
    right.MiddleImage().SetDIBIndex(AddPicture(*list, 2, 1, Solid(0x22)));
    right.LastImage().SetDIBIndex(AddPicture(*list, 3, 4, Solid(0x33)));
    TMemoryDIB& surface = Draw(10, 12);
    auto expected = [](int x, int y) -> uint32_t {
        if (x >= 7 && y < 2)
            return 0x11;
        if (x >= 7 && y >= 8)
            return 0x33;
        if (x >= 8 && y >= 2 && y < 8)
            return 0x22;
        return 0;
    };
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(surface.Pixels(x, y), expected(x, y)) << x << "," << y;
    EXPECT_EQ(right.Size(), 3);
    right.SetAutoCalcSize(false);
    right.SetSize(5);
    EXPECT_EQ(border->EdgeSizes().Right, 5);
}

TEST_F(Border, TopAndBottomRunBetweenTheSideEdges)
{
    border->BorderLeft().MiddleImage().SetDIBIndex(AddPicture(*list, 2, 1, Solid(0x01)));
    border->BorderRight().MiddleImage().SetDIBIndex(AddPicture(*list, 3, 1, Solid(0x02)));
    border->BorderTop().MiddleImage().SetDIBIndex(AddPicture(*list, 1, 1, Solid(0x03)));
    border->BorderBottom().MiddleImage().SetDIBIndex(AddPicture(*list, 1, 2, Solid(0x04)));
    TMemoryDIB& surface = Draw(10, 6);
    const char* rows[6] = { "1133333222", "1100000222", "1100000222", "1100000222", "1144444222", "1144444222" };
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(surface.Pixels(x, y), uint32_t(rows[y][x] - '0')) << x << "," << y;
    EXPECT_EQ(border->EdgeSizes(), (TRect { 2, 1, 3, 2 }));
}

TEST_F(Border, ARemovedImageListLeavesNoLinkBehind)
{
    border->BorderTop().MiddleImage().SetDIBIndex(AddPicture(*list, 1, 1, Solid(0x05)));
    TComponent::Free(list);
    EXPECT_EQ(border->DIBImageList(), nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(border->BorderTop().Link(i).DIBImageList(), nullptr);
    TMemoryDIB& surface = Draw(4, 4);
    EXPECT_EQ(surface.Pixels(0, 0), 0u);
}

// A framed container: gradient edges, corner pieces and one opaque child overlapping the frame.
struct FramedContainer : ContainerFixture {
    TDIBImageList* list = nullptr;
    TDIBBorder* border = nullptr;

    void SetUp() override
    {
        MakeContainer(64, 40);
        container->SetColor(0x00302010);
        list = new TDIBImageList(form.get());
        border = new TDIBBorder(form.get());
        border->SetDIBImageList(list);
        auto vertical = [](int x, int y) { return 0x00204000u | uint32_t(y * 40) << 16 | uint32_t(x * 60); };
        auto horizontal = [](int x, int y) { return 0x00002080u | uint32_t(x * 30) << 8 | uint32_t(y * 60) << 16; };
        const int corner = AddPicture(*list, 4, 4, [](int x, int y) { return (x + y) % 2 ? 0x00FFFF00u : 0x00FF00FFu; });
        const int side = AddPicture(*list, 4, 6, vertical);
        const int flat = AddPicture(*list, 7, 4, horizontal);
        for (TDIBBorderEdge* edge : { static_cast<TDIBBorderEdge*>(&border->BorderLeft()), static_cast<TDIBBorderEdge*>(&border->BorderRight()) }) {
            edge->FirstImage().SetDIBIndex(corner);
            edge->MiddleImage().SetDIBIndex(side);
            edge->LastImage().SetDIBIndex(corner);
        }
        border->BorderTop().MiddleImage().SetDIBIndex(flat);
        border->BorderBottom().MiddleImage().SetDIBIndex(flat);
        container->SetDIBBorder(border);
        auto* child = AddProbe("Child", 2, 10, 20, 12);
        child->painter = [](dibtest::TProbeDIB&, TWinDIB& work) { work.Fill(0x00E0E0E0); };
    }
    void Style(TDIBBorderDrawStyle style)
    {
        for (TDIBBorderEdge* edge : { static_cast<TDIBBorderEdge*>(&border->BorderLeft()), static_cast<TDIBBorderEdge*>(&border->BorderRight()),
                 static_cast<TDIBBorderEdge*>(&border->BorderTop()), static_cast<TDIBBorderEdge*>(&border->BorderBottom()) })
            edge->SetDrawStyle(style);
    }
};

TEST_F(FramedContainer, TiledOverAndStretchedUnderTheControls)
{
    Style(dsTile);
    container->SetBorderDrawPosition(bdOverControls);
    PaintAll();
    EXPECT_TRUE(torva::test::MatchesGolden(container->OffscreenDIB().View(), "border/tile_over_controls"));
    Style(dsStretch);
    container->SetBorderDrawPosition(bdUnderControls);
    PaintAll();
    EXPECT_TRUE(torva::test::MatchesGolden(container->OffscreenDIB().View(), "border/stretch_under_controls"));
}

TEST_F(FramedContainer, AlignedChildrenStayInsideTheFrame)
{
    EXPECT_EQ(container->AlignRect(), (TRect { 4, 4, 60, 36 }));
    auto* filler = AddProbe("Filler", 0, 0, 5, 5);
    filler->SetAlign(TAlign::alClient);
    container->AlignControls();
    EXPECT_EQ(filler->BoundsRect(), (TRect { 4, 4, 60, 36 }));
    TComponent::Free(border);
    EXPECT_EQ(container->DIBBorder(), nullptr);
    EXPECT_EQ(container->AlignRect(), container->ClientRect());
}

TEST_F(FramedContainer, ANewPictureOfTheFrameRepaintsTheContainer)
{
    PaintAll();
    TMemoryDIB red(4, 6);
    red.Fill(0x000000FF);
    list->DIBImages().Items(1)->SetDIB(red);
    PaintPending();
    // The left edge's middle starts below its 4-pixel corner.
    EXPECT_EQ(container->OffscreenDIB().Pixels(0, 30) & 0xFFFFFF, 0xFF0000u);
}

}
