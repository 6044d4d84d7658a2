// The form: its published state, its model, its views and what the window gives the model.

#include "menu/form/main_f.h"

#include "menu/form/LayoutControls.h"

#include "platform/components/ExtCtrls.h"
#include "platform/process/Process.h"

const platform::ClassInfo& TForm1::StaticClass()
{
    // The navigation state and the settings are published read-only, so the test driver can
    // look at them by name; a layout never stores them.
    platform::ClassBuilder<TForm1> builder("TForm1", &platform::TForm::StaticClass());
    auto readOnly = [&builder](const char* name, int32_t (*get)(const MenuState&)) {
        builder.Integer(
                   name, [get](const TForm1& f) { return get(f.Model); }, [](TForm1&, int32_t) {})
            .NotStored()
            .ReadOnly();
    };
    readOnly("Category", [](const MenuState& m) { return static_cast<int32_t>(m.Category()); });
    readOnly("ItemIndex", [](const MenuState& m) { return m.ItemIndex(); });
    readOnly("TopIndex", [](const MenuState& m) { return m.TopIndex(); });
    readOnly("PageCount", [](const MenuState& m) { return m.PageCount(); });
    readOnly("HotIcon", [](const MenuState& m) { return m.HotIcon(); });
    readOnly("SelectedSlot", [](const MenuState& m) { return m.SelectedSlot(); });
    readOnly("Enhanced", [](const MenuState& m) { return m.Settings().enhanced; });
    readOnly("Slow", [](const MenuState& m) { return m.Settings().slow; });
    readOnly("PictureCount", [](const MenuState& m) { return m.PictureCount(); });
    readOnly("PictureNumber", [](const MenuState& m) { return m.Pictures.Number; });
    static const platform::ClassInfo info = builder.Build();
    return info;
}

TForm1::TForm1(platform::Services& services, MenuEnvironment environment, platform::TComponent* owner)
    : platform::TForm(owner)
    , Model(services, std::move(environment))
{
}

TForm1::~TForm1()
{
    // The destruction event and the owned controls go while every part of the form is whole,
    // also when the form is deleted rather than freed.
    BeforeDestruction();
    if (Detail)
        Model.Services().processes.SetOpenFailedHandler(nullptr);
}

void TForm1::HandleEvent(const platform::Event& event)
{
    platform::TForm::HandleEvent(event);
    if (!Detail || IsDestroying())
        return;
    // A lit image belongs to the action under the pointer: leaving the action for another
    // control, for the window's edge or for outside the window puts it out.
    switch (event.type) {
    case platform::EventType::MouseMove:
    case platform::EventType::MouseDown:
    case platform::EventType::MouseUp: Detail->HideLitActions(ControlAtPoint({ event.x, event.y })); break;
    case platform::EventType::MouseLeaveWindow: Detail->HideLitActions(); break;
    default: break;
    }
}

void TForm1::ShowError(const std::string& text)
{
    Model.Services().dialogs.ShowError(text);
}

void TForm1::MakeViews()
{
    ListView = std::make_unique<ItemListView>(Model, *this);
    Detail = std::make_unique<DetailView>(Model, *this);
    Icons = std::make_unique<IconColumn>(Model, *this);
    Viewer = std::make_unique<PictureViewer>(Model, *this);
    Animations = std::make_unique<SideAnimations>(Model, *this);
    m_discLabels = std::make_unique<DiscLabels>(*this);
    m_outline = std::make_unique<WindowOutline>(*this);

    MenuViews views;
    views.refresh = [this] { RefreshItemViews(); };
    views.installedPageOpening = [this] { ListView->Fill(); };
    views.installedPageShown = [this] { ShowInstalledPage(); };
    views.repaint = [this] { Repaint(); };
    views.bringToFront = [this] { BringWindowToFront(); };
    // The layout's timer that polls a running setup.
    platform::TTimer* pollTimer = LayoutControl<platform::TTimer>(*this, "Timer1");
    views.pollTimer = [pollTimer]() -> platform::TTimer& { return *pollTimer; };
    Model.SetViews(std::move(views));
}
