#pragma once

// The component model: persistent objects with published property tables, components with
// owner, name, owned components and free notification, collections, and the class registry
// the layout reader creates components from.
//
// Publishing a class (header):
//     class TMyControl : public TGraphicControl {
//         TORVA_CLASS(TMyControl)
//     public:
//         explicit TMyControl(TComponent* owner);
//         int Speed() const; void SetSpeed(int);
//         TNotifyEvent OnTick;
//     };
// and in its .cpp:
//     const ClassInfo& TMyControl::StaticClass()
//     {
//         static const ClassInfo info = ClassBuilder<TMyControl>("TMyControl", &TGraphicControl::StaticClass())
//             .Creatable()                       // the layout reader may create it
//             .Integer("Speed", &TMyControl::Speed, &TMyControl::SetSpeed, 0)   // 0: default
//             .Event("OnTick", &TMyControl::OnTick)
//             .Build();
//         return info;
//     }
//     static ClassRegistration registration(TMyControl::StaticClass());
//
// Getters and setters are anything std::invoke takes with the object (member functions of the
// class or of a base, lambdas). Object properties (Font, Picture, a collection) hand out the
// owned sub-object; the reader and writer address its properties as "Font.Name".
//
// Binary or otherwise custom data ("Picture.Data = {...}") goes through DefineProperties: the
// object registers, per name, how to read and write its value, and whether it has any.
//
// Event properties bind by name to the methods a form publishes (MethodTable); a handler of the
// wrong signature is refused like an unknown one.
//
// Components are destroyed with Free(c) (or ComponentPtr), which runs the framework's
// destruction while the object is still whole: free notifications, owned components, removal
// from the owner. Destroying an owner destroys everything it owns.

#include "platform/types/Exception.h"

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform {

class EConvertError : public Exception {
public:
    using Exception::Exception;
};
class EComponentError : public Exception {
public:
    using Exception::Exception;
};
// A property that does not exist or a value it does not take.
class EPropertyError : public Exception {
public:
    using Exception::Exception;
};

class TObject;
using TNotifyEvent = std::function<void(TObject* sender)>;

// Fires an event property: calls the handler when one is bound.
template <class Handler, class... Args>
void FireEvent(const Handler& handler, Args&&... args)
{
    if (handler)
        handler(std::forward<Args>(args)...);
}

// A property setter's first step: stores the value and tells whether it changed, so the setter
// reacts only to a real change.
template <class T, class V>
bool ChangeValue(T& field, V&& value)
{
    if (field == value)
        return false;
    field = std::forward<V>(value);
    return true;
}
class TPersistent;
class TComponent;
class TCollection;
class ClassInfo;

// ---- values as the layout syntax spells them ------------------------------------------------

struct PropertyValue {
    enum class Kind : uint8_t { None,
        Integer,
        Float,
        String,
        Identifier,
        Set,
        List,
        Binary,
        Collection };
    struct Item; // one collection item: its properties in order

    Kind kind = Kind::None;
    int64_t integer = 0;
    double number = 0;
    std::string text;               // String (CP1250 bytes) or Identifier
    std::vector<std::string> names; // Set
    std::vector<PropertyValue> list;
    std::vector<uint8_t> bytes;
    std::vector<Item> items;

    static PropertyValue Int(int64_t v);
    static PropertyValue Float(double v);
    static PropertyValue Str(std::string v);
    static PropertyValue Ident(std::string v);
    static PropertyValue SetOf(std::vector<std::string> v);
    static PropertyValue Bytes(std::vector<uint8_t> v);

    bool operator==(const PropertyValue& other) const;
};

// Parallel lists: property i is names[i] = values[i].
struct PropertyValue::Item {
    std::vector<std::string> names;
    std::vector<PropertyValue> values;
    std::vector<int> lines; // where each property stood in a layout (0: unknown)
    bool operator==(const Item& other) const { return names == other.names && values == other.values; }
};

// Names of an enumeration's values (or a set's elements, by bit number) and their numbers.
struct EnumInfo {
    std::string typeName;
    std::vector<std::pair<std::string, int>> values;

    std::optional<int> ValueOf(std::string_view name) const; // case-insensitive
    const std::string* NameOf(int value) const;
};

// ---- property tables -----------------------------------------------------------------------

enum class PropertyKind : uint8_t { Integer,
    Boolean,
    Float,
    String,
    Enum,
    Set,
    Color,
    Object,
    Component,
    Event };

class MethodTable;

struct PropertyInfo {
    std::string name;
    PropertyKind kind = PropertyKind::Integer;
    const EnumInfo* enumInfo = nullptr;        // Enum, Set
    std::optional<PropertyValue> defaultValue; // not written when equal
    // Value kinds: Integer/Float/String/Identifier as fits the kind.
    std::function<PropertyValue(const TPersistent&)> get;
    // Throws EPropertyError for a value of the wrong kind or out of range.
    std::function<void(TPersistent&, const PropertyValue&)> set;
    // Object kind: the owned sub-object (nullptr when it has none now).
    std::function<TPersistent*(TPersistent&)> object;
    // Component kind: the referenced component.
    std::function<TComponent*(const TPersistent&)> getComponent;
    std::function<void(TPersistent&, TComponent*)> setComponent;
    const ClassInfo* componentClass = nullptr;
    // Event kind: binds the handler found in `methods` (false when none of that name and
    // signature); an empty name unbinds.
    std::function<bool(TPersistent&, const MethodTable* methods, const std::string& handler)> bind;
    bool readOnly = false;
    // Whether the writer writes it (a derived value such as Font.Size, or a colour that follows
    // the parent, is not stored).
    std::function<bool(const TPersistent&)> stored;
};

using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

class ClassInfo {
public:
    ClassInfo(std::string name, const ClassInfo* parent);

    const std::string& Name() const { return m_name; }
    const ClassInfo* Parent() const { return m_parent; }
    bool InheritsFrom(const ClassInfo& other) const;
    // Searches this class, then its ancestors; names compare without regard to case.
    const PropertyInfo* FindProperty(std::string_view name) const;
    // Every published property, ancestors' first.
    std::vector<const PropertyInfo*> AllProperties() const;
    const std::vector<PropertyInfo>& OwnProperties() const { return m_properties; }
    bool IsCreatable() const { return static_cast<bool>(m_factory); }
    TComponent* Create(TComponent* owner) const;

private:
    template <class T>
    friend class ClassBuilder;
    std::string m_name;
    const ClassInfo* m_parent;
    std::vector<PropertyInfo> m_properties;
    TComponentFactory m_factory;
};

// Classes the layout reader can create, by name (case-insensitive).
void RegisterClass(const ClassInfo& info);
const ClassInfo* FindClass(std::string_view name);

struct ClassRegistration {
    explicit ClassRegistration(const ClassInfo& info) { RegisterClass(info); }
};

#define TORVA_CLASS(Type)                              \
public:                                                \
    static const ::platform::ClassInfo& StaticClass(); \
    const ::platform::ClassInfo& Class() const override { return StaticClass(); }

// ---- objects --------------------------------------------------------------------------------

class TObject {
public:
    virtual ~TObject() = default;
    static const ClassInfo& StaticClass();
    virtual const ClassInfo& Class() const { return StaticClass(); }
    const std::string& ClassName() const { return Class().Name(); }
    bool InheritsFrom(const ClassInfo& info) const { return Class().InheritsFrom(info); }
};

// A value stored by the object itself rather than through a published property.
struct DefinedProperty {
    std::string name;
    bool binary = false;
    std::function<void(const PropertyValue&)> read;
    std::function<PropertyValue()> write;
    bool hasData = false;
};

class TFiler {
public:
    void DefineProperty(std::string name, std::function<void(const PropertyValue&)> read,
        std::function<PropertyValue()> write, bool hasData);
    void DefineBinaryProperty(std::string name, std::function<void(const std::vector<uint8_t>&)> read,
        std::function<std::vector<uint8_t>()> write, bool hasData);
    const std::vector<DefinedProperty>& Properties() const { return m_properties; }
    const DefinedProperty* Find(std::string_view name) const;

private:
    std::vector<DefinedProperty> m_properties;
};

class TPersistent : public TObject {
    TORVA_CLASS(TPersistent)
public:
    // Copies source into this object; raises EConvertError "Cannot assign a X to a Y." when
    // neither side knows how.
    virtual void Assign(const TPersistent& source);
    virtual void DefineProperties(TFiler& filer);

protected:
    virtual void AssignTo(TPersistent& dest) const;
};

// Published property access by name, dotted through object properties ("Font.Color").
// Throw EPropertyError naming the property when it does not exist or refuses the value.
PropertyValue GetPropertyValue(TPersistent& object, std::string_view path);
void SetPropertyValue(TPersistent& object, std::string_view path, const PropertyValue& value);
// Resolves "Font.Color" to the object that holds "Color" and its property (nullptr: none).
const PropertyInfo* ResolveProperty(TPersistent*& object, std::string_view path);

// A property value as text for people and scripts: numbers in decimal, True/False, strings
// as they are (CP1250), enumeration names, sets as [a,b], colours by name or as $00BBGGRR.
std::string PropertyValueText(const PropertyInfo& info, const PropertyValue& value);
// The reverse, for scripts and templates: a value of the property's kind from its text.
PropertyValue ParsePropertyText(const PropertyInfo& info, std::string_view text);

// ---- collections ----------------------------------------------------------------------------

class TCollectionItem : public TPersistent {
    TORVA_CLASS(TCollectionItem)
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;
    TCollection* Collection() const { return m_collection; }
    int Index() const;
    // The class name unless a subclass says otherwise.
    virtual std::string DisplayName() const;

private:
    friend class TCollection;
    TCollection* m_collection;
};

enum class TCollectionNotification { cnAdded,
    cnExtracting,
    cnDeleting };

class TCollection : public TPersistent {
    TORVA_CLASS(TCollection)
public:
    using ItemFactory = std::function<std::unique_ptr<TCollectionItem>(TCollection*)>;
    TCollection(ItemFactory factory, TPersistent* owner = nullptr);
    ~TCollection() override;

    TPersistent* Owner() const { return m_owner; }
    int Count() const { return static_cast<int>(m_items.size()); }
    TCollectionItem* Items(int index) const; // nullptr outside the range
    TCollectionItem* Add();
    void Delete(int index);
    void Clear();
    int IndexOf(const TCollectionItem* item) const;
    void Assign(const TPersistent& source) override;

protected:
    virtual void Notify(TCollectionItem* item, TCollectionNotification action);
    virtual void Update(TCollectionItem* item);

private:
    ItemFactory m_factory;
    TPersistent* m_owner;
    std::vector<std::unique_ptr<TCollectionItem>> m_items;
};

// A collection whose items are all of one class: it makes them and hands them out typed.
template <class Item>
class TItemCollection : public TCollection {
public:
    explicit TItemCollection(TPersistent* owner)
        : TCollection([](TCollection* c) { return std::make_unique<Item>(c); }, owner)
    {
    }
    Item* Items(int index) const { return static_cast<Item*>(TCollection::Items(index)); }
    Item& Add() { return *static_cast<Item*>(TCollection::Add()); }
};

// ---- components -----------------------------------------------------------------------------

enum class TOperation { opInsert,
    opRemove };

using TComponentState = uint16_t;
enum : TComponentState {
    csLoading = 0x01,
    csReading = 0x02,
    csWriting = 0x04,
    csDestroying = 0x08,
    csDesigning = 0x10,
    csFreeNotification = 0x20,
};

// Methods a form publishes for event properties to bind by name, and the fields that the
// reader fills with the components of the same name.
class MethodTable {
public:
    template <class Sig>
    void Add(std::string name, std::function<Sig> handler)
    {
        std::string key = Key(name);
        m_methods[key] = Entry { std::move(name), std::any(std::move(handler)) };
    }
    // Empty when there is no method of that name or it has another signature.
    template <class Sig>
    std::function<Sig> Find(std::string_view name) const
    {
        auto it = m_methods.find(Key(name));
        if (it == m_methods.end())
            return {};
        if (auto* fn = std::any_cast<std::function<Sig>>(&it->second.handler))
            return *fn;
        return {};
    }
    bool Contains(std::string_view name) const { return m_methods.count(Key(name)) > 0; }

    template <class T>
    void AddField(std::string name, T** slot)
    {
        m_fields[Key(name)] = [slot](TComponent* c) {
            T* typed = dynamic_cast<T*>(c);
            if (c && !typed)
                return false;
            *slot = typed;
            return true;
        };
    }
    // Sets the field of that name; false when the component is of another type. A name without
    // a field is fine (true).
    bool AssignField(std::string_view name, TComponent* component) const;
    // Clears the field of a component going away.
    void ClearField(std::string_view name) const;

private:
    struct Entry {
        std::string name;
        std::any handler;
    };
    static std::string Key(std::string_view name);
    std::map<std::string, Entry> m_methods;
    std::map<std::string, std::function<bool(TComponent*)>> m_fields;
};

class TComponent : public TPersistent {
    TORVA_CLASS(TComponent)
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // Destroys the component (and what it owns); nullptr is fine.
    static void Free(TComponent* component);

    TComponent* Owner() const { return m_owner; }
    const std::string& Name() const { return m_name; }
    // Raises EComponentError for a name that is not an identifier or that a sibling has.
    void SetName(const std::string& name);
    int32_t Tag() const { return m_tag; }
    void SetTag(int32_t tag) { m_tag = tag; }

    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    TComponent* FindComponent(std::string_view name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    // `component` hears (this, opRemove) when this one is destroyed, whoever owns either.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    TComponentState ComponentState() const { return m_state; }
    bool IsLoading() const { return (m_state & csLoading) != 0; }
    bool IsDestroying() const { return (m_state & csDestroying) != 0; }
    // The reader marks every component it creates as loading and calls Loaded when done.
    void BeginLoading() { m_state |= csLoading | csReading; }
    virtual void Loaded();

    // Streaming structure: which component a read one belongs inside (a control's parent).
    virtual void SetParentComponent(TComponent*) {}
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual bool HasParent() const { return false; }
    // The components written nested inside this one in a layout, in order.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const;

    // Methods and fields of a form; nullptr for other components.
    virtual const MethodTable* PublishedMethods() const { return nullptr; }

    // Names of the handlers event properties were bound to, for writing and scripts.
    void SetEventBinding(const std::string& property, const std::string& handler);
    std::string EventBinding(std::string_view property) const;

protected:
    // Points a field at another component (or at none), moving this component's free
    // notification from the old one to the new, so the field never dangles.
    template <class T>
    void SetReference(T*& field, std::type_identity_t<T>* target)
    {
        if (field)
            field->RemoveFreeNotification(this);
        field = target;
        if (field)
            field->FreeNotification(this);
    }
    // Called for every component inserted into or removed from the owner, and for free
    // notifications; the base passes owner notifications on to the owned components.
    virtual void Notification(TComponent* component, TOperation operation);
    // Runs the destruction while the object is whole; the destructor does it when Free did not.
    void BeforeDestruction();
    // First step of the destruction, while every part of the object still exists (only when
    // destroyed through Free).
    virtual void Destroying() {}

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);

    TComponent* m_owner = nullptr;
    std::string m_name;
    int32_t m_tag = 0;
    TComponentState m_state = 0;
    bool m_destructionDone = false;
    std::vector<TComponent*> m_components;
    std::vector<TComponent*> m_freeNotifies;
    std::map<std::string, std::string> m_eventBindings;
};

struct ComponentDeleter {
    void operator()(TComponent* c) const { TComponent::Free(c); }
};
template <class T>
using ComponentPtr = std::unique_ptr<T, ComponentDeleter>;

}

#include "platform/components/ClassBuilder.h"
