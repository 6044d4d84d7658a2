#pragma once

// The shelf's window: a view of the shelf's state (ShelfState) drawn on the form's own surface
// in the program's own artwork (ShelfLook), one row per disc (its label and issue, date, counts
// per category and installed items, a damaged one greyed with the reason), or the items a typed
// query finds.
// Keys, the mouse and its wheel go to the state; what Enter or a click on the selected row
// opens goes to OnOpen. The index is built once the window shows, its progress drawn as it goes.

#include "platform/components/Forms.h"
#include "platform/services/Services.h"
#include "shelf/ShelfIndex.h"
#include "shelf/ShelfIndexing.h"
#include "shelf/ShelfState.h"
#include "shelf/form/ShelfLook.h"

#include <functional>
#include <memory>
#include <string>

class TShelfForm : public platform::TForm {
    TORVA_CLASS(TShelfForm)

public:
    TShelfForm(platform::Services& services, shelf::ShelfOptions options, platform::TComponent* owner);
    ~TShelfForm() override;

    shelf::ShelfState State;
    // Opens a disc the user chose; the program hides the shelf while the disc is open.
    std::function<void(const shelf::ShelfOpening&)> OnOpen;
    // A disc opened from the shelf is shown instead of the shelf.
    bool DiscOpen = false;

    // Reads the index (from its cache where it can) on a thread of its own while the window
    // goes on handling its input and draws the progress; the installed counts come again from
    // the state file when called after a disc was closed. Leaving the window stops the reading.
    void BuildIndex();

    void KeyDown(uint16_t& key, platform::TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;

protected:
    void DoShow() override;
    void PaintWindow(platform::TCanvas& canvas) override;

private:
    void Changed();
    void Open();
    void PaintRow(platform::TCanvas& canvas, size_t row, int top);
    std::string Details(const shelf::ShelfDisc& disc) const;

    platform::Services& m_services;
    ShelfLook m_look;
    shelf::ShelfOptions m_options;
    std::unique_ptr<shelf::ShelfIndex> m_index;
    shelf::ShelfIndexing* m_indexing = nullptr; // while the index is built
    std::string m_progress;                     // while the index is built, or why it could not be
    bool m_built = false;
};
