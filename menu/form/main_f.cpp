// The form without its window: its published fields, its parts and the hooks the window adds.

#include "menu/form/main_f.h"

#include "platform/strings/StringTable.h"

const platform::ClassInfo& TForm1::StaticClass()
{
    // The navigation state and the settings are published read-only, so the test driver and
    // torvatool can look at them by name; a layout never stores them.
    auto readOnly = [](platform::ClassBuilder<TForm1>& builder, const char* name, int32_t TForm1::*field) {
        builder.Integer(
                   name, [field](const TForm1& f) { return f.*field; }, [](TForm1&, int32_t) {})
            .NotStored()
            .ReadOnly();
    };
    platform::ClassBuilder<TForm1> builder("TForm1", &platform::TForm::StaticClass());
    builder.Integer(
               "Category", [](const TForm1& f) { return static_cast<int32_t>(f.Category); }, [](TForm1&, int32_t) {})
        .NotStored()
        .ReadOnly();
    readOnly(builder, "ItemIndex", &TForm1::ItemIndex);
    readOnly(builder, "TopIndex", &TForm1::TopIndex);
    readOnly(builder, "PageCount", &TForm1::PageCount);
    readOnly(builder, "HotIcon", &TForm1::HotIcon);
    readOnly(builder, "SelectedSlot", &TForm1::SelectedSlot);
    readOnly(builder, "Enhanced", &TForm1::Enhanced);
    readOnly(builder, "Slow", &TForm1::Slow);
    readOnly(builder, "PictureCount", &TForm1::PictureCount);
    builder.Integer(
               "PictureNumber", [](const TForm1& f) { return f.Pictures.Number; }, [](TForm1&, int32_t) {})
        .NotStored()
        .ReadOnly();
    static const platform::ClassInfo info = builder.Build();
    return info;
}

static std::unique_ptr<shell::FileTree> MakeFileTree(const MenuEnvironment& environment)
{
    shell::FileTreeContext context;
    context.messageBoxes = environment.MessageBoxes;
    context.cursor = environment.Cursor;
    context.LoadSpecial = [](uint32_t id, const std::string& argument) { return platform::LoadSpecial(id, argument); };
    return std::make_unique<shell::FileTree>(std::move(context));
}

TForm1::TForm1(MenuEnvironment environment, platform::TComponent* owner)
    : platform::TForm(owner)
    , m_environment(std::move(environment))
    , m_fileTree(MakeFileTree(m_environment))
    , Catalogue(Context)
    , Status(Context, *m_fileTree, m_environment.MessageBoxes)
    , InstalledPage(Context)
    , Startup(Context, *m_fileTree, m_environment.OwnPath, m_environment.MessageBoxes, { Enhanced, Slow, Terminated })
    , Texts(Context)
{
    MakeActionParts();
}

TForm1::~TForm1()
{
    // The destruction event and the owned controls go while every part of the form is whole,
    // also when the form is deleted rather than freed.
    BeforeDestruction();
    if (m_windowTeardown)
        m_windowTeardown();
}

void TForm1::HandleEvent(const platform::Event& event)
{
    platform::TForm::HandleEvent(event);
    if (m_afterInput && !IsDestroying())
        m_afterInput(event);
}

void TForm1::CatalogueLoaded()
{
    if (m_afterCatalogue)
        m_afterCatalogue();
}

void TForm1::ShowError(const std::string& text)
{
    if (m_environment.MessageBoxes)
        m_environment.MessageBoxes->ShowError(text);
}
