#pragma once

// The collections a DIB control owns besides its links: the behaviour plug-ins that see every
// message before the control does (DIBFeatures), and the controls that move along with it
// (Children).
//
// A feature is a component class registered with the feature registry; an item of a control's
// DIBFeatures names the class, creates one instance bound to the control, and passes it the
// control's messages while enabled. The feature's own properties are stored with the item as
// the binary "DIBFeatureParameters" and applied once the control has finished loading.

#include "platform/components/Classes.h"
#include "platform/components/Controls.h"
#include "platform/events/Event.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TCustomDIBControl;

class EFeatureError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// What a DIB control hears, in the form a feature looks at it. Key events carry the key by
// value; a feature that wants the control not to see the key marks the message handled.
enum class TDIBMessageKind : uint8_t {
    Paint,
    MouseDown,
    MouseUp,
    MouseMove,
    MouseEnter,
    MouseLeave,
    Click,
    DblClick,
    SetFocus,
    KillFocus,
    KeyDown,
    KeyUp,
    KeyPress,
};

struct TDIBMessage {
    TDIBMessageKind Kind = TDIBMessageKind::Paint;
    platform::TMouseButton Button = platform::TMouseButton::mbLeft;
    platform::TShiftState Shift = 0;
    // Mouse messages: the pointer in the control's client coordinates.
    int X = 0;
    int Y = 0;
    uint16_t Key = 0;
    char Char = 0;
};

// A behaviour plug-in. It serves one control, which it may refuse.
class TDIBFeature : public platform::TComponent {
    TORVA_CLASS(TDIBFeature)
public:
    explicit TDIBFeature(platform::TComponent* owner);

    TCustomDIBControl* Control() const { return m_control; }
    void SetControl(TCustomDIBControl* control) { m_control = control; }

    virtual bool AcceptsControl(const platform::TControl& control) const;
    virtual std::string Description() const;
    // Sets handled to stop the message before the control (and later features) see it.
    virtual void HandleMessage(TDIBMessage& message, bool& handled);

private:
    TCustomDIBControl* m_control = nullptr;
};

// The feature classes an item may name. Registering one also makes it known to the class
// registry, by which layouts create components.
void RegisterDIBFeature(const platform::ClassInfo& info);
const platform::ClassInfo* FindDIBFeature(std::string_view className);
std::vector<const platform::ClassInfo*> DIBFeatureClasses();

class TDIBFeatureItem : public platform::TCollectionItem {
    TORVA_CLASS(TDIBFeatureItem)
public:
    explicit TDIBFeatureItem(platform::TCollection* collection);
    ~TDIBFeatureItem() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    const std::string& FeatureClassName() const { return m_featureClassName; }
    // A non-empty name must be a registered feature class (EFeatureError "X has not been
    // registered"); the former feature goes, and one of the new class serves the control.
    void SetFeatureClassName(const std::string& name);
    const std::string& FeatureParameters() const { return m_featureParameters; }
    void SetFeatureParameters(const std::string& value) { m_featureParameters = value; }
    TDIBFeature* Feature() const { return m_feature.get(); }
    // The control the collection belongs to (nullptr when it is not a DIB control).
    TCustomDIBControl* OwnerControl() const;

    std::string DisplayName() const override;
    void DefineProperties(platform::TFiler& filer) override;
    // The binary "DIBFeatureParameters": the class name, then the feature's properties.
    std::vector<uint8_t> WriteParameters() const;
    // Kept as they are until Loaded applies them.
    void ReadParameters(const std::vector<uint8_t>& data);
    bool HasStoredParameters() const { return m_storedParameters.has_value(); }
    // Damaged parameters, or properties the layout reader refuses (with its message), raise
    // EFeatureError.
    void Loaded();

    // True when the message is handled and the control must not see it.
    bool HandleMessage(TDIBMessage& message);

private:
    bool m_enabled = true;
    std::string m_featureClassName;
    std::string m_featureParameters;
    platform::ComponentPtr<TDIBFeature> m_feature;
    std::optional<std::vector<uint8_t>> m_storedParameters;
};

class TDIBFeatures : public platform::TItemCollection<TDIBFeatureItem> {
    TORVA_CLASS(TDIBFeatures)
public:
    explicit TDIBFeatures(platform::TComponent* control);

    // Items in order; offering stops at the first that handles the message.
    bool Offer(TDIBMessage& message)
    {
        return Count() != 0 && OfferToItems(message);
    }

    // Runs when the owning control has finished loading: stored parameters are applied.
    virtual void Loaded();

private:
    bool OfferToItems(TDIBMessage& message);
};

// Lifts the control's opacity while it has the focus or the pointer.
class THighlightDIB : public TDIBFeature {
    TORVA_CLASS(THighlightDIB)
public:
    explicit THighlightDIB(platform::TComponent* owner);

    uint8_t HighlightOpacity() const { return m_highlightOpacity; }
    void SetHighlightOpacity(uint8_t value) { m_highlightOpacity = value; }

    bool AcceptsControl(const platform::TControl& control) const override;
    std::string Description() const override { return "Highlight dib"; }
    void HandleMessage(TDIBMessage& message, bool& handled) override;

private:
    void Raise();
    void Restore();

    uint8_t m_highlightOpacity = 255;
    uint8_t m_rememberedOpacity = 255;
};

enum TMoveableMouseButton : uint8_t { mbLeftButton,
    mbRightButton,
    mbMiddleButton };
using TMoveableMouseButtons = uint8_t; // bit n: button n above
const platform::EnumInfo& MoveableMouseButtonInfo();

// Lets the user move the control: the arrow keys move it by SnapSize, a drag with one of
// MouseButtons moves it with the pointer, snapped to multiples of SnapSize. With a BorderSize,
// a drag starts only within that many pixels of the control's edges (a frame to grab it by).
class TMoveableDIB : public TDIBFeature {
    TORVA_CLASS(TMoveableDIB)
public:
    explicit TMoveableDIB(platform::TComponent* owner);

    bool AllowHorizontal() const { return m_allowHorizontal; }
    void SetAllowHorizontal(bool value) { m_allowHorizontal = value; }
    bool AllowVertical() const { return m_allowVertical; }
    void SetAllowVertical(bool value) { m_allowVertical = value; }
    uint8_t SnapSize() const { return m_snapSize; }
    void SetSnapSize(uint8_t value) { m_snapSize = value; }
    TMoveableMouseButtons MouseButtons() const { return m_mouseButtons; }
    void SetMouseButtons(TMoveableMouseButtons value) { m_mouseButtons = value; }
    uint8_t BorderSize() const { return m_borderSize; }
    void SetBorderSize(uint8_t value) { m_borderSize = value; }
    bool Dragging() const { return m_dragging; }

    std::string Description() const override { return "Moveable DIB"; }
    void HandleMessage(TDIBMessage& message, bool& handled) override;

private:
    bool InBorder(int x, int y) const;
    int Snap(int position) const;
    void KeyMove(uint16_t key, bool& handled);

    bool m_allowHorizontal = true;
    bool m_allowVertical = true;
    uint8_t m_snapSize = 1;
    TMoveableMouseButtons m_mouseButtons = 1u << mbLeftButton;
    uint8_t m_borderSize = 0;
    bool m_dragging = false;
    TPoint m_pressPoint; // in the parent's client coordinates
    TPoint m_pressPosition;
    platform::TMouseButton m_dragButton = platform::TMouseButton::mbLeft;
};

// A control that moves along with the DIB control owning the list. The owner registers for
// the control's free notification, so an item never outlives its control.
class TControlItem : public platform::TCollectionItem {
    TORVA_CLASS(TControlItem)
public:
    explicit TControlItem(platform::TCollection* collection);

    platform::TControl* Control() const { return m_control; }
    // Nil and a control the list already holds are refused (EFeatureError).
    void SetControl(platform::TControl* control);
    std::string DisplayName() const override;

private:
    platform::TControl* m_control = nullptr;
};

class TControlList : public platform::TItemCollection<TControlItem> {
    TORVA_CLASS(TControlList)
public:
    explicit TControlList(platform::TComponent* owner);

    int IndexOfControl(const platform::TControl* control) const;
    // Frees every item holding the control.
    void RemoveControl(const platform::TControl* control);
};
