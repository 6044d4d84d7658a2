#include "BrowseFixture.h"

#include "platform/components/ComCtrls.h"
#include "platform/window/HeadlessWindow.h"

namespace {

class Effects : public BrowseFixture {
protected:
    // Demo 1 has a series of `pictures`, demo 2 none.
    TForm1& OpenGallery(int pictures)
    {
        WriteSeries("GAL", pictures);
        WriteSmallBitmap("GAL01", 0xFFFF0000);
        WriteSmallBitmap("PLAIN", 0xFF00FF00);
        return Open("[Main]\nCD=0206\nDemos=2\n[Demo1]\nName=A\nPicture=GAL\n[Demo2]\nName=B\nPicture=PLAIN\n");
    }

    void OpenViewer()
    {
        form->Viewer->Open();
        Wait(100);
    }
};

TEST_F(Effects, SmallPictureGlowsUnderThePointerOnlyWithASeries)
{
    auto& f = OpenGallery(2);
    ASSERT_EQ(Dib(f, "DIBImage4")->Opacity(), 150);
    Dib(f, "DIBImage4")->MouseEnter();
    std::vector<int> opacities;
    for (int i = 0; i < 12; ++i) {
        Wait(50);
        opacities.push_back(Dib(f, "DIBImage4")->Opacity());
    }
    EXPECT_EQ(opacities, (std::vector<int> { 160, 170, 180, 190, 200, 210, 220, 230, 240, 250, 255, 255 }));
    Dib(f, "DIBImage4")->MouseLeave();
    Wait(50);
    EXPECT_EQ(Dib(f, "DIBImage4")->Opacity(), 245);
    Wait(50 * 20);
    EXPECT_EQ(Dib(f, "DIBImage4")->Opacity(), 145);

    Key(platform::VK_DOWN);
    ASSERT_FALSE(f.Model.HasGallery());
    ASSERT_EQ(Dib(f, "DIBImage4")->Opacity(), 240);
    Dib(f, "DIBImage4")->MouseEnter();
    Wait(500);
    EXPECT_EQ(Dib(f, "DIBImage4")->Opacity(), 240);
}

TEST_F(Effects, RightClickClosesTheViewerLeftClickDoesNot)
{
    auto& f = OpenGallery(2);
    OpenViewer();
    Dib(f, "DIBImage2")->MouseDown(platform::TMouseButton::mbLeft, 0, 5, 5);
    Wait(200);
    EXPECT_TRUE(Dib(f, "DIBImage2")->Visible());
    EXPECT_EQ(Dib(f, "DIBImage2")->Opacity(), 255);

    Dib(f, "DIBImage1")->MouseDown(platform::TMouseButton::mbRight, 0, 5, 5);
    Wait(10);
    EXPECT_EQ(Dib(f, "DIBImage2")->Opacity(), 215);
    EXPECT_EQ(Dib(f, "RightArrow")->Opacity(), 80);
    Wait(60);
    EXPECT_EQ(Dib(f, "DIBImage2")->Opacity(), 0);
    EXPECT_TRUE(Dib(f, "DIBImage2")->Visible());
    Wait(10);
    EXPECT_FALSE(Dib(f, "DIBImage2")->Visible());
    EXPECT_FALSE(Dib(f, "DIBImage1")->Visible());
    EXPECT_FALSE(Dib(f, "LeftArrow")->Visible());
    EXPECT_FALSE(Dib(f, "RightArrow")->Visible());
    EXPECT_FALSE(LayoutControl<TDIBTimer>(f, "DIBTimer4")->Enabled());

    // A close asked for while the viewer still fades in is refused.
    f.Viewer->Open();
    Dib(f, "DIBImage2")->MouseDown(platform::TMouseButton::mbRight, 0, 5, 5);
    EXPECT_FALSE(LayoutControl<TDIBTimer>(f, "DIBTimer4")->Enabled());
}

TEST_F(Effects, ItemsWithoutASeriesOpenNoViewer)
{
    auto& f = OpenGallery(2);
    Key(platform::VK_DOWN);
    f.Viewer->Open();
    EXPECT_FALSE(Dib(f, "DIBImage2")->Visible());
    EXPECT_FALSE(LayoutControl<TDIBTimer>(f, "DIBTimer3")->Enabled());
}

TEST_F(Effects, SideAnimationsPlayOnlyInEnhancedMode)
{
    auto& f = OpenGallery(1);
    ASSERT_EQ(f.Model.Settings().enhanced, 1);
    Wait(4900);
    EXPECT_FALSE(LayoutControl<platform::TTimer>(f, "AnimationTimer")->Enabled());
    Wait(100);
    EXPECT_TRUE(LayoutControl<platform::TTimer>(f, "AnimationTimer")->Enabled());
    EXPECT_FALSE(LayoutControl<platform::TTimer>(f, "StartTimer")->Enabled());
    Wait(300 * 60);
    int played = 0;
    for (int n = 1; n <= 10; ++n)
        played += f.Animations->Player(n)->CurrentFrame() > 0;
    EXPECT_GT(played, 0);

    // Switched off: the next tick stops the timer and nothing starts any more.
    f.SetSettingsPage();
    f.ActionClick(MenuAction::Stop);
    ASSERT_EQ(f.Model.Settings().enhanced, 0);
    Wait(300);
    EXPECT_FALSE(LayoutControl<platform::TTimer>(f, "AnimationTimer")->Enabled());
}

TEST_F(Effects, LeftPressOnTheBackgroundDragsTheWindow)
{
    WriteCatalogue("[Main]\nCD=0206\nDemos=1\n[Demo1]\nName=A\nPicture=NUL\n");
    form = std::make_unique<TForm1>(services, MenuEnvironment { Drive() + "\\TORVA.EXE", &cursor });
    auto window = std::make_unique<platform::HeadlessWindow>(loop);
    platform::HeadlessWindow* headless = window.get();
    form->SetWindow(std::move(window));
    form->CreateWindowLayout();
    form->Show();
    Image(*form, "Image4")->MouseDown(platform::TMouseButton::mbRight, 0, 3, 3);
    EXPECT_EQ(headless->SystemMoveCount(), 0);
    Image(*form, "Image4")->MouseDown(platform::TMouseButton::mbLeft, 0, 3, 3);
    Image(*form, "Image14")->MouseDown(platform::TMouseButton::mbLeft, 0, 3, 3);
    EXPECT_EQ(headless->SystemMoveCount(), 2);
}

}
