#pragma once

// Builds a class's property table; see Classes.h for how a class publishes itself.

#include "platform/components/Classes.h"

#include <functional>
#include <limits>
#include <string>

namespace platform {

// Value checks shared by the builders; they raise EPropertyError.
int64_t RequireInteger(const PropertyValue& value, int64_t min, int64_t max);
bool RequireBoolean(const PropertyValue& value);
double RequireFloat(const PropertyValue& value);
const std::string& RequireString(const PropertyValue& value);
int RequireEnum(const PropertyValue& value, const EnumInfo& info);
uint32_t RequireSet(const PropertyValue& value, const EnumInfo& info);
int32_t RequireColor(const PropertyValue& value);
PropertyValue EnumValue(int value, const EnumInfo& info);
PropertyValue SetValue(uint32_t bits, const EnumInfo& info);

template <class T>
class ClassBuilder {
public:
    ClassBuilder(std::string name, const ClassInfo* parent)
        : m_info(std::move(name), parent) {}

    ClassBuilder& Creatable()
    {
        m_info.m_factory = [](TComponent* owner) -> TComponent* { return new T(owner); };
        return *this;
    }

    template <class G, class S>
    ClassBuilder& Integer(std::string name, G get, S set, std::optional<int64_t> def = {})
    {
        using V = ValueOf<G>;
        return Scalar(
            std::move(name), PropertyKind::Integer, nullptr, get, set, def,
            [](auto v) { return PropertyValue::Int(static_cast<int64_t>(v)); },
            [](const PropertyValue& v) { return static_cast<V>(RequireInteger(v, std::numeric_limits<V>::min(), std::numeric_limits<V>::max())); });
    }

    template <class G, class S>
    ClassBuilder& Boolean(std::string name, G get, S set, std::optional<bool> def = {})
    {
        return Scalar(
            std::move(name), PropertyKind::Boolean, nullptr, get, set, def,
            [](bool v) { return PropertyValue::Ident(v ? "True" : "False"); }, RequireBoolean);
    }

    template <class G, class S>
    ClassBuilder& Float(std::string name, G get, S set, std::optional<double> def = {})
    {
        return Scalar(
            std::move(name), PropertyKind::Float, nullptr, get, set, def,
            [](auto v) { return PropertyValue::Float(static_cast<double>(v)); }, RequireFloat);
    }

    template <class G, class S>
    ClassBuilder& String(std::string name, G get, S set, std::optional<std::string> def = std::string())
    {
        return Scalar(
            std::move(name), PropertyKind::String, nullptr, get, set, def,
            [](const auto& v) { return PropertyValue::Str(std::string(v)); }, RequireString);
    }

    template <class G, class S>
    ClassBuilder& Enum(std::string name, const EnumInfo& info, G get, S set, std::optional<int> def = {})
    {
        return Named(std::move(name), PropertyKind::Enum, info, get, set, def, EnumValue, RequireEnum);
    }

    // Sets are bit masks: element n of `info` (value n) is bit n.
    template <class G, class S>
    ClassBuilder& Set(std::string name, const EnumInfo& info, G get, S set, std::optional<uint32_t> def = {})
    {
        return Named(std::move(name), PropertyKind::Set, info, get, set, def, SetValue, RequireSet);
    }

    // Colour references; the layout may name them (clBlack, clWindowText) or give numbers.
    template <class G, class S>
    ClassBuilder& Color(std::string name, G get, S set, std::optional<int32_t> def = {})
    {
        return Scalar(
            std::move(name), PropertyKind::Color, nullptr, get, set, def,
            [](auto v) { return PropertyValue::Int(static_cast<int32_t>(v)); }, RequireColor);
    }

    // An owned sub-object (font, picture, collection): `get` returns TPersistent* or a
    // reference to one.
    template <class G>
    ClassBuilder& Object(std::string name, G get)
    {
        PropertyInfo p = Base(std::move(name), PropertyKind::Object);
        p.object = [get](TPersistent& o) -> TPersistent* { return ToPointer(std::invoke(get, Self(o))); };
        return Add(std::move(p));
    }

    // A reference to another component, resolved by name after the whole layout is read.
    template <class C, class G, class S>
    ClassBuilder& Component(std::string name, G get, S set)
    {
        PropertyInfo p = Base(std::move(name), PropertyKind::Component);
        p.componentClass = &C::StaticClass();
        p.getComponent = [get](const TPersistent& o) -> TComponent* { return std::invoke(get, Self(o)); };
        p.setComponent = [set](TPersistent& o, TComponent* c) {
            C* typed = dynamic_cast<C*>(c);
            if (c && !typed)
                throw EPropertyError("Invalid property value: " + c->Name() + " is not a " + C::StaticClass().Name());
            std::invoke(set, Self(o), typed);
        };
        return Add(std::move(p));
    }

    // An event field of type std::function<Sig>; binds to the form method of that name and
    // signature.
    template <class Sig>
    ClassBuilder& Event(std::string name, std::function<Sig> T::*field)
    {
        PropertyInfo p = Base(name, PropertyKind::Event);
        p.bind = [field, name](TPersistent& o, const MethodTable* methods, const std::string& handler) {
            T& self = Self(o);
            if (handler.empty()) {
                self.*field = nullptr;
                self.SetEventBinding(name, "");
                return true;
            }
            if (!methods)
                return false;
            std::function<Sig> fn = methods->template Find<Sig>(handler);
            if (!fn)
                return false;
            self.*field = std::move(fn);
            self.SetEventBinding(name, handler);
            return true;
        };
        p.get = [name](const TPersistent& o) {
            std::string handler = Self(o).EventBinding(name);
            return handler.empty() ? PropertyValue() : PropertyValue::Ident(handler);
        };
        return Add(std::move(p));
    }

    // A control's Color and Font: each is written only while the control does not follow its
    // parent's (ParentColor, ParentFont off).
    ClassBuilder& ControlColor(int32_t def)
    {
        return Color("Color", &T::Color, &T::SetColor, def).StoredIf([](const T& c) { return !c.ParentColor(); });
    }
    ClassBuilder& ControlFont()
    {
        return Object("Font", [](T& c) -> TPersistent* { return &c.Font(); }).StoredIf([](const T& c) { return !c.ParentFont(); });
    }

    // The events of a control that takes the focus: it is entered and left, and hears keys.
    ClassBuilder& FocusEvents()
    {
        return Event("OnEnter", &T::OnEnter)
            .Event("OnExit", &T::OnExit)
            .Event("OnKeyDown", &T::OnKeyDown)
            .Event("OnKeyPress", &T::OnKeyPress)
            .Event("OnKeyUp", &T::OnKeyUp);
    }

    // The last property is written only when `pred` holds (never with NotStored).
    template <class P>
    ClassBuilder& StoredIf(P pred)
    {
        m_info.m_properties.back().stored = [pred](const TPersistent& o) { return static_cast<bool>(std::invoke(pred, Self(o))); };
        return *this;
    }
    ClassBuilder& NotStored()
    {
        m_info.m_properties.back().stored = [](const TPersistent&) { return false; };
        return *this;
    }

    ClassBuilder& ReadOnly()
    {
        m_info.m_properties.back().readOnly = true;
        return *this;
    }

    ClassInfo Build() { return std::move(m_info); }

private:
    template <class G>
    using ValueOf = std::decay_t<std::invoke_result_t<G, const T&>>;

    // A property of one value: `toValue` gives the stored form of what the getter returns (and
    // of the default), `fromValue` checks a stored form and gives what the setter takes.
    template <class G, class S, class D, class To, class From>
    ClassBuilder& Scalar(std::string name, PropertyKind kind, const EnumInfo* info, G get, S set, const std::optional<D>& def,
        To toValue, From fromValue)
    {
        PropertyInfo p = Base(std::move(name), kind);
        p.enumInfo = info;
        p.get = [get, toValue](const TPersistent& o) { return toValue(std::invoke(get, Self(o))); };
        p.set = [set, fromValue](TPersistent& o, const PropertyValue& v) { std::invoke(set, Self(o), fromValue(v)); };
        if (def)
            p.defaultValue = toValue(*def);
        return Add(std::move(p));
    }

    // An enumeration or set property: its values are stored by the names `info` gives them.
    template <class G, class S, class N>
    ClassBuilder& Named(std::string name, PropertyKind kind, const EnumInfo& info, G get, S set, const std::optional<N>& def,
        PropertyValue (*toValue)(N, const EnumInfo&), N (*require)(const PropertyValue&, const EnumInfo&))
    {
        using V = ValueOf<G>;
        return Scalar(
            std::move(name), kind, &info, get, set, def,
            [&info, toValue](auto v) { return toValue(static_cast<N>(v), info); },
            [&info, require](const PropertyValue& v) { return static_cast<V>(require(v, info)); });
    }

    static T& Self(TPersistent& o) { return static_cast<T&>(o); }
    static const T& Self(const TPersistent& o) { return static_cast<const T&>(o); }
    static TPersistent* ToPointer(TPersistent* p) { return p; }
    static TPersistent* ToPointer(TPersistent& p) { return &p; }
    static TPersistent* ToPointer(const TPersistent& p) { return const_cast<TPersistent*>(&p); }

    static PropertyInfo Base(std::string name, PropertyKind kind)
    {
        PropertyInfo p;
        p.name = std::move(name);
        p.kind = kind;
        return p;
    }
    ClassBuilder& Add(PropertyInfo p)
    {
        m_info.m_properties.push_back(std::move(p));
        return *this;
    }

    ClassInfo m_info;
};

}
