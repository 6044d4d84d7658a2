#pragma once

// The collections a DIB control owns besides its links: the behaviour plug-ins that see every
// message before the control does (DIBFeatures), and the controls that move along with it
// (Children). Both stay header-only so that a control without features pays one size check
// per message.

#include "platform/components/Classes.h"
#include "platform/components/Controls.h"
#include "platform/events/Event.h"

#include <cstdint>

// What a DIB control hears, in the form a feature inspects it. Key events carry the key by
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

// One plug-in slot of a control; the base never handles anything.
class TDIBFeatureItem : public platform::TCollectionItem {
    TORVA_CLASS(TDIBFeatureItem)
public:
    explicit TDIBFeatureItem(platform::TCollection* collection)
        : platform::TCollectionItem(collection)
    {
    }
    // True when the message is handled and the control must not see it.
    virtual bool HandleMessage(TDIBMessage& message)
    {
        (void)message;
        return false;
    }
};

class TDIBFeatures : public platform::TCollection {
    TORVA_CLASS(TDIBFeatures)
public:
    explicit TDIBFeatures(platform::TComponent* control)
        : platform::TCollection([](platform::TCollection* c) { return std::make_unique<TDIBFeatureItem>(c); }, control)
    {
    }

    TDIBFeatureItem* Items(int index) const { return static_cast<TDIBFeatureItem*>(TCollection::Items(index)); }

    // Items in order; offering stops at the first that handles the message.
    bool Offer(TDIBMessage& message)
    {
        return Count() != 0 && OfferToItems(message);
    }

    // Runs when the owning control has finished loading.
    virtual void Loaded() {}

private:
    bool OfferToItems(TDIBMessage& message)
    {
        for (int i = 0; i < Count(); ++i) {
            if (Items(i)->HandleMessage(message))
                return true;
        }
        return false;
    }
};

// A control that moves along with the DIB control owning the list. The owner registers for
// the control's free notification, so an item never outlives its control.
class TControlItem : public platform::TCollectionItem {
    TORVA_CLASS(TControlItem)
public:
    explicit TControlItem(platform::TCollection* collection)
        : platform::TCollectionItem(collection)
    {
    }

    platform::TControl* Control() const { return m_control; }
    void SetControl(platform::TControl* control)
    {
        m_control = control;
        auto* owner = dynamic_cast<platform::TComponent*>(Collection() ? Collection()->Owner() : nullptr);
        if (control && owner)
            control->FreeNotification(owner);
    }
    std::string DisplayName() const override
    {
        if (!m_control)
            return TCollectionItem::DisplayName();
        return m_control->Name().empty() ? m_control->ClassName() : m_control->Name();
    }

private:
    platform::TControl* m_control = nullptr;
};

class TControlList : public platform::TCollection {
    TORVA_CLASS(TControlList)
public:
    explicit TControlList(platform::TComponent* owner)
        : platform::TCollection([](platform::TCollection* c) { return std::make_unique<TControlItem>(c); }, owner)
    {
    }

    TControlItem* Items(int index) const { return static_cast<TControlItem*>(TCollection::Items(index)); }
    TControlItem& Add() { return *static_cast<TControlItem*>(TCollection::Add()); }

    int IndexOfControl(const platform::TControl* control) const
    {
        for (int i = 0; i < Count(); ++i) {
            if (Items(i)->Control() == control)
                return i;
        }
        return -1;
    }
    // Frees every item holding the component; compares addresses only, so it is safe with a
    // component that is being destroyed.
    void RemoveControl(const platform::TComponent* component)
    {
        for (int i = Count() - 1; i >= 0; --i) {
            if (static_cast<const platform::TComponent*>(Items(i)->Control()) == component)
                Delete(i);
        }
    }
};

inline const platform::ClassInfo& TDIBFeatureItem::StaticClass()
{
    static const platform::ClassInfo info("TDIBFeatureItem", &platform::TCollectionItem::StaticClass());
    return info;
}

inline const platform::ClassInfo& TDIBFeatures::StaticClass()
{
    static const platform::ClassInfo info("TDIBFeatures", &platform::TCollection::StaticClass());
    return info;
}

inline const platform::ClassInfo& TControlItem::StaticClass()
{
    static const platform::ClassInfo info = platform::ClassBuilder<TControlItem>("TControlItem", &platform::TCollectionItem::StaticClass())
        .Component<platform::TControl>("Control", &TControlItem::Control, &TControlItem::SetControl)
        .Build();
    return info;
}

inline const platform::ClassInfo& TControlList::StaticClass()
{
    static const platform::ClassInfo info("TControlList", &platform::TCollection::StaticClass());
    return info;
}
