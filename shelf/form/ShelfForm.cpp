#include "shelf/form/ShelfForm.h"

#include "platform/components/ClassBuilder.h"
#include "platform/text/Codepage.h"
#include "shelf/form/ShelfArt.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

namespace {

using platform::TCanvas;

using namespace shelf::art;

constexpr int PageRows = (ListBottom - ListTop) / RowHeight;
constexpr int TextLeft = ListLeft + 16;
constexpr int TextRight = ListRight - 10;
// How often the window looks at the reading's progress while it keeps handling its input.
constexpr std::chrono::milliseconds IndexingStep { 20 };

// The menu's own text colours: light on the dark ground, its gold for the chosen row's name,
// grey for what cannot be opened.
constexpr TColor Chosen = 0x4FC8FF; // BGR: gold
constexpr TColor Text = 0xF0EAE4;
constexpr TColor Dim = 0xC8B4A0;
constexpr TColor Greyed = 0x8C8C8C;

std::string Cp(const char* utf8)
{
    return platform::Utf8ToCp1250(utf8);
}

void Write(TCanvas& canvas, int x, int y, const std::string& text, TColor color, int height, bool bold = false)
{
    // The face of the menu's own labels and boxes.
    canvas.Font.Name = "Tahoma";
    canvas.Font.Charset = platform::EASTEUROPE_CHARSET;
    canvas.Font.Height = -height;
    canvas.Font.Bold = bold;
    canvas.Font.Color = color;
    canvas.Brush.Style = platform::BrushStyle::Clear;
    // Cut where the list's plates end, short of the frame.
    TRect rect { x, y, TextRight, y + 2 * height };
    canvas.DrawText(text, rect, platform::DT_SINGLELINE | platform::DT_NOPREFIX);
}

}

const platform::ClassInfo& TShelfForm::StaticClass()
{
    // The shelf's state, read-only, for the test driver's expect and get.
    platform::ClassBuilder<TShelfForm> builder("TShelfForm", &platform::TForm::StaticClass());
    builder.String(
               "Query", [](const TShelfForm& f) { return f.State.Query(); }, [](TShelfForm&, const std::string&) {})
        .NotStored()
        .ReadOnly();
    builder.Integer(
               "RowCount", [](const TShelfForm& f) { return static_cast<int32_t>(f.State.RowCount()); }, [](TShelfForm&, int32_t) {})
        .NotStored()
        .ReadOnly();
    builder.Integer(
               "Selected", [](const TShelfForm& f) { return static_cast<int32_t>(f.State.Selected()); }, [](TShelfForm&, int32_t) {})
        .NotStored()
        .ReadOnly();
    builder
        .String(
            "SelectedText",
            [](const TShelfForm& f) {
                const int row = f.State.Selected();
                if (row < 0)
                    return std::string();
                const std::string problem = f.State.Problem(static_cast<size_t>(row));
                return problem.empty() ? f.State.RowText(static_cast<size_t>(row)) : f.State.RowText(static_cast<size_t>(row)) + " (" + problem + ")";
            },
            [](TShelfForm&, const std::string&) {})
        .NotStored()
        .ReadOnly();
    builder.Boolean(
               "DiscOpen", [](const TShelfForm& f) { return f.DiscOpen; }, [](TShelfForm&, bool) {})
        .NotStored()
        .ReadOnly();
    static const platform::ClassInfo info = builder.Build();
    return info;
}

TShelfForm::TShelfForm(platform::Services& services, shelf::ShelfOptions options, platform::TComponent* owner)
    : platform::TForm(owner)
    , State(PageRows)
    , m_services(services)
    , m_options(std::move(options))
{
    SetName("Shelf");
    SetBorderStyle(platform::TFormBorderStyle::bsSingle);
    SetCaption(Cp("Torva CD v2 – police"));
    SetBounds(0, 0, WindowWidth, WindowHeight);
    OnMouseWheel = [this](platform::TObject*, platform::TShiftState, int delta, TPoint, bool& handled) {
        State.Step(delta < 0 ? 1 : -1);
        Changed();
        handled = true;
    };
}

TShelfForm::~TShelfForm() = default;

void TShelfForm::DoShow()
{
    platform::TForm::DoShow();
    if (!m_built)
        m_services.loop.PostCallback([this] { BuildIndex(); });
}

void TShelfForm::BuildIndex()
{
    m_built = true;
    // The installed counts are read here, on the window's thread, once the discs are known.
    shelf::ShelfOptions options = m_options;
    options.stateFile.reset();
    shelf::ShelfIndexing indexing(std::move(options));
    m_indexing = &indexing;
    size_t shown = SIZE_MAX;
    while (!indexing.Finished()) {
        if (indexing.Done() != shown) {
            shown = indexing.Done();
            m_progress = Cp("Prohledávám disky: ") + std::to_string(shown) + " z " + std::to_string(indexing.Total());
            Changed();
            PaintNow();
        }
        platform::Application().ProcessMessages();
        if (m_services.loop.Terminated())
            indexing.Stop();
        std::this_thread::sleep_for(IndexingStep);
    }
    m_indexing = nullptr;
    m_progress.clear();
    std::optional<shelf::ShelfIndex> index = indexing.Take();
    if (!index) {
        if (const std::string failure = indexing.Failure(); !failure.empty())
            m_progress = Cp("Disky nelze prohledat: ") + platform::Utf8ToCp1250(failure);
        Changed();
        return;
    }
    if (m_options.stateFile)
        index->MarkInstalled(*m_options.stateFile);
    // The rows show the old index until the new one takes its place.
    auto built = std::make_unique<shelf::ShelfIndex>(std::move(*index));
    State.SetIndex(built.get());
    m_index = std::move(built);
    Changed();
}

// The whole window is drawn again: the rows, the query and the help line all follow the state.
void TShelfForm::Changed()
{
    InvalidateRect(ClientRect());
}

void TShelfForm::Open()
{
    // A disc is opened from an index that is whole, never from within its reading.
    if (m_indexing)
        return;
    if (auto opening = State.Enter(); opening && OnOpen)
        OnOpen(*opening);
}

void TShelfForm::KeyDown(uint16_t& key, platform::TShiftState shift)
{
    platform::TForm::KeyDown(key, shift);
    switch (key) {
    case platform::VK_UP: State.Step(-1); break;
    case platform::VK_DOWN: State.Step(1); break;
    case platform::VK_PRIOR: State.PageBy(-1); break;
    case platform::VK_NEXT: State.PageBy(1); break;
    case platform::VK_HOME: State.Home(); break;
    case platform::VK_END: State.End(); break;
    case platform::VK_BACK: State.Backspace(); break;
    case platform::VK_RETURN: Open(); return;
    case platform::VK_ESCAPE:
        if (State.Escape())
            break;
        // Leaving while the discs are read stops the reading first.
        if (m_indexing)
            m_indexing->Stop();
        Close();
        break;
    default: return;
    }
    Changed();
}

void TShelfForm::KeyPress(char& key)
{
    platform::TForm::KeyPress(key);
    if (static_cast<unsigned char>(key) < 0x20)
        return;
    State.Type(key);
    Changed();
}

// A click selects a row; a click on the selected row opens it.
void TShelfForm::MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y)
{
    platform::TForm::MouseDown(button, shift, x, y);
    if (button != platform::TMouseButton::mbLeft || y < ListTop || y >= ListBottom)
        return;
    const int offset = (y - ListTop) / RowHeight;
    const int before = State.Selected();
    if (!State.SelectOnPage(offset))
        return;
    Changed();
    if (State.Selected() == before)
        Open();
}

std::string TShelfForm::Details(const shelf::ShelfDisc& disc) const
{
    std::string text = disc.date;
    for (const shelf::CategoryCount& count : disc.counts) {
        if (!text.empty())
            text += ", ";
        text += shelf::CategoryTitle(count.category) + " " + std::to_string(count.count);
    }
    if (disc.installed > 0)
        text += Cp(", nainstalováno ") + std::to_string(disc.installed);
    return text;
}

void TShelfForm::PaintRow(TCanvas& canvas, size_t row, int top)
{
    const shelf::ShelfRow& r = State.Row(row);
    const shelf::ShelfDisc& disc = m_index->Discs().at(r.disc);
    const bool chosen = static_cast<int>(row) == State.Selected();
    const std::string problem = State.Problem(row);
    m_look.PaintRow(canvas, { ListLeft + 2, top, ListRight - 2, top + RowHeight }, chosen, !problem.empty());
    const TColor main = !problem.empty() ? Greyed : chosen ? Chosen
                                                           : Text;
    const TColor second = !problem.empty() ? Greyed : Dim;
    std::string line;
    std::string detail;
    if (r.hit) {
        line = m_index->ItemOf(*r.hit).name;
        // Two copies of one issue differ by their file.
        detail = shelf::CategoryTitle(r.hit->category) + " \x96 " + disc.label + " (" + disc.source.filename().string() + ")";
    } else {
        line = State.RowText(row);
        detail = problem.empty() ? Details(disc) : problem + " \x96 " + disc.source.filename().string();
    }
    Write(canvas, TextLeft, top + 6, line, main, 14, true);
    Write(canvas, TextLeft, top + 23, detail, second, 12);
}

void TShelfForm::PaintWindow(TCanvas& canvas)
{
    m_look.PaintBackground(canvas);
    m_look.PaintSearchField(canvas);
    const std::string search = State.Query().empty() ? Cp("Pište pro hledání ve všech discích") : Cp("Hledat: ") + State.Query() + "_";
    Write(canvas, SearchLeft + 10, SearchTop + 6, m_progress.empty() ? search : m_progress, State.Query().empty() ? Dim : Text, 13);

    if (m_index) {
        for (int i = 0; i < PageRows; ++i) {
            const size_t row = static_cast<size_t>(State.Top() + i);
            if (row >= State.RowCount())
                break;
            PaintRow(canvas, row, ListTop + i * RowHeight);
        }
        if (State.RowCount() == 0)
            Write(canvas, TextLeft, ListTop + 10, Cp(State.Query().empty() ? "Ve složkách nejsou žádné disky." : "Nic nenalezeno."), Dim, 14);
    }
    const std::string help = Cp("Enter otevře, Esc ") + Cp(State.Query().empty() ? "ukončí" : "smaže hledání")
        + (State.RowCount() ? "   " + std::to_string(State.Selected() + 1) + " / " + std::to_string(State.RowCount()) : std::string());
    Write(canvas, TextLeft, FooterTop + 4, help, Dim, 12);
}
