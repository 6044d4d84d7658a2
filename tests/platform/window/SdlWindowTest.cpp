#include "platform/window/SdlDialogs.h"
#include "platform/window/SdlProgressWindow.h"
#include "platform/window/SdlWindow.h"
#include "platform/picture/Picture.h"
#include "platform/components/Forms.h"
#include "platform/text/Codepage.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/PixelBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

// After gtest: the X headers' macros (None, Bool) would clash with its templates.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

using namespace platform;

namespace {

using torva::test::EventRecorder;
using torva::test::PixelBuffer;

bool HaveDisplay()
{
    return std::getenv("DISPLAY") && SdlWindow::DisplayAvailable();
}

void Settle(EventLoop& loop)
{
    for (int i = 0; i < 10; ++i) {
        loop.ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Every case needs a display and a loop on the real clock.
struct OnDisplay : ::testing::Test {
    void SetUp() override
    {
        if (!HaveDisplay())
            GTEST_SKIP() << "no display";
    }
    // Shows `window` 40 x 30 at `position`, outlined as an L (a bar 20 wide, an arm 10 high),
    // its events going to `sink`.
    void ShowShaped(SdlWindow& window, TPoint position)
    {
        window.SetEventSink(&sink);
        window.SetClientSize(40, 30);
        window.SetPosition(position.X, position.Y);
        window.SetShape({ { 0, 0, 20, 30 }, { 20, 0, 40, 10 } });
        window.Show();
        Settle(loop);
    }
    // Whether the last pointer move the window reported was to (x, y).
    bool LastMoveAt(int x, int y) const
    {
        bool moved = false;
        for (const auto& e : sink.events)
            if (e.type == EventType::MouseMove)
                moved = e.x == x && e.y == y;
        return moved;
    }
    RealClock clock;
    EventLoop loop { clock };
    EventRecorder sink;
};
using SdlWindowTest = OnDisplay;

}

// Runs under a virtual display (xvfb-run); the picture is read back from the X server, so it
// checks what really reached the screen.
TEST_F(SdlWindowTest, PresentsAndShapesWhatTheServerShows)
{
    SdlWindow window(loop);
    ShowShaped(window, { 20, 20 });
    EXPECT_TRUE(window.ShapeApplied());
    EXPECT_EQ(window.ClientSize(), (TSize { 40, 30 }));
    TSize screen = window.ScreenSize();
    EXPECT_GT(screen.cx, 40);
    TPoint at = window.Position();

    PixelBuffer red(40, 30, 0x00FF0000);
    window.Present(red.view, { 0, 0, 40, 30 });
    PixelBuffer blue(40, 30, 0x000000FF);
    window.Present(blue.view, { 0, 0, 5, 5 });
    Settle(loop);

    Picture shot = DecodePng(window.CaptureScreenPng(Bounds(at.X, at.Y, 40, 30)), "test").Value();
    ASSERT_EQ(shot.width, 40);
    auto rgb = [&](int x, int y) { return shot.At(x, y) & 0xFFFFFFu; };
    EXPECT_EQ(rgb(2, 2), 0x0000FFu);
    EXPECT_EQ(rgb(10, 10), 0xFF0000u);
    EXPECT_EQ(rgb(30, 5), 0xFF0000u);  // the second rectangle of the shape
    EXPECT_NE(rgb(30, 20), 0xFF0000u); // cut away: the desktop shows through
    bool paintAsked = false;
    for (const auto& e : sink.events)
        paintAsked |= e.type == EventType::Paint && e.target == &sink;
    EXPECT_TRUE(paintAsked);

    window.SetShape({});
    Settle(loop);
    window.Present(red.view, { 0, 0, 40, 30 });
    Settle(loop);
    Picture whole = DecodePng(window.CaptureScreenPng(Bounds(at.X, at.Y, 40, 30)), "test").Value();
    EXPECT_EQ(whole.At(30, 20) & 0xFFFFFFu, 0xFF0000u);
}

TEST_F(SdlWindowTest, FullWindowScreenshotForInspection)
{
    SdlWindow window(loop);
    window.SetClientSize(816, 740);
    window.SetPosition(0, 0);
    window.SetCaption("Torva CD v2");
    window.Show();
    Settle(loop);
    PixelBuffer frame(816, 740, 0);
    for (int y = 0; y < 740; ++y)
        for (int x = 0; x < 816; ++x)
            frame.view.At(x, y) = uint32_t((x * 255 / 815) << 16 | (y * 255 / 739) << 8 | 0x40);
    window.Present(frame.view, { 0, 0, 816, 740 });
    Settle(loop);
    auto png = window.CaptureScreenPng(Bounds(window.Position().X, window.Position().Y, 816, 740));
    ASSERT_FALSE(png.empty());
    WritePictureFile(std::string(TORVA_TEST_OUTPUT_DIR) + "/sdl_window.png", png);
    Picture shot = DecodePng(png, "test").Value();
    EXPECT_EQ(shot.At(815, 739) & 0xFFFFFFu, 0xFFFF40u);
    EXPECT_EQ(shot.At(0, 0) & 0xFFFFFFu, 0x000040u);
}

namespace {

struct X11Window {
    Display* display = nullptr;
    ::Window window = 0;
};

X11Window X11Of(const SdlWindow& window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window.Handle(), &info) || info.subsystem != SDL_SYSWM_X11)
        return {};
    return { info.info.x11.display, info.info.x11.window };
}

}

// At a factor of 2 every pixel of the form is a square of four on the screen; the outline, the
// pointer and the positions are the form's units.
TEST_F(SdlWindowTest, ScaledWindowShowsSquaresAndSpeaksInTheFormsUnits)
{
    SdlWindow window(loop, 2);
    ShowShaped(window, { 10, 10 });
    EXPECT_EQ(window.ClientSize(), (TSize { 40, 30 }));
    int physicalWidth = 0, physicalHeight = 0;
    SDL_GetWindowSize(window.Handle(), &physicalWidth, &physicalHeight);
    EXPECT_EQ(physicalWidth, 80);
    EXPECT_EQ(physicalHeight, 60);
    TPoint at = window.Position();

    PixelBuffer red(40, 30, 0x00FF0000);
    red.view.At(1, 1) = 0x000000FF;
    window.Present(red.view, { 0, 0, 40, 30 });
    Settle(loop);
    Picture shot = DecodePng(window.CaptureScreenPng(Bounds(at.X * 2, at.Y * 2, 80, 60)), "test").Value();
    ASSERT_EQ(shot.width, 80);
    auto rgb = [&](int x, int y) { return shot.At(x, y) & 0xFFFFFFu; };
    EXPECT_EQ(rgb(2, 2), 0x0000FFu);
    EXPECT_EQ(rgb(3, 3), 0x0000FFu);
    EXPECT_EQ(rgb(4, 4), 0xFF0000u);
    EXPECT_EQ(rgb(60, 10), 0xFF0000u); // the outline's second rectangle, doubled
    EXPECT_NE(rgb(60, 40), 0xFF0000u); // cut away
    // The screenshot stays at the form's size.
    Picture logical = DecodePng(window.CaptureWindowPng({ 40, 30 }), "test").Value();
    EXPECT_EQ(logical.width, 40);
    EXPECT_EQ(logical.At(1, 1) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(logical.At(2, 1) & 0xFFFFFFu, 0xFF0000u);

    sink.events.clear();
    SDL_WarpMouseInWindow(window.Handle(), 31, 11);
    Settle(loop);
    EXPECT_TRUE(LastMoveAt(15, 5));
}

// Without a factor given, the desktop's scale counts, as far as the window fits on the screen.
TEST_F(SdlWindowTest, DesktopScaleFollowsGdkScaleWhereTheWindowFits)
{
    ::setenv("GDK_SCALE", "2", 1);
    SdlWindow small(loop, 0);
    SdlWindow large(loop, 0);
    ::unsetenv("GDK_SCALE");
    small.SetClientSize(40, 30);
    EXPECT_EQ(small.Scale(), 2);
    EXPECT_EQ(small.ClientSize(), (TSize { 40, 30 }));
    SDL_DisplayMode mode;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
    large.SetClientSize(mode.w * 2 / 3, 30);
    EXPECT_EQ(large.Scale(), 1);
}

// The cursor the form asks for is the one the X server shows over the window.
TEST_F(SdlWindowTest, CursorReachesTheServer)
{
    SdlWindow window(loop);
    window.SetClientSize(60, 40);
    window.Show();
    Settle(loop);
    X11Window x11 = X11Of(window);
    ASSERT_TRUE(x11.display);
    int eventBase = 0, errorBase = 0;
    if (!XFixesQueryExtension(x11.display, &eventBase, &errorBase))
        GTEST_SKIP() << "the X server has no XFIXES";
    SDL_WarpMouseInWindow(window.Handle(), 30, 20);
    auto shown = [&] {
        Settle(loop);
        XFixesCursorImage* image = XFixesGetCursorImage(x11.display);
        if (!image)
            return std::vector<unsigned long>();
        std::vector<unsigned long> pixels(image->pixels, image->pixels + image->width * image->height);
        XFree(image);
        return pixels;
    };
    window.SetCursor(crArrow);
    const auto arrow = shown();
    window.SetCursor(crHourGlass);
    const auto hourglass = shown();
    ASSERT_FALSE(arrow.empty());
    EXPECT_NE(arrow, hourglass);
    window.SetCursor(crArrow);
    EXPECT_EQ(shown(), arrow);
}

// The desktop's taskbar gets a picture and a window of its own: not one that belongs to
// another (the root window).
TEST_F(SdlWindowTest, MainWindowHasAnIconAndBelongsToNoOtherWindow)
{
    SdlWindow window(loop);
    window.SetClientSize(40, 30);
    window.SetIcon(std::vector<uint32_t>(16 * 16, 0xFF336699u), 16);
    window.Show();
    Settle(loop);
    X11Window x11 = X11Of(window);
    ASSERT_TRUE(x11.display);
    ::Window owner = 0;
    EXPECT_FALSE(XGetTransientForHint(x11.display, x11.window, &owner)) << "transient for " << owner;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(x11.display, x11.window, XInternAtom(x11.display, "_NET_WM_ICON", False), 0, 2, False,
                  XA_CARDINAL, &type, &format, &count, &after, &data),
        Success);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(count, 2u);
    const auto* size = reinterpret_cast<const unsigned long*>(data);
    EXPECT_EQ(size[0], 16u);
    EXPECT_EQ(size[1], 16u);
    XFree(data);
}

// The desktop groups a program's windows by their class: the progress window shown before the
// main one carries it as the main window does.
TEST_F(SdlWindowTest, WindowsCarryTheProgramsClass)
{
    SdlWindow::SetClassName("torvatest");
    SdlWindow window(loop);
    auto progress = SdlProgressWindow::Open("Rozbalov\xC3\xA1n\xC3\xAD", "Rozbaluji", "obraz.iso");
    ASSERT_TRUE(progress);
    auto classOf = [](SDL_Window* sdl) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        XClassHint hint {};
        if (!SDL_GetWindowWMInfo(sdl, &info) || !XGetClassHint(info.info.x11.display, info.info.x11.window, &hint))
            return std::string();
        std::string both = std::string(hint.res_name) + "/" + hint.res_class;
        XFree(hint.res_name);
        XFree(hint.res_class);
        return both;
    };
    EXPECT_EQ(classOf(window.Handle()), "torvatest/torvatest");
    EXPECT_EQ(classOf(progress->Handle()), "torvatest/torvatest");
    SdlWindow::SetClassName("");
}

namespace {

// What a box of the menu showed, seen from a connection of the test's own.
struct SeenBox {
    ::Window window = 0;
    std::string className;
    int centreX = 0, centreY = 0;
    Picture pixels;
};

// Waits on a thread for the box that belongs to `owner`, looks at it, and types `keysym` into
// it. The connection is opened on the calling thread, before the box. A box answered before
// may still be on the server when the next one is awaited; `earlier` names it so it is passed by.
class BoxAnswerer {
public:
    BoxAnswerer(::Window owner, KeySym keysym, ::Window earlier = 0)
        : m_display(XOpenDisplay(nullptr))
        , m_earlier(earlier)
    {
        if (m_display)
            m_thread = std::thread([this, owner, keysym] { Answer(owner, keysym); });
    }
    ~BoxAnswerer()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_display)
            XCloseDisplay(m_display);
    }
    // Once the box was answered.
    const SeenBox& Seen()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_seen;
    }

private:
    ::Window FindBox(::Window owner) const
    {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count);
        ::Window box = 0;
        for (unsigned i = 0; i < count; ++i) {
            ::Window transientFor = 0;
            XWindowAttributes attributes;
            if (children[i] != m_earlier && XGetTransientForHint(m_display, children[i], &transientFor) && transientFor == owner
                && XGetWindowAttributes(m_display, children[i], &attributes) && attributes.map_state == IsViewable)
                box = children[i];
        }
        if (children)
            XFree(children);
        return box;
    }

    void Answer(::Window owner, KeySym keysym)
    {
        ::Window box = 0;
        for (int attempt = 0; attempt < 400 && !box; ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            box = FindBox(owner);
        }
        if (!box)
            return;
        m_seen.window = box;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        XClassHint hint {};
        if (XGetClassHint(m_display, box, &hint)) {
            m_seen.className = hint.res_class ? hint.res_class : "";
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        XWindowAttributes attributes;
        ::Window child = 0;
        int x = 0, y = 0;
        XGetWindowAttributes(m_display, box, &attributes);
        XTranslateCoordinates(m_display, box, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
        m_seen.centreX = x + attributes.width / 2;
        m_seen.centreY = y + attributes.height / 2;
        if (XImage* image = XGetImage(m_display, DefaultRootWindow(m_display), x, y, static_cast<unsigned>(attributes.width),
                static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap)) {
            m_seen.pixels.width = attributes.width;
            m_seen.pixels.height = attributes.height;
            for (int row = 0; row < attributes.height; ++row)
                for (int column = 0; column < attributes.width; ++column)
                    m_seen.pixels.pixels.push_back(0xFF000000u | static_cast<uint32_t>(XGetPixel(image, column, row)));
            XDestroyImage(image);
        }
        XEvent key {};
        key.xkey.type = KeyPress;
        key.xkey.display = m_display;
        key.xkey.window = box;
        key.xkey.root = DefaultRootWindow(m_display);
        key.xkey.keycode = XKeysymToKeycode(m_display, keysym);
        key.xkey.same_screen = True;
        // The box answers on the press and may be gone at once: a release sent after it would
        // name a window that no longer exists, which Xlib's default handler ends the test for.
        XSendEvent(m_display, box, True, KeyPressMask, &key);
        XFlush(m_display);
    }

    Display* m_display;
    ::Window m_earlier;
    SeenBox m_seen;
    std::thread m_thread;
};

}

// The menu's window that a box belongs to, shown `size` big at `position`.
struct SdlDialogsTest : OnDisplay {
    X11Window ShowOwner(SdlWindow& window, TSize size, TPoint position)
    {
        window.SetClientSize(size.cx, size.cy);
        window.SetPosition(position.X, position.Y);
        window.Show();
        Settle(loop);
        return X11Of(window);
    }
};

// A box of the menu carries the menu's class (desktops group and place windows by it), stands
// centred over the menu and answers Enter with its focused button.
TEST_F(SdlDialogsTest, BoxesTakeTheOwnersClassAndStandOverIt)
{
    SdlWindow window(loop);
    X11Window owner = ShowOwner(window, { 400, 300 }, { 500, 300 });
    ASSERT_TRUE(owner.display);
    SdlDialogs dialogs(&window);
    BoxAnswerer answerer(owner.window, XK_Return);
    EXPECT_EQ(dialogs.ShowMessageBox({ MessageBoxKind::Question, "Torva CD v2", "Zkou\x9Aka?" }), mrYes);
    const SeenBox& seen = answerer.Seen();

    XClassHint ownerClass {};
    ASSERT_TRUE(XGetClassHint(owner.display, owner.window, &ownerClass));
    EXPECT_EQ(seen.className, ownerClass.res_class);
    XFree(ownerClass.res_name);
    XFree(ownerClass.res_class);
    EXPECT_NEAR(seen.centreX, 500 + 200, 2);
    EXPECT_NEAR(seen.centreY, 300 + 150, 2);
}

// What the X server shows of a box is what its painter draws (the golden of the box with Czech
// quotes and letters, which the X server's core fonts lack), and Escape closes it.
TEST_F(SdlDialogsTest, TheBoxOnTheScreenIsItsGoldenAndEscapeClosesIt)
{
    SdlWindow window(loop);
    X11Window owner = ShowOwner(window, { 600, 400 }, { 100, 100 });
    ASSERT_TRUE(owner.display);
    SdlDialogs dialogs(&window);
    BoxAnswerer answerer(owner.window, XK_Escape);
    const std::string text = Utf8ToCp1250("Na disku „/tmp/torva/nodisc.iso“ chybí katalog Torva\\torvaxp.ini; není to disk Torva CD – "
                                          "žluťoučký kůň úpěl ďábelské ódy.");
    EXPECT_EQ(dialogs.ShowChoiceDialog({ "Torva CD v2", text, { "&Ano", "&Ne" }, {}, {} }), mrCancel);
    ASSERT_GT(answerer.Seen().pixels.width, 0) << "no box showed";
    BoxAnswerer okAnswerer(owner.window, XK_Escape, answerer.Seen().window);
    EXPECT_EQ(dialogs.ShowMessageBox({ MessageBoxKind::Error, "Torva CD v2", text }), mrOk);
    const torva::test::BottomUpPicture shown(okAnswerer.Seen().pixels);
    EXPECT_TRUE(torva::test::MatchesGolden(shown.view, "box/czech_quotes", torva::test::GoldenChannels::Colour, { 24, 30 }));
}

// Fullscreen fills the screen and shows the form centred at the largest whole factor, without
// the outline; the pointer keeps speaking the form's units; back as a window, the factor, the
// place and the outline are the ones it had.
TEST_F(SdlWindowTest, FullscreenCentresTheFormAndComesBackToTheShapedWindow)
{
    SdlWindow window(loop);
    ShowShaped(window, { 30, 20 });
    const TSize screen = window.ScreenSize();
    window.SetFullscreen(true);
    Settle(loop);
    int w = 0, h = 0;
    SDL_GetWindowSize(window.Handle(), &w, &h);
    EXPECT_EQ((TSize { w, h }), screen);
    const int scale = std::min({ screen.cx / 40, screen.cy / 30, 8 });
    EXPECT_EQ(window.Scale(), scale);
    const TPoint offset { (screen.cx - 40 * scale) / 2, (screen.cy - 30 * scale) / 2 };
    EXPECT_EQ(window.ContentOffset(), offset);
    EXPECT_EQ(window.ClientSize(), (TSize { 40, 30 }));
    EXPECT_FALSE(window.ShapeApplied());

    window.Present(PixelBuffer(40, 30, 0x00FF0000).view, { 0, 0, 40, 30 });
    Settle(loop);
    Picture shown = DecodePng(window.CaptureScreenPng(Bounds(0, 0, screen.cx, screen.cy)), "test").Value();
    auto rgb = [&](int x, int y) { return shown.At(x, y) & 0xFFFFFFu; };
    EXPECT_EQ(rgb(offset.X - 1, offset.Y - 1), 0u);
    EXPECT_EQ(rgb(offset.X, offset.Y), 0xFF0000u);
    EXPECT_EQ(rgb(offset.X + 30 * scale, offset.Y + 20 * scale), 0xFF0000u); // outside the outline
    EXPECT_EQ(rgb(offset.X + 40 * scale, offset.Y + 30 * scale), 0u);

    sink.events.clear();
    SDL_WarpMouseInWindow(window.Handle(), offset.X + 15 * scale + scale / 2, offset.Y + 5 * scale);
    Settle(loop);
    EXPECT_TRUE(LastMoveAt(15, 5));

    window.SetFullscreen(false);
    Settle(loop);
    SDL_GetWindowSize(window.Handle(), &w, &h);
    EXPECT_EQ((TSize { w, h }), (TSize { 40, 30 }));
    EXPECT_EQ(window.Position(), (TPoint { 30, 20 }));
    EXPECT_TRUE(window.ShapeApplied());
}

namespace {

// A pad made with SDL's virtual joystick; its buttons are numbered as the game controller's
// and its axes are the left stick's and the triggers'.
class VirtualPad {
public:
    VirtualPad()
    {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
        char guid[40] = {};
        SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
        std::string mapping = std::string(guid) + ",Virtual pad,";
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
            mapping += std::string(SDL_GameControllerGetStringForButton(SDL_GameControllerButton(b))) + ":b" + std::to_string(b) + ",";
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a)
            mapping += std::string(SDL_GameControllerGetStringForAxis(SDL_GameControllerAxis(a))) + ":a" + std::to_string(a) + ",";
        SDL_GameControllerAddMapping(mapping.c_str());
        m_joystick = SDL_JoystickOpen(index);
    }
    ~VirtualPad() { Detach(); }
    void Detach()
    {
        if (!m_joystick)
            return;
        const int id = SDL_JoystickInstanceID(m_joystick);
        SDL_JoystickClose(m_joystick);
        m_joystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
    }
    void Button(SDL_GameControllerButton button, bool down) { SDL_JoystickSetVirtualButton(m_joystick, button, down); }
    void Axis(SDL_GameControllerAxis axis, int value) { SDL_JoystickSetVirtualAxis(m_joystick, axis, static_cast<Sint16>(value)); }

private:
    SDL_Joystick* m_joystick = nullptr;
};

struct PadCase {
    const char* what;
    std::function<void(VirtualPad&, bool)> press;
    uint16_t key;
    TShiftState shift;
};

class PadOnDisplay : public OnDisplay, public ::testing::WithParamInterface<PadCase> {
protected:
    // Shows the window with the keyboard's focus, which pads need as keys do.
    void ShowFocused(SdlWindow& window)
    {
        ShowShaped(window, { 50, 50 });
        X11Window x11 = X11Of(window);
        XSetInputFocus(x11.display, x11.window, RevertToParent, CurrentTime);
        Settle(loop);
        ASSERT_EQ(SDL_GetKeyboardFocus(), window.Handle());
    }
    std::vector<std::pair<EventType, uint16_t>> Keys() const
    {
        std::vector<std::pair<EventType, uint16_t>> keys;
        for (const Event& e : sink.events)
            if (e.type == EventType::KeyDown || e.type == EventType::KeyUp)
                keys.emplace_back(e.type, e.key);
        return keys;
    }
};

auto PadButton(SDL_GameControllerButton button)
{
    return [button](VirtualPad& pad, bool down) { pad.Button(button, down); };
}

// A trigger's raw axis rests at its minimum: the game controller's 0.
auto PadAxisTo(SDL_GameControllerAxis axis, int value, int rest = 0)
{
    return [axis, value, rest](VirtualPad& pad, bool down) { pad.Axis(axis, down ? value : rest); };
}

}

TEST_P(PadOnDisplay, ControlTypesItsKey)
{
    SdlWindow window(loop);
    VirtualPad pad;
    ShowFocused(window);
    sink.events.clear();
    GetParam().press(pad, true);
    Settle(loop);
    GetParam().press(pad, false);
    Settle(loop);
    using P = std::pair<EventType, uint16_t>;
    EXPECT_EQ(Keys(), (std::vector { P { EventType::KeyDown, GetParam().key }, P { EventType::KeyUp, GetParam().key } }))
        << GetParam().what;
    for (const Event& e : sink.events) {
        if (e.type != EventType::KeyDown)
            continue;
        EXPECT_EQ(e.shift, GetParam().shift) << GetParam().what;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PadOnDisplay,
    ::testing::Values(PadCase { "A", PadButton(SDL_CONTROLLER_BUTTON_A), VK_RETURN, 0 },
        PadCase { "B", PadButton(SDL_CONTROLLER_BUTTON_B), VK_ESCAPE, 0 },
        PadCase { "Start", PadButton(SDL_CONTROLLER_BUTTON_START), VK_F2, 0 },
        PadCase { "LB", PadButton(SDL_CONTROLLER_BUTTON_LEFTSHOULDER), VK_PRIOR, 0 },
        PadCase { "RB", PadButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER), VK_NEXT, 0 },
        PadCase { "d-pad up", PadButton(SDL_CONTROLLER_BUTTON_DPAD_UP), VK_UP, 0 },
        PadCase { "d-pad right", PadButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), VK_RIGHT, 0 },
        PadCase { "stick down", PadAxisTo(SDL_CONTROLLER_AXIS_LEFTY, 30000), VK_DOWN, 0 },
        PadCase { "stick left", PadAxisTo(SDL_CONTROLLER_AXIS_LEFTX, -30000), VK_LEFT, 0 },
        PadCase { "LT", PadAxisTo(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 30000, -32768), VK_TAB, ssShift },
        PadCase { "RT", PadAxisTo(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 30000, -32768), VK_TAB, 0 }));

// A window hidden behind another (the shelf behind a disc's menu) took SDL's events first; the
// pad still types into the one shown with the focus.
TEST_F(PadOnDisplay, ThePadTypesIntoTheFocusedWindowNotTheHiddenOne)
{
    SdlWindow hidden(loop);
    EventRecorder hiddenSink;
    hidden.SetEventSink(&hiddenSink);
    hidden.Show();
    hidden.Hide();
    SdlWindow shown(loop);
    VirtualPad pad;
    ShowFocused(shown);
    sink.events.clear();
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    Settle(loop);
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    Settle(loop);
    using P = std::pair<EventType, uint16_t>;
    EXPECT_EQ(Keys(), (std::vector { P { EventType::KeyDown, VK_RETURN }, P { EventType::KeyUp, VK_RETURN } }));
    EXPECT_TRUE(std::none_of(hiddenSink.events.begin(), hiddenSink.events.end(), [](const Event& e) { return e.type == EventType::KeyDown; }));
}

// A pad plugged in while the window runs works at once, one pulled out while a direction is
// held lets it go; the pointer stays where it was all along and keeps reporting its moves.
TEST_F(PadOnDisplay, PadsComeAndGoWithoutTouchingThePointer)
{
    SdlWindow window(loop);
    ShowFocused(window);
    X11Window x11 = X11Of(window);
    XWarpPointer(x11.display, None, DefaultRootWindow(x11.display), 0, 0, 0, 0, 57, 61);
    Settle(loop);
    EXPECT_EQ(window.PadCount(), 0u);

    auto pad = std::make_unique<VirtualPad>();
    Settle(loop);
    EXPECT_EQ(window.PadCount(), 1u);
    sink.events.clear();
    pad->Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    pad->Axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    Settle(loop);
    pad.reset();
    Settle(loop);
    EXPECT_EQ(window.PadCount(), 0u);
    using P = std::pair<EventType, uint16_t>;
    auto keys = Keys();
    EXPECT_GE(std::count(keys.begin(), keys.end(), P { EventType::KeyDown, VK_DOWN }), 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), P { EventType::KeyUp, VK_DOWN }), 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), P { EventType::KeyUp, VK_RIGHT }), 1);

    ::Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned mask = 0;
    XQueryPointer(x11.display, DefaultRootWindow(x11.display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    EXPECT_EQ((TPoint { rootX, rootY }), (TPoint { 57, 61 }));
    sink.events.clear();
    XWarpPointer(x11.display, None, DefaultRootWindow(x11.display), 0, 0, 0, 0, 60, 52);
    Settle(loop);
    EXPECT_TRUE(LastMoveAt(10, 2));
}
