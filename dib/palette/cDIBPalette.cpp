#include "dib/palette/cDIBPalette.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>

using namespace platform;

namespace {

constexpr int Cells = 64;
constexpr int CellStep = 4;
// Cells per side of the boxes the pruned search works in.
constexpr int BoxCells = 8;

int Distance(const TDIBPaletteEntry& e, int red, int green, int blue)
{
    const int dr = int(e.Red) - red, dg = int(e.Green) - green, db = int(e.Blue) - blue;
    return dr * dr + dg * dg + db * db;
}

// Nearest and farthest an entry's byte can be from any cell colour in [lo, hi].
int AxisNear(int value, int lo, int hi)
{
    return value < lo ? lo - value : value > hi ? value - hi
                                                : 0;
}

int AxisFar(int value, int lo, int hi)
{
    return std::max(std::abs(value - lo), std::abs(value - hi));
}

struct Candidate {
    int nearest; // smallest distance to any cell of the box
    int index;
};

// The entries that can be nearest to some cell of the box, closest first (then by index): an
// entry whose best case is worse than another's worst case never wins inside the box.
void BoxCandidates(std::span<const TDIBPaletteEntry> entries, const int lo[3], const int hi[3],
    std::vector<Candidate>& out)
{
    out.clear();
    int bound = INT_MAX;
    for (const TDIBPaletteEntry& e : entries) {
        const int f0 = AxisFar(e.Red, lo[0], hi[0]), f1 = AxisFar(e.Green, lo[1], hi[1]), f2 = AxisFar(e.Blue, lo[2], hi[2]);
        bound = std::min(bound, f0 * f0 + f1 * f1 + f2 * f2);
    }
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        const TDIBPaletteEntry& e = entries[i];
        const int n0 = AxisNear(e.Red, lo[0], hi[0]), n1 = AxisNear(e.Green, lo[1], hi[1]), n2 = AxisNear(e.Blue, lo[2], hi[2]);
        const int nearest = n0 * n0 + n1 * n1 + n2 * n2;
        if (nearest <= bound)
            out.push_back({ nearest, i });
    }
    std::sort(out.begin(), out.end(),
        [](const Candidate& a, const Candidate& b) { return a.nearest != b.nearest ? a.nearest < b.nearest : a.index < b.index; });
}

uint8_t NearestCandidate(std::span<const TDIBPaletteEntry> entries, const std::vector<Candidate>& candidates, int red,
    int green, int blue)
{
    int best = 0;
    int bestDistance = INT_MAX;
    for (const Candidate& c : candidates) {
        if (c.nearest > bestDistance)
            break;
        const int d = Distance(entries[c.index], red, green, blue);
        if (d < bestDistance || (d == bestDistance && c.index < best)) {
            best = c.index;
            bestDistance = d;
        }
    }
    return static_cast<uint8_t>(best);
}

size_t Cell(int r, int g, int b)
{
    return size_t(r) * Cells * Cells + size_t(g) * Cells + size_t(b);
}

TComponent* RequireForm(TComponent* owner)
{
    if (!dynamic_cast<TForm*>(owner))
        throw EDIBPaletteError("Palette owner must be a TCustomForm.");
    return owner;
}

// The form's composed picture as a surface, without copying it.
class TPixelViewDIB final : public TCustomMemoryDIB {
public:
    explicit TPixelViewDIB(const PixelView& view)
        : m_view(view)
    {
        SetSize(view.width, view.height);
    }
    ~TPixelViewDIB() override { ReleaseOwnedBits(); }

protected:
    uint32_t* AllocBits(int, int) override { return reinterpret_cast<uint32_t*>(m_view.bits); }
    void FreeBits(uint32_t*) override {}

private:
    PixelView m_view;
};

class TWindowDevice final : public IDIB8BitDevice {
public:
    explicit TWindowDevice(IWindowBackend& window)
        : m_window(window)
    {
    }
    int BitsPerPixel() const override { return m_window.BitsPerPixel(); }
    void SetDIBitsToDevice(int x, int y, int width, int height, const uint8_t* bits, int stride,
        const std::vector<uint32_t>& colorTable) override
    {
        m_window.PresentIndexed(x, y, width, height, bits, stride, colorTable);
    }

private:
    IWindowBackend& m_window;
};

}

void BuildDIBLookupTable(std::span<const TDIBPaletteEntry> entries, uint8_t* table,
    const std::function<void(int percent)>& progress)
{
    if (entries.empty()) {
        std::memset(table, 0, IDIBLookupPalette::LookupTableSize);
        return;
    }
    std::vector<Candidate> candidates;
    candidates.reserve(entries.size());
    for (int r0 = 0; r0 < Cells; r0 += BoxCells) {
        for (int g0 = 0; g0 < Cells; g0 += BoxCells) {
            for (int b0 = 0; b0 < Cells; b0 += BoxCells) {
                const int lo[3] = { r0 * CellStep, g0 * CellStep, b0 * CellStep };
                const int hi[3] = { (r0 + BoxCells - 1) * CellStep, (g0 + BoxCells - 1) * CellStep,
                    (b0 + BoxCells - 1) * CellStep };
                BoxCandidates(entries, lo, hi, candidates);
                for (int r = r0; r < r0 + BoxCells; ++r)
                    for (int g = g0; g < g0 + BoxCells; ++g)
                        for (int b = b0; b < b0 + BoxCells; ++b)
                            table[Cell(r, g, b)] = NearestCandidate(entries, candidates, r * CellStep, g * CellStep, b * CellStep);
            }
        }
        if (progress) {
            for (int r = r0; r < r0 + BoxCells; ++r)
                progress(r * 100 / 63);
        }
    }
}

void BuildDIBLookupTableExhaustive(std::span<const TDIBPaletteEntry> entries, uint8_t* table)
{
    for (int r = 0; r < Cells; ++r) {
        for (int g = 0; g < Cells; ++g) {
            for (int b = 0; b < Cells; ++b) {
                int best = 0;
                int bestDistance = INT_MAX;
                for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
                    const int d = Distance(entries[i], r * CellStep, g * CellStep, b * CellStep);
                    if (d < bestDistance) {
                        best = i;
                        bestDistance = d;
                        if (d == 0)
                            break;
                    }
                }
                table[Cell(r, g, b)] = static_cast<uint8_t>(best);
            }
        }
    }
}

const ClassInfo& TDIBPalette::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBPalette>("TDIBPalette", &TComponent::StaticClass())
                                      .Creatable()
                                      .Boolean("UseTable", &TDIBPalette::UseTable, &TDIBPalette::SetUseTable)
                                      .Build();
    return info;
}
static ClassRegistration paletteRegistration(TDIBPalette::StaticClass());

TDIBPalette::TDIBPalette(TComponent* owner)
    : TComponent(RequireForm(owner))
    , m_form(owner)
{
    try {
        m_displayPalette.reserve(EntryCount);
    } catch (const std::bad_alloc&) {
        throw EDIBPaletteError("Could not get enough memory for a palette.");
    }
    m_entries = GreyRamp();
    RecreateDisplayPalette();
    if (!Designing())
        Hook();
}

std::array<TDIBPaletteEntry, TDIBPalette::EntryCount> TDIBPalette::GreyRamp()
{
    std::array<TDIBPaletteEntry, EntryCount> entries;
    for (int i = 0; i < EntryCount; ++i) {
        const auto grey = static_cast<uint8_t>(255 - i);
        entries[i] = { grey, grey, grey, 0 };
    }
    return entries;
}

TDIBPalette::~TDIBPalette()
{
    Unhook();
}

void TDIBPalette::Destroying()
{
    Unhook();
    TComponent::Destroying();
}

TForm& TDIBPalette::Form() const
{
    return *static_cast<TForm*>(m_form);
}

bool TDIBPalette::Designing() const
{
    return (ComponentState() & csDesigning) != 0;
}

void TDIBPalette::SetPaletteEntries(std::span<const TDIBPaletteEntry> entries)
{
    std::copy_n(entries.begin(), std::min<size_t>(entries.size(), EntryCount), m_entries.begin());
    RecreateDisplayPalette();
    if (m_table && !IsLoading())
        ComputeTable();
}

void TDIBPalette::SetPaletteEntry(int index, const TDIBPaletteEntry& entry)
{
    if (index < 0 || index >= EntryCount)
        return;
    m_entries[index] = entry;
    RecreateDisplayPalette();
    if (m_table && !IsLoading())
        ComputeTable();
}

void TDIBPalette::RecreateDisplayPalette()
{
    m_displayPalette.clear();
    for (const TDIBPaletteEntry& e : m_entries)
        m_displayPalette.push_back(uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue);
}

void TDIBPalette::SetUseTable(bool value)
{
    m_useTable = value;
    if (!value) {
        m_table.reset();
        return;
    }
    if (!m_table)
        m_table = std::make_unique<uint8_t[]>(LookupTableSize);
    if (!IsLoading())
        ComputeTable();
}

void TDIBPalette::ComputeTable()
{
    if (!Designing()) {
        BuildDIBLookupTable(m_entries, m_table.get());
        return;
    }
    // While a form is being designed the computation shows its progress in the main form's
    // caption; the caption comes back afterwards.
    TForm* mainForm = Application().MainForm();
    const std::string caption = mainForm ? mainForm->Caption() : std::string();
    BuildDIBLookupTable(m_entries, m_table.get(), [mainForm](int percent) {
        if (mainForm)
            mainForm->SetCaption("Processing " + std::to_string(percent) + "%");
    });
    if (mainForm)
        mainForm->SetCaption(caption);
}

void TDIBPalette::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "DIBPaletteColors", [this](const std::vector<uint8_t>& data) { ReadColors(data); },
        [this] { return WriteColors(); }, true);
    filer.DefineBinaryProperty(
        "DIBPaletteTable", [this](const std::vector<uint8_t>& data) { ReadTable(data); },
        [this] { return WriteTable(); }, m_useTable && m_table);
}

void TDIBPalette::ReadColors(const std::vector<uint8_t>& data)
{
    if (data.empty())
        return;
    if (data.size() != ColorsStreamSize)
        throw EDIBPaletteError("Invalid palette stream.");
    for (int i = 0; i < EntryCount; ++i)
        m_entries[i] = { data[i * 4], data[i * 4 + 1], data[i * 4 + 2], data[i * 4 + 3] };
    RecreateDisplayPalette();
    // Outside loading a table made for the old colours would map to the wrong entries.
    if (m_table && !IsLoading())
        ComputeTable();
}

std::vector<uint8_t> TDIBPalette::WriteColors() const
{
    std::vector<uint8_t> data;
    data.reserve(ColorsStreamSize);
    for (const TDIBPaletteEntry& e : m_entries)
        data.insert(data.end(), { e.Red, e.Green, e.Blue, e.Flags });
    return data;
}

void TDIBPalette::ReadTable(const std::vector<uint8_t>& data)
{
    if (data.empty())
        return;
    if (data.size() != TableStreamSize)
        throw EDIBPaletteError("Invalid palette stream.");
    // Indices beyond the palette would pick colours the display does not have.
    for (uint8_t index : data) {
        if (index >= EntryCount)
            throw EDIBPaletteError("Invalid palette stream.");
    }
    if (!m_table)
        m_table = std::make_unique<uint8_t[]>(LookupTableSize);
    std::copy(data.begin(), data.end(), m_table.get());
}

std::vector<uint8_t> TDIBPalette::WriteTable() const
{
    if (!m_table)
        return {};
    return std::vector<uint8_t>(m_table.get(), m_table.get() + TableStreamSize);
}

void TDIBPalette::Loaded()
{
    TComponent::Loaded();
    RecreateDisplayPalette();
    if (m_useTable) {
        SetUseTable(false);
        SetUseTable(true);
    }
}

void TDIBPalette::Hook()
{
    TForm& form = Form();
    m_previousWindowProc = form.WindowProc();
    m_previousPresentProc = form.PresentProc();
    form.SetWindowProc([this](const Event& event) { PaletteWindowProc(event); });
    form.SetPresentProc([this](const PixelView& surface, const TRect& dirty) { Present(surface, dirty); });
    m_hooked = true;
}

void TDIBPalette::Unhook()
{
    if (!m_hooked)
        return;
    m_hooked = false;
    // A form deleted outside Free is no form any more by the time its components go; there is
    // no window procedure left to give back then.
    auto* form = dynamic_cast<TForm*>(m_form);
    if (!form)
        return;
    form->SetWindowProc(std::move(m_previousWindowProc));
    form->SetPresentProc(std::move(m_previousPresentProc));
}

bool TDIBPalette::Realize(bool background)
{
    IWindowBackend* window = Form().Window();
    return window && window->RealizePalette(m_displayPalette, background) > 0;
}

void TDIBPalette::PaletteWindowProc(const Event& event)
{
    switch (event.type) {
    case EventType::QueryNewPalette:
        if (Realize(false))
            Form().InvalidateRect(Form().ClientRect());
        m_previousWindowProc(event);
        break;
    case EventType::PaletteChanged:
        if (Realize(true))
            Form().InvalidateRect(Form().ClientRect());
        break;
    default:
        m_previousWindowProc(event);
        break;
    }
}

void TDIBPalette::Present(const PixelView& surface, const TRect& dirty)
{
    IWindowBackend* window = Form().Window();
    if (!window)
        return;
    if (window->BitsPerPixel() != 8) {
        if (m_previousPresentProc)
            m_previousPresentProc(surface, dirty);
        else
            window->Present(surface, dirty);
        return;
    }
    // The palette must be in the display's palette for its colours to show as themselves.
    Realize(!Form().Active());
    if (!m_table) {
        window->Present(surface, dirty);
        return;
    }
    TPixelViewDIB picture(surface);
    TWindowDevice device(*window);
    picture.Render8Bit(device, dirty.Left, dirty.Top, *this, dirty.Left, dirty.Top, dirty.Width(), dirty.Height());
}

TDIBPalette* FindDIBPalette(const TComponent& form)
{
    for (int i = 0; i < form.ComponentCount(); ++i) {
        if (auto* palette = dynamic_cast<TDIBPalette*>(form.Components(i)))
            return palette;
    }
    return nullptr;
}
