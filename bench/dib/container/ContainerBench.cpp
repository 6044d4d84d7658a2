// The menu's screen as one container: a full-size background picture, the masked overlay at
// opacity 150, the item list's ten fade labels, the category column's ten icons and captions
// (five of each at opacity 250, the lower ones partly below the container), the arrows, the
// item picture stretched to its box and the action buttons. A full repaint and a repaint of
// one list label are measured against one memcpy of the container's surface in the same run
// (the ratio_to_memcpy counter).

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "dib/imagelist/cDIBImageList.h"
#include "dib/control/cDIBPanel.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/events/EventLoop.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int ScreenWidth = 638;
constexpr int ScreenHeight = 482;

void Randomise(TAbstractSuperDIB& dib, uint32_t seed, uint32_t fourthByteMask)
{
    std::mt19937 random(seed);
    const size_t count = static_cast<size_t>(dib.Width()) * dib.Height();
    for (size_t i = 0; i < count; ++i)
        dib.Bits()[i] = static_cast<uint32_t>(random()) & (0x00FFFFFF | fourthByteMask);
    dib.Changed();
}

class MenuScreen {
public:
    MenuScreen()
    {
        m_form->SetBounds(0, 0, 816, 740);
        m_container = new TDIBContainer(m_form.get());
        m_container->SetParent(m_form.get());
        m_container->SetBounds(85, 173, ScreenWidth, ScreenHeight);
        m_list = new TDIBImageList(m_form.get());

        auto* background = new platform::TImage(m_form.get());
        background->SetParent(m_container);
        background->SetBounds(0, 0, ScreenWidth, ScreenHeight);
        platform::TBitmap& bitmap = background->Picture().Bitmap();
        bitmap.SetSize(ScreenWidth, ScreenHeight);
        std::mt19937 random(7);
        for (int y = 0; y < ScreenHeight; ++y)
            for (int x = 0; x < ScreenWidth; ++x)
                reinterpret_cast<uint32_t*>(bitmap.View().Row(y))[x] = static_cast<uint32_t>(random()) & 0xFFFFFF;

        const int big = AddPicture(ScreenWidth, ScreenHeight, 0xFF000000);
        m_list->DIBImages().Items(big)->DIB().SetMasked(true);
        AddImage(0, 0, ScreenWidth, ScreenHeight, big, 150);

        const int listRows[] = { 71, 102, 133, 164, 195, 226, 257, 288, 319, 349 };
        for (int row = 0; row < 10; ++row)
            m_rows.push_back(AddLabel(76, listRows[row], row == 0 ? 16 : 13, 127, "Demoverze hry", 255, platform::TAlignment::taLeftJustify));

        const int icon = AddPicture(49, 39, 0);
        const int slots[] = { 60, 127, 194, 261, 329, 396, 463, 530, 598, 666 };
        const int captions[] = { 109, 176, 243, 311, 378, 445, 513, 580, 648, 715 };
        for (int n = 0; n < 10; ++n) {
            TDIBImage* image = AddImage(552, slots[n], 50, 50, icon, n < 5 ? 250 : 255);
            image->SetCenter(true);
            AddLabel(538, captions[n], 13, 80, "DEMA", n < 5 ? 250 : 255, platform::TAlignment::taCenter);
        }

        const int arrow = AddPicture(44, 72, 0);
        m_list->DIBImages().Items(arrow)->DIB().SetTransparent(true);
        AddImage(18, 168, 44, 72, arrow, 255);
        AddImage(577, 168, 44, 72, arrow, 255);

        TDIBImage* picture = AddImage(226, 64, 243, 151, AddPicture(320, 240, 0), 255);
        picture->SetStretch(true);

        const int button = AddPicture(16, 19, 0);
        for (int left : { 446, 470, 485, 502 })
            AddImage(left, 223, 17, 18, button, 255);
        for (int left : { 451, 470, 489, 505 })
            AddImage(left, 227, 12, 14, button, 255);
        m_form->PaintNow();
    }

    void RepaintAll()
    {
        m_container->Invalidate();
        m_form->PaintNow();
    }

    void RepaintRow()
    {
        m_rows.front()->Invalidate();
        m_form->PaintNow();
    }

    int ControlCount() const { return m_container->ControlCount(); }
    const TWinDIB& Surface() { return m_container->OffscreenDIB(); }

private:
    int AddPicture(int width, int height, uint32_t fourthByteMask)
    {
        TDIBImagesItem& item = m_list->DIBImages().Add();
        item.DIB().SetSize(width, height);
        Randomise(item.DIB(), static_cast<uint32_t>(m_list->DIBImages().Count()), fourthByteMask);
        return item.Index();
    }

    TDIBImage* AddImage(int left, int top, int width, int height, int index, int opacity)
    {
        auto* image = new TDIBImage(m_form.get());
        image->SetBounds(left, top, width, height);
        image->SetDIBImageList(m_list);
        image->IndexMain().SetDIBIndex(index);
        image->SetOpacity(opacity);
        return image;
    }

    TDIBFadeLabel* AddLabel(int left, int top, int height, int width, const char* caption, int opacity, platform::TAlignment alignment)
    {
        auto* label = new TDIBFadeLabel(m_form.get());
        label->SetAutoSize(false);
        label->SetBounds(left, top, width, height);
        label->Font().SetName("Square721 AT");
        label->Font().SetHeight(-12);
        label->Font().SetColor(0xC0C0C0);
        label->SetAlignment(alignment);
        label->SetCaption(caption);
        label->SetOpacity(opacity);
        return label;
    }

    platform::VirtualClock m_clock;
    platform::EventLoop m_loop { m_clock };
    platform::ScopedEventLoop m_current { m_loop };
    platform::ComponentPtr<platform::TForm> m_form { new platform::TForm(nullptr) };
    TDIBContainer* m_container = nullptr;
    TDIBImageList* m_list = nullptr;
    std::vector<TDIBFadeLabel*> m_rows;
};

// Times `repaint` against one memcpy of the container surface, alternating the two in each
// iteration so both see the same machine state.
template <class Repaint>
void MeasureAgainstMemcpy(benchmark::State& state, MenuScreen& screen, Repaint repaint)
{
    using Clock = std::chrono::steady_clock;
    const TWinDIB& surface = screen.Surface();
    const size_t bytes = static_cast<size_t>(surface.Width()) * surface.Height() * 4;
    std::vector<uint8_t> copy(bytes);
    double repaintSeconds = 0, copySeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        repaint();
        const auto painted = Clock::now();
        std::memcpy(copy.data(), surface.Bits(), bytes);
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
        const auto copied = Clock::now();
        const double seconds = std::chrono::duration<double>(painted - start).count();
        state.SetIterationTime(seconds);
        repaintSeconds += seconds;
        copySeconds += std::chrono::duration<double>(copied - painted).count();
    }
    state.counters["memcpy_us"] = benchmark::Counter(copySeconds * 1e6 / static_cast<double>(state.iterations()));
    state.counters["ratio_to_memcpy"] = benchmark::Counter(repaintSeconds / copySeconds);
    state.counters["controls"] = screen.ControlCount();
}

void BM_FullRepaint(benchmark::State& state)
{
    MenuScreen screen;
    MeasureAgainstMemcpy(state, screen, [&] { screen.RepaintAll(); });
}
BENCHMARK(BM_FullRepaint)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_LabelRepaint(benchmark::State& state)
{
    MenuScreen screen;
    MeasureAgainstMemcpy(state, screen, [&] { screen.RepaintRow(); });
}
BENCHMARK(BM_LabelRepaint)->UseManualTime()->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
