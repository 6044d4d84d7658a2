#include "dib/control/cDIBFeatures.h"

#include "dib/control/cDIBControl.h"
#include "platform/layout/LayoutReader.h"

#include <algorithm>
#include <cstring>

using namespace platform;

namespace {

std::vector<const ClassInfo*>& FeatureRegistry()
{
    static std::vector<const ClassInfo*> registry;
    return registry;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y)); });
}

void PutString(std::vector<uint8_t>& out, const std::string& text)
{
    const auto length = static_cast<uint32_t>(text.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(length >> (8 * i)));
    out.insert(out.end(), text.begin(), text.end());
}

// A length-prefixed string from `data` at `at`, which moves past it.
std::string TakeString(const std::vector<uint8_t>& data, size_t& at)
{
    if (data.size() - at < 4)
        throw EFeatureError("Invalid feature parameters.");
    uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length |= uint32_t(data[at + i]) << (8 * i);
    at += 4;
    if (data.size() - at < length)
        throw EFeatureError("Invalid feature parameters.");
    std::string text(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
    return text;
}

struct FeatureRegistration {
    explicit FeatureRegistration(const ClassInfo& info) { RegisterDIBFeature(info); }
};

}

// ---- registry ------------------------------------------------------------------------------

void RegisterDIBFeature(const ClassInfo& info)
{
    if (!info.InheritsFrom(TDIBFeature::StaticClass()))
        throw EFeatureError(info.Name() + " is not a DIB feature");
    auto& registry = FeatureRegistry();
    if (std::find(registry.begin(), registry.end(), &info) == registry.end())
        registry.push_back(&info);
    RegisterClass(info);
}

const ClassInfo* FindDIBFeature(std::string_view className)
{
    for (const ClassInfo* info : FeatureRegistry()) {
        if (EqualsNoCase(info->Name(), className))
            return info;
    }
    return nullptr;
}

std::vector<const ClassInfo*> DIBFeatureClasses()
{
    return FeatureRegistry();
}

// ---- feature base --------------------------------------------------------------------------

const ClassInfo& TDIBFeature::StaticClass()
{
    static const ClassInfo info("TDIBFeature", &TComponent::StaticClass());
    return info;
}

TDIBFeature::TDIBFeature(TComponent* owner)
    : TComponent(owner)
{
}

bool TDIBFeature::AcceptsControl(const TControl&) const
{
    return true;
}

std::string TDIBFeature::Description() const
{
    return "Unknown feature";
}

void TDIBFeature::HandleMessage(TDIBMessage&, bool&) {}

// ---- items ---------------------------------------------------------------------------------

const ClassInfo& TDIBFeatureItem::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBFeatureItem>("TDIBFeatureItem", &TCollectionItem::StaticClass())
                                      .Boolean("Enabled", &TDIBFeatureItem::Enabled, &TDIBFeatureItem::SetEnabled, true)
                                      .String("FeatureClassName", &TDIBFeatureItem::FeatureClassName, &TDIBFeatureItem::SetFeatureClassName)
                                      .String("FeatureParameters", &TDIBFeatureItem::FeatureParameters, &TDIBFeatureItem::SetFeatureParameters)
                                      .Build();
    return info;
}

TDIBFeatureItem::TDIBFeatureItem(TCollection* collection)
    : TCollectionItem(collection)
{
}

TDIBFeatureItem::~TDIBFeatureItem() = default;

TCustomDIBControl* TDIBFeatureItem::OwnerControl() const
{
    return Collection() ? dynamic_cast<TCustomDIBControl*>(Collection()->Owner()) : nullptr;
}

void TDIBFeatureItem::SetFeatureClassName(const std::string& name)
{
    const ClassInfo* info = name.empty() ? nullptr : FindDIBFeature(name);
    if (!name.empty() && !info)
        throw EFeatureError(name + " has not been registered");
    m_feature.reset();
    m_featureClassName = name;
    if (!info)
        return;
    ComponentPtr<TDIBFeature> feature(static_cast<TDIBFeature*>(info->Create(nullptr)));
    TCustomDIBControl* control = OwnerControl();
    if (control && !feature->AcceptsControl(*control))
        throw EFeatureError(info->Name() + " cannot serve a " + control->ClassName());
    feature->SetControl(control);
    m_feature = std::move(feature);
}

std::string TDIBFeatureItem::DisplayName() const
{
    return m_feature ? m_feature->Description() : "DIB feature";
}

void TDIBFeatureItem::DefineProperties(TFiler& filer)
{
    TCollectionItem::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "DIBFeatureParameters", [this](const std::vector<uint8_t>& data) { ReadParameters(data); },
        [this] { return WriteParameters(); }, m_feature != nullptr);
}

std::vector<uint8_t> TDIBFeatureItem::WriteParameters() const
{
    std::vector<uint8_t> data;
    if (!m_feature)
        return data;
    PutString(data, m_feature->ClassName());
    PutString(data, WriteLayout(*m_feature));
    return data;
}

void TDIBFeatureItem::ReadParameters(const std::vector<uint8_t>& data)
{
    m_storedParameters = data;
}

void TDIBFeatureItem::Loaded()
{
    if (!m_storedParameters)
        return;
    const std::vector<uint8_t> data = std::move(*m_storedParameters);
    m_storedParameters.reset();
    if (data.empty())
        return;
    size_t at = 0;
    const std::string className = TakeString(data, at);
    const std::string properties = TakeString(data, at);
    if (!className.empty() && !(m_feature && EqualsNoCase(m_feature->ClassName(), className)))
        SetFeatureClassName(className);
    if (!m_feature || properties.empty())
        return;
    if (auto read = ReadLayout(*m_feature, properties, "DIBFeatureParameters"); !read)
        throw EFeatureError(read.Error().Message());
}

bool TDIBFeatureItem::HandleMessage(TDIBMessage& message)
{
    if (!m_enabled || !m_feature)
        return false;
    bool handled = false;
    m_feature->HandleMessage(message, handled);
    return handled;
}

// ---- collection ----------------------------------------------------------------------------

const ClassInfo& TDIBFeatures::StaticClass()
{
    static const ClassInfo info("TDIBFeatures", &TCollection::StaticClass());
    return info;
}

TDIBFeatures::TDIBFeatures(TComponent* control)
    : TItemCollection(control)
{
}

void TDIBFeatures::Loaded()
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->Loaded();
}

bool TDIBFeatures::OfferToItems(TDIBMessage& message)
{
    for (int i = 0; i < Count(); ++i) {
        if (Items(i)->HandleMessage(message))
            return true;
    }
    return false;
}

// ---- highlight -----------------------------------------------------------------------------

const ClassInfo& THighlightDIB::StaticClass()
{
    static const ClassInfo info = ClassBuilder<THighlightDIB>("THighlightDIB", &TDIBFeature::StaticClass())
                                      .Creatable()
                                      .Integer("HighlightOpacity", &THighlightDIB::HighlightOpacity, &THighlightDIB::SetHighlightOpacity, 255)
                                      .Build();
    return info;
}
static FeatureRegistration highlightRegistration(THighlightDIB::StaticClass());

THighlightDIB::THighlightDIB(TComponent* owner)
    : TDIBFeature(owner)
{
}

bool THighlightDIB::AcceptsControl(const TControl& control) const
{
    return dynamic_cast<const TCustomDIBControl*>(&control) != nullptr;
}

void THighlightDIB::Raise()
{
    m_rememberedOpacity = Control()->Opacity();
    Control()->SetOpacity(m_highlightOpacity);
}

void THighlightDIB::Restore()
{
    Control()->SetOpacity(m_rememberedOpacity);
}

void THighlightDIB::HandleMessage(TDIBMessage& message, bool&)
{
    TCustomDIBControl* control = Control();
    if (!control)
        return;
    // The control has not seen the message yet: its flags are those from before it.
    switch (message.Kind) {
    case TDIBMessageKind::SetFocus:
        if (!control->Focused() && !control->Entered())
            Raise();
        break;
    case TDIBMessageKind::KillFocus:
        if (control->Focused() && !control->Entered())
            Restore();
        break;
    case TDIBMessageKind::MouseUp:
        if (message.Button == TMouseButton::mbLeft)
            control->SetMouseCapture(false);
        break;
    case TDIBMessageKind::MouseEnter:
        if (!control->Focused() && !control->MouseCapture())
            Raise();
        break;
    case TDIBMessageKind::MouseLeave:
        if (!control->Focused() && !control->MouseCapture())
            Restore();
        break;
    default:
        break;
    }
}

// ---- moveable ------------------------------------------------------------------------------

const EnumInfo& MoveableMouseButtonInfo()
{
    static const EnumInfo info { "TMouseButton", { { "mbLeft", mbLeftButton }, { "mbRight", mbRightButton }, { "mbMiddle", mbMiddleButton } } };
    return info;
}

const ClassInfo& TMoveableDIB::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TMoveableDIB>("TMoveableDIB", &TDIBFeature::StaticClass())
                                      .Creatable()
                                      .Boolean("AllowHorizontal", &TMoveableDIB::AllowHorizontal, &TMoveableDIB::SetAllowHorizontal, true)
                                      .Boolean("AllowVertical", &TMoveableDIB::AllowVertical, &TMoveableDIB::SetAllowVertical, true)
                                      .Integer("BorderSize", &TMoveableDIB::BorderSize, &TMoveableDIB::SetBorderSize, 0)
                                      .Set("MouseButtons", MoveableMouseButtonInfo(), &TMoveableDIB::MouseButtons,
                                          &TMoveableDIB::SetMouseButtons, 1u << mbLeftButton)
                                      .Integer("SnapSize", &TMoveableDIB::SnapSize, &TMoveableDIB::SetSnapSize, 1)
                                      .Build();
    return info;
}
static FeatureRegistration moveableRegistration(TMoveableDIB::StaticClass());

TMoveableDIB::TMoveableDIB(TComponent* owner)
    : TDIBFeature(owner)
{
}

bool TMoveableDIB::InBorder(int x, int y) const
{
    if (m_borderSize == 0)
        return true;
    const TCustomDIBControl& c = *Control();
    return x < m_borderSize || y < m_borderSize || x >= c.Width() - m_borderSize || y >= c.Height() - m_borderSize;
}

int TMoveableDIB::Snap(int position) const
{
    // Integer division rounds toward zero, as the grid does on both sides of the origin.
    return m_snapSize > 1 ? position / m_snapSize * m_snapSize : position;
}

void TMoveableDIB::KeyMove(uint16_t key, bool& handled)
{
    TCustomDIBControl& c = *Control();
    int dx = 0, dy = 0;
    if (m_allowHorizontal && (key == VK_LEFT || key == VK_RIGHT))
        dx = key == VK_LEFT ? -m_snapSize : m_snapSize;
    else if (m_allowVertical && (key == VK_UP || key == VK_DOWN))
        dy = key == VK_UP ? -m_snapSize : m_snapSize;
    else
        return;
    c.SetBounds(c.Left() + dx, c.Top() + dy, c.Width(), c.Height());
    handled = true;
}

void TMoveableDIB::HandleMessage(TDIBMessage& message, bool& handled)
{
    TCustomDIBControl* control = Control();
    if (!control)
        return;
    const unsigned buttonBit = 1u << static_cast<unsigned>(message.Button);
    switch (message.Kind) {
    case TDIBMessageKind::KeyDown:
        KeyMove(message.Key, handled);
        break;
    case TDIBMessageKind::MouseDown:
        if (m_dragging || !(m_mouseButtons & buttonBit) || !InBorder(message.X, message.Y))
            break;
        m_dragging = true;
        m_dragButton = message.Button;
        m_pressPoint = { control->Left() + message.X, control->Top() + message.Y };
        m_pressPosition = { control->Left(), control->Top() };
        break;
    case TDIBMessageKind::MouseMove: {
        if (!m_dragging)
            break;
        // The pointer in the parent's coordinates: the control itself moves under it.
        const TPoint pointer { control->Left() + message.X, control->Top() + message.Y };
        const int left = m_allowHorizontal ? Snap(m_pressPosition.X + pointer.X - m_pressPoint.X) : control->Left();
        const int top = m_allowVertical ? Snap(m_pressPosition.Y + pointer.Y - m_pressPoint.Y) : control->Top();
        control->SetBounds(left, top, control->Width(), control->Height());
        break;
    }
    case TDIBMessageKind::MouseUp:
        if (m_dragging && message.Button == m_dragButton)
            m_dragging = false;
        break;
    default:
        break;
    }
}

// ---- children ------------------------------------------------------------------------------

const ClassInfo& TControlItem::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TControlItem>("TControlItem", &TCollectionItem::StaticClass())
                                      .Component<TControl>("Control", &TControlItem::Control, &TControlItem::SetControl)
                                      .Build();
    return info;
}

TControlItem::TControlItem(TCollection* collection)
    : TCollectionItem(collection)
{
}

void TControlItem::SetControl(TControl* control)
{
    if (!control)
        throw EFeatureError("You cannot set Control to nil");
    if (control == m_control)
        return;
    auto* list = static_cast<TControlList*>(Collection());
    if (list && list->IndexOfControl(control) >= 0)
        throw EFeatureError("Control already exists in list.");
    m_control = control;
    if (auto* owner = dynamic_cast<TComponent*>(list ? list->Owner() : nullptr))
        control->FreeNotification(owner);
}

std::string TControlItem::DisplayName() const
{
    if (!m_control)
        return TCollectionItem::DisplayName();
    return m_control->Name().empty() ? m_control->ClassName() : m_control->Name();
}

const ClassInfo& TControlList::StaticClass()
{
    static const ClassInfo info("TControlList", &TCollection::StaticClass());
    return info;
}

TControlList::TControlList(TComponent* owner)
    : TItemCollection(owner)
{
}

int TControlList::IndexOfControl(const TControl* control) const
{
    for (int i = 0; i < Count(); ++i) {
        if (Items(i)->Control() == control)
            return i;
    }
    return -1;
}

void TControlList::RemoveControl(const TControl* control)
{
    for (int i = Count() - 1; i >= 0; --i) {
        if (Items(i)->Control() == control)
            Delete(i);
    }
}
