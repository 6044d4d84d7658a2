#pragma once

// A 235-colour palette for 8-bit displays, with a 64 x 64 x 64 table of nearest palette
// entries that lets a 32-bit surface be sent to such a display in one pass (Render8Bit). The
// palette belongs to a form: it hooks the form's window procedure to realize itself when the
// palette messages arrive, and takes over presenting the form's picture on a paletted display.

#include "dib/surface/cDIB.h"
#include "platform/components/Forms.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class EDIBPaletteError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

struct TDIBPaletteEntry {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t Flags = 0;
    friend bool operator==(const TDIBPaletteEntry&, const TDIBPaletteEntry&) = default;
};

// Table cell r * 4096 + g * 64 + b holds the entry nearest to red 4r, green 4g, blue 4b, by
// squared distance, the lowest index winning ties: the axes Render8Bit reads. `progress`, when
// set, hears the percentage done (r * 100 div 63) once per red plane.
void BuildDIBLookupTable(std::span<const TDIBPaletteEntry> entries, uint8_t* table,
    const std::function<void(int percent)>& progress = {});
// The same by trying every entry for every cell: the yardstick for the pruned search above.
void BuildDIBLookupTableExhaustive(std::span<const TDIBPaletteEntry> entries, uint8_t* table);

class TDIBPalette : public platform::TComponent, public IDIBLookupPalette {
    TORVA_CLASS(TDIBPalette)
public:
    static constexpr int EntryCount = 235;
    static constexpr size_t ColorsStreamSize = EntryCount * 4;
    static constexpr size_t TableStreamSize = LookupTableSize;

    // The owner must be a form (EDIBPaletteError otherwise).
    explicit TDIBPalette(platform::TComponent* owner);
    ~TDIBPalette() override;

    // The colours a new palette starts with: entry i is grey 255 - i.
    static std::array<TDIBPaletteEntry, EntryCount> GreyRamp();
    const std::array<TDIBPaletteEntry, EntryCount>& PaletteEntries() const { return m_entries; }
    // Re-creates the display palette and, with a table, recomputes it.
    void SetPaletteEntries(std::span<const TDIBPaletteEntry> entries);
    void SetPaletteEntry(int index, const TDIBPaletteEntry& entry);

    bool UseTable() const { return m_useTable; }
    void SetUseTable(bool value);

    // IDIBLookupPalette
    const uint8_t* LookupTable() const override { return m_table.get(); }
    std::vector<uint32_t> Entries() const override { return m_displayPalette; }

    // "DIBPaletteColors" (the entries, always) and "DIBPaletteTable" (only with a table).
    void DefineProperties(platform::TFiler& filer) override;
    void ReadColors(const std::vector<uint8_t>& data);
    std::vector<uint8_t> WriteColors() const;
    void ReadTable(const std::vector<uint8_t>& data);
    std::vector<uint8_t> WriteTable() const;

    void Loaded() override;

    // Shows `dirty` of the form's composed picture: on a paletted display through the lookup
    // table when there is one, else as a plain blit with the palette realized.
    void Present(const PixelView& surface, const TRect& dirty);

protected:
    void Destroying() override;

private:
    platform::TForm& Form() const;
    void RecreateDisplayPalette();
    void ComputeTable();
    bool Designing() const;
    void Hook();
    void Unhook();
    void PaletteWindowProc(const platform::Event& event);
    // Realizes the palette on the form's display; true when the display's entries changed.
    bool Realize(bool background);

    // The owner, kept apart: the palette unhooks it while the ownership is being undone.
    platform::TComponent* m_form;
    std::array<TDIBPaletteEntry, EntryCount> m_entries {};
    std::vector<uint32_t> m_displayPalette;
    bool m_useTable = false;
    std::unique_ptr<uint8_t[]> m_table;
    bool m_hooked = false;
    platform::TForm::TWndMethod m_previousWindowProc;
    platform::TForm::TPresentMethod m_previousPresentProc;
};

// The first palette among the components a form owns, or nullptr.
TDIBPalette* FindDIBPalette(const platform::TComponent& form);
