#include "BrowseFixture.h"

#include "platform/components/ComCtrls.h"
#include "platform/window/HeadlessWindow.h"

namespace {

class Effects : public BrowseFixture {
protected:
    // Demo 1 has a series of `pictures` (picture n is 20 + n pixels wide), demo 2 none.
    TForm1& OpenGallery(int pictures, const std::string& mainKeys = "", const std::string& sections = "")
    {
        WriteSeries("GAL", pictures);
        WriteSmallBitmap("GAL01", 0xFFFF0000);
        WriteSmallBitmap("PLAIN", 0xFF00FF00);
        return Open("[Main]\nCD=0206\nDemos=2\n" + mainKeys + "[Demo1]\nName=A\nPicture=GAL\n[Demo2]\nName=B\nPicture=PLAIN\n"
            + sections);
    }

    // The viewer shows picture n when it is 20 + n wide.
    int ShownPicture() const { return form->DIBImage2->Width() - 20; }
    void OpenViewer()
    {
        form->DIBImage4Click(form->DIBImage4);
        Wait(100);
    }
};

TEST_F(Effects, SmallPictureGlowsUnderThePointerOnlyWithASeries)
{
    auto& f = OpenGallery(2);
    ASSERT_EQ(f.DIBImage4->Opacity(), 150);
    f.DIBImage4MouseEnter(f.DIBImage4);
    std::vector<int> opacities;
    for (int i = 0; i < 12; ++i) {
        Wait(50);
        opacities.push_back(f.DIBImage4->Opacity());
    }
    EXPECT_EQ(opacities, (std::vector<int> { 160, 170, 180, 190, 200, 210, 220, 230, 240, 250, 255, 255 }));
    f.DIBImage4MouseLeave(f.DIBImage4);
    Wait(50);
    EXPECT_EQ(f.DIBImage4->Opacity(), 245);
    Wait(50 * 20);
    EXPECT_EQ(f.DIBImage4->Opacity(), 145);

    Key(platform::VK_DOWN);
    ASSERT_FALSE(f.HasGallery);
    ASSERT_EQ(f.DIBImage4->Opacity(), 240);
    f.DIBImage4MouseEnter(f.DIBImage4);
    Wait(500);
    EXPECT_EQ(f.DIBImage4->Opacity(), 240);
}

TEST_F(Effects, EnteringThePictureUndoesTheButtonsHover)
{
    auto& f = OpenGallery(1);
    f.ReadmeCoverMouseMove(nullptr, 0, 0, 0);
    ASSERT_TRUE(f.ReadmeDIBImage->Visible());
    f.DIBImage4MouseEnter(f.DIBImage4);
    EXPECT_FALSE(f.ReadmeDIBImage->Visible());
    EXPECT_EQ(f.HelpLabel->Caption(), "");
}

TEST_F(Effects, ViewerFadesInWithTheArrowsHalfway)
{
    auto& f = OpenGallery(3);
    f.DIBImage4Click(f.DIBImage4);
    EXPECT_TRUE(f.DIBImage2->Visible());
    EXPECT_TRUE(f.DIBImage1->Visible());
    EXPECT_TRUE(f.RightArrow->Visible());
    EXPECT_FALSE(f.LeftArrow->Visible());
    EXPECT_EQ(ShownPicture(), 1);
    std::vector<int> picture, arrows;
    for (int i = 0; i < 8; ++i) {
        Wait(10);
        picture.push_back(f.DIBImage2->Opacity());
        arrows.push_back(f.RightArrow->Opacity());
    }
    EXPECT_EQ(picture, (std::vector<int> { 40, 80, 120, 160, 200, 240, 255, 255 }));
    EXPECT_EQ(arrows, (std::vector<int> { 40, 80, 120, 120, 120, 120, 120, 120 }));
    EXPECT_FALSE(f.DIBTimer3->Enabled());
}

TEST_F(Effects, ArrowsAreIgnoredWhileTheViewerIsFading)
{
    auto& f = OpenGallery(3);
    f.DIBImage4Click(f.DIBImage4);
    Wait(20);
    f.RightArrowClick(f.RightArrow);
    EXPECT_EQ(f.PictureNumber, 1);
    Wait(10);
    f.RightArrowClick(f.RightArrow);
    EXPECT_EQ(f.PictureNumber, 2);
}

TEST_F(Effects, PagingThroughThreePictures)
{
    auto& f = OpenGallery(3);
    OpenViewer();
    f.RightArrowClick(f.RightArrow);
    EXPECT_EQ(ShownPicture(), 2);
    EXPECT_TRUE(f.LeftArrow->Visible());
    EXPECT_TRUE(f.RightArrow->Visible());
    f.RightArrowClick(f.RightArrow);
    EXPECT_EQ(ShownPicture(), 3);
    EXPECT_FALSE(f.RightArrow->Visible());
    f.LeftArrowClick(f.LeftArrow);
    f.LeftArrowClick(f.LeftArrow);
    EXPECT_EQ(ShownPicture(), 1);
    EXPECT_EQ(f.PictureNumber, 1);
    EXPECT_TRUE(f.RightArrow->Visible());
    EXPECT_TRUE(f.LeftArrow->Visible());
    f.LeftArrowClick(f.LeftArrow);
    EXPECT_FALSE(f.LeftArrow->Visible());
    EXPECT_EQ(ShownPicture(), 1);
    // The arrow keys page too while the viewer is open.
    Key(platform::VK_RIGHT);
    EXPECT_EQ(ShownPicture(), 2);
    Key(platform::VK_LEFT);
    EXPECT_EQ(ShownPicture(), 1);
}

TEST_F(Effects, PictureTenIsNumberedInPlainDecimal)
{
    auto& f = OpenGallery(11);
    OpenViewer();
    for (int i = 0; i < 9; ++i)
        f.RightArrowClick(f.RightArrow);
    EXPECT_EQ(ShownPicture(), 10);
    EXPECT_TRUE(f.RightArrow->Visible());
    f.RightArrowClick(f.RightArrow);
    EXPECT_EQ(ShownPicture(), 11);
    EXPECT_FALSE(f.RightArrow->Visible());
}

TEST_F(Effects, RightClickClosesTheViewerLeftClickDoesNot)
{
    auto& f = OpenGallery(2);
    OpenViewer();
    f.DIBImage1MouseDown(f.DIBImage2, platform::TMouseButton::mbLeft, 0, 5, 5);
    Wait(200);
    EXPECT_TRUE(f.DIBImage2->Visible());
    EXPECT_EQ(f.DIBImage2->Opacity(), 255);

    f.DIBImage1MouseDown(f.DIBImage1, platform::TMouseButton::mbRight, 0, 5, 5);
    Wait(10);
    EXPECT_EQ(f.DIBImage2->Opacity(), 215);
    EXPECT_EQ(f.RightArrow->Opacity(), 80);
    Wait(60);
    EXPECT_EQ(f.DIBImage2->Opacity(), 0);
    EXPECT_TRUE(f.DIBImage2->Visible());
    Wait(10);
    EXPECT_FALSE(f.DIBImage2->Visible());
    EXPECT_FALSE(f.DIBImage1->Visible());
    EXPECT_FALSE(f.LeftArrow->Visible());
    EXPECT_FALSE(f.RightArrow->Visible());
    EXPECT_FALSE(f.DIBTimer4->Enabled());

    // A close asked for while the viewer still fades in is refused.
    f.DIBImage4Click(f.DIBImage4);
    f.DIBImage1MouseDown(f.DIBImage2, platform::TMouseButton::mbRight, 0, 5, 5);
    EXPECT_FALSE(f.DIBTimer4->Enabled());
}

TEST_F(Effects, SlowComputerOpensAndClosesAtOnceWithoutTheOverlay)
{
    auto& f = OpenGallery(2);
    f.Slow = 1;
    f.DIBImage4Click(f.DIBImage4);
    EXPECT_FALSE(f.DIBImage1->Visible());
    Wait(10);
    EXPECT_EQ(f.DIBImage2->Opacity(), 255);
    EXPECT_EQ(f.LeftArrow->Opacity(), 255);
    EXPECT_EQ(f.RightArrow->Opacity(), 255);
    EXPECT_FALSE(f.DIBTimer3->Enabled());
    f.DIBImage1MouseDown(f.DIBImage2, platform::TMouseButton::mbRight, 0, 5, 5);
    Wait(10);
    EXPECT_FALSE(f.DIBImage2->Visible());
}

TEST_F(Effects, ItemsWithoutASeriesOpenNoViewer)
{
    auto& f = OpenGallery(2);
    Key(platform::VK_DOWN);
    f.DIBImage4Click(f.DIBImage4);
    EXPECT_FALSE(f.DIBImage2->Visible());
    EXPECT_FALSE(f.DIBTimer3->Enabled());
}

// On the Extra page (as on every page with pictures) the arrows page the selected item's series.
TEST_F(Effects, ArrowsPageTheOpenedSeriesOnTheExtraPage)
{
    WriteSeries("EXT", 2, 40);
    WriteSmallBitmap("EXT01", 0xFF0000FF);
    auto& f = OpenGallery(3, "Extra=1\n", "[Extra1]\nName=E\nInstallType=1\nPicture=EXT\n");
    f.MainButtonClick(6);
    ASSERT_EQ(f.Category, CatExtra);
    ASSERT_TRUE(f.DIBImage4->Visible());
    OpenViewer();
    EXPECT_EQ(f.DIBImage2->Width(), 41);
    f.RightArrowClick(f.RightArrow);
    EXPECT_EQ(f.DIBImage2->Width(), 42);
    EXPECT_FALSE(f.RightArrow->Visible());
}

TEST_F(Effects, SideAnimationsPlayOnlyInEnhancedMode)
{
    auto& f = OpenGallery(1);
    ASSERT_EQ(f.Enhanced, 1);
    Wait(4900);
    EXPECT_FALSE(f.AnimationTimer->Enabled());
    Wait(100);
    EXPECT_TRUE(f.AnimationTimer->Enabled());
    EXPECT_FALSE(f.StartTimer->Enabled());
    Wait(300 * 60);
    int played = 0;
    for (int n = 1; n <= 10; ++n)
        played += f.SidePlayer(n)->CurrentFrame() > 0;
    EXPECT_GT(played, 0);

    // Switched off: the next tick stops the timer and nothing starts any more.
    f.Enhanced = 0;
    Wait(300);
    EXPECT_FALSE(f.AnimationTimer->Enabled());
}

TEST_F(Effects, LeftPressOnTheBackgroundDragsTheWindow)
{
    WriteCatalogue("[Main]\nCD=0206\nDemos=1\n[Demo1]\nName=A\nPicture=NUL\n");
    form = std::make_unique<TForm1>(MenuEnvironment { Drive() + "\\TORVA.EXE", &boxes, &cursor });
    auto window = std::make_unique<platform::HeadlessWindow>(loop);
    platform::HeadlessWindow* headless = window.get();
    form->SetWindow(std::move(window));
    form->CreateWindowLayout();
    form->Show();
    form->Image4MouseDown(form->Image4, platform::TMouseButton::mbRight, 0, 3, 3);
    EXPECT_EQ(headless->SystemMoveCount(), 0);
    form->Image4MouseDown(form->Image4, platform::TMouseButton::mbLeft, 0, 3, 3);
    form->Image14MouseDown(form->Image14, platform::TMouseButton::mbLeft, 0, 3, 3);
    EXPECT_EQ(headless->SystemMoveCount(), 2);
}

}
