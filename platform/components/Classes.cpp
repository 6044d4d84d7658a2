#include "platform/components/Classes.h"

#include "platform/components/Graphics.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace platform {

// ---- values ---------------------------------------------------------------------------------

PropertyValue PropertyValue::Int(int64_t v)
{
    PropertyValue p;
    p.kind = Kind::Integer;
    p.integer = v;
    return p;
}

PropertyValue PropertyValue::Float(double v)
{
    PropertyValue p;
    p.kind = Kind::Float;
    p.number = v;
    return p;
}

PropertyValue PropertyValue::Str(std::string v)
{
    PropertyValue p;
    p.kind = Kind::String;
    p.text = std::move(v);
    return p;
}

PropertyValue PropertyValue::Ident(std::string v)
{
    PropertyValue p;
    p.kind = Kind::Identifier;
    p.text = std::move(v);
    return p;
}

PropertyValue PropertyValue::SetOf(std::vector<std::string> v)
{
    PropertyValue p;
    p.kind = Kind::Set;
    p.names = std::move(v);
    return p;
}

PropertyValue PropertyValue::Bytes(std::vector<uint8_t> v)
{
    PropertyValue p;
    p.kind = Kind::Binary;
    p.bytes = std::move(v);
    return p;
}

bool PropertyValue::operator==(const PropertyValue& o) const
{
    if (kind != o.kind)
        return false;
    switch (kind) {
    case Kind::None:
        return true;
    case Kind::Integer:
        return integer == o.integer;
    case Kind::Float:
        return number == o.number;
    case Kind::String:
        return text == o.text;
    case Kind::Identifier:
        return EqualsNoCase(text, o.text);
    case Kind::Set:
        return std::ranges::equal(names, o.names, EqualsNoCase);
    case Kind::List:
        return list == o.list;
    case Kind::Binary:
        return bytes == o.bytes;
    case Kind::Collection:
        return items == o.items;
    }
    return false;
}

std::optional<int> EnumInfo::ValueOf(std::string_view name) const
{
    for (const auto& [n, v] : values) {
        if (EqualsNoCase(n, name))
            return v;
    }
    return std::nullopt;
}

const std::string* EnumInfo::NameOf(int value) const
{
    for (const auto& [n, v] : values) {
        if (v == value)
            return &n;
    }
    return nullptr;
}

// ---- value checks ---------------------------------------------------------------------------

static const char* KindName(PropertyValue::Kind kind)
{
    // In the order of PropertyValue::Kind.
    static constexpr const char* names[] = { "nothing", "an integer", "a number", "a string", "an identifier", "a set",
        "a list", "binary data", "a collection" };
    static_assert(std::size(names) == size_t(PropertyValue::Kind::Collection) + 1);
    size_t index = static_cast<size_t>(kind);
    return index < std::size(names) ? names[index] : "a value";
}

[[noreturn]] static void BadValue(const std::string& expected, const PropertyValue& value)
{
    throw EPropertyError("Invalid property value: expected " + expected + ", found " + KindName(value.kind));
}

int64_t RequireInteger(const PropertyValue& value, int64_t min, int64_t max)
{
    if (value.kind != PropertyValue::Kind::Integer)
        BadValue("an integer", value);
    if (value.integer < min || value.integer > max)
        throw EPropertyError("Invalid property value: " + std::to_string(value.integer) + " is outside "
            + std::to_string(min) + ".." + std::to_string(max));
    return value.integer;
}

bool RequireBoolean(const PropertyValue& value)
{
    if (value.kind == PropertyValue::Kind::Identifier) {
        if (EqualsNoCase(value.text, "True"))
            return true;
        if (EqualsNoCase(value.text, "False"))
            return false;
    }
    BadValue("True or False", value);
}

double RequireFloat(const PropertyValue& value)
{
    if (value.kind == PropertyValue::Kind::Float)
        return value.number;
    if (value.kind == PropertyValue::Kind::Integer)
        return static_cast<double>(value.integer);
    BadValue("a number", value);
}

const std::string& RequireString(const PropertyValue& value)
{
    if (value.kind != PropertyValue::Kind::String)
        BadValue("a string", value);
    return value.text;
}

int RequireEnum(const PropertyValue& value, const EnumInfo& info)
{
    if (value.kind == PropertyValue::Kind::Identifier) {
        if (auto v = info.ValueOf(value.text))
            return *v;
        throw EPropertyError("Invalid property value: " + value.text + " is not a " + info.typeName);
    }
    BadValue("a " + info.typeName + " name", value);
}

uint32_t RequireSet(const PropertyValue& value, const EnumInfo& info)
{
    if (value.kind != PropertyValue::Kind::Set)
        BadValue("a set of " + info.typeName, value);
    uint32_t bits = 0;
    for (const std::string& name : value.names) {
        auto v = info.ValueOf(name);
        if (!v || *v < 0 || *v > 31)
            throw EPropertyError("Invalid property value: " + name + " is not a " + info.typeName);
        bits |= 1u << *v;
    }
    return bits;
}

int32_t RequireColor(const PropertyValue& value)
{
    if (value.kind == PropertyValue::Kind::Identifier) {
        if (auto c = ColorFromName(value.text))
            return *c;
        throw EPropertyError("Invalid property value: " + value.text + " is not a colour");
    }
    if (value.kind == PropertyValue::Kind::Integer && value.integer >= INT32_MIN && value.integer <= int64_t(UINT32_MAX))
        return static_cast<int32_t>(static_cast<uint32_t>(value.integer));
    BadValue("a colour", value);
}

PropertyValue EnumValue(int value, const EnumInfo& info)
{
    if (const std::string* name = info.NameOf(value))
        return PropertyValue::Ident(*name);
    return PropertyValue::Int(value);
}

PropertyValue SetValue(uint32_t bits, const EnumInfo& info)
{
    std::vector<std::string> names;
    for (const auto& [n, v] : info.values) {
        if (v >= 0 && v < 32 && (bits & (1u << v)))
            names.push_back(n);
    }
    return PropertyValue::SetOf(std::move(names));
}

// ---- classes --------------------------------------------------------------------------------

ClassInfo::ClassInfo(std::string name, const ClassInfo* parent)
    : m_name(std::move(name)), m_parent(parent) {}

bool ClassInfo::InheritsFrom(const ClassInfo& other) const
{
    for (const ClassInfo* c = this; c; c = c->m_parent) {
        if (c == &other)
            return true;
    }
    return false;
}

const PropertyInfo* ClassInfo::FindProperty(std::string_view name) const
{
    for (const ClassInfo* c = this; c; c = c->m_parent) {
        // A subclass may publish a property again with other rules: the latest wins.
        for (const PropertyInfo& p : c->m_properties) {
            if (EqualsNoCase(p.name, name))
                return &p;
        }
    }
    return nullptr;
}

std::vector<const PropertyInfo*> ClassInfo::AllProperties() const
{
    std::vector<const ClassInfo*> chain;
    for (const ClassInfo* c = this; c; c = c->m_parent)
        chain.push_back(c);
    std::vector<const PropertyInfo*> result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const PropertyInfo& p : (*it)->m_properties) {
            auto same = std::find_if(result.begin(), result.end(), [&](const PropertyInfo* q) { return EqualsNoCase(q->name, p.name); });
            if (same != result.end())
                *same = &p;
            else
                result.push_back(&p);
        }
    }
    return result;
}

TComponent* ClassInfo::Create(TComponent* owner) const
{
    if (!m_factory)
        throw EComponentError("Cannot create an instance of " + m_name);
    return m_factory(owner);
}

static std::map<std::string, const ClassInfo*>& Registry()
{
    static std::map<std::string, const ClassInfo*> registry;
    return registry;
}

void RegisterClass(const ClassInfo& info)
{
    Registry()[UpperCase(info.Name())] = &info;
}

const ClassInfo* FindClass(std::string_view name)
{
    auto it = Registry().find(UpperCase(name));
    return it == Registry().end() ? nullptr : it->second;
}

const ClassInfo& TObject::StaticClass()
{
    static const ClassInfo info("TObject", nullptr);
    return info;
}

// ---- persistent -----------------------------------------------------------------------------

void TFiler::DefineProperty(std::string name, std::function<void(const PropertyValue&)> read,
    std::function<PropertyValue()> write, bool hasData)
{
    m_properties.push_back({ std::move(name), false, std::move(read), std::move(write), hasData });
}

void TFiler::DefineBinaryProperty(std::string name, std::function<void(const std::vector<uint8_t>&)> read,
    std::function<std::vector<uint8_t>()> write, bool hasData)
{
    DefinedProperty p;
    p.name = std::move(name);
    p.binary = true;
    p.hasData = hasData;
    p.read = [read = std::move(read)](const PropertyValue& v) {
        if (v.kind != PropertyValue::Kind::Binary)
            throw EPropertyError("Invalid property value: expected binary data {...}");
        read(v.bytes);
    };
    p.write = [write = std::move(write)]() { return PropertyValue::Bytes(write()); };
    m_properties.push_back(std::move(p));
}

const DefinedProperty* TFiler::Find(std::string_view name) const
{
    for (const DefinedProperty& p : m_properties) {
        if (EqualsNoCase(p.name, name))
            return &p;
    }
    return nullptr;
}

const ClassInfo& TPersistent::StaticClass()
{
    static const ClassInfo info("TPersistent", &TObject::StaticClass());
    return info;
}

void TPersistent::Assign(const TPersistent& source)
{
    source.AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const
{
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName() + ".");
}

void TPersistent::DefineProperties(TFiler&) {}

const PropertyInfo* ResolveProperty(TPersistent*& object, std::string_view path)
{
    while (object) {
        size_t dot = path.find('.');
        std::string_view head = path.substr(0, dot);
        const PropertyInfo* info = object->Class().FindProperty(head);
        if (dot == std::string_view::npos)
            return info;
        if (!info || info->kind != PropertyKind::Object)
            return nullptr;
        object = info->object(*object);
        path = path.substr(dot + 1);
    }
    return nullptr;
}

PropertyValue GetPropertyValue(TPersistent& object, std::string_view path)
{
    TPersistent* target = &object;
    const PropertyInfo* info = ResolveProperty(target, path);
    if (!info || !info->get) {
        if (info && info->kind == PropertyKind::Component && info->getComponent) {
            TComponent* c = info->getComponent(*target);
            return c ? PropertyValue::Ident(c->Name()) : PropertyValue::Ident("nil");
        }
        throw EPropertyError("Property " + std::string(path) + " does not exist");
    }
    return info->get(*target);
}

void SetPropertyValue(TPersistent& object, std::string_view path, const PropertyValue& value)
{
    TPersistent* target = &object;
    const PropertyInfo* info = ResolveProperty(target, path);
    if (!info || !info->set || info->readOnly)
        throw EPropertyError("Property " + std::string(path) + " does not exist");
    info->set(*target, value);
}

static std::string FormatFloat(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    std::string text = buffer;
    if (text.find_first_of(".eEn") == std::string::npos)
        text += ".0";
    return text;
}

std::string PropertyValueText(const PropertyInfo& info, const PropertyValue& value)
{
    switch (value.kind) {
    case PropertyValue::Kind::None:
        return "";
    case PropertyValue::Kind::Integer:
        if (info.kind == PropertyKind::Color) {
            if (const char* name = ColorName(static_cast<int32_t>(value.integer)))
                return name;
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "$%08X", static_cast<uint32_t>(value.integer));
            return buffer;
        }
        return std::to_string(value.integer);
    case PropertyValue::Kind::Float:
        return FormatFloat(value.number);
    case PropertyValue::Kind::String:
    case PropertyValue::Kind::Identifier:
        return value.text;
    case PropertyValue::Kind::Set: {
        std::string text = "[";
        for (size_t i = 0; i < value.names.size(); ++i)
            text += (i ? "," : "") + value.names[i];
        return text + "]";
    }
    case PropertyValue::Kind::Binary: {
        static const char* digits = "0123456789ABCDEF";
        std::string text;
        for (uint8_t b : value.bytes) {
            text += digits[b >> 4];
            text += digits[b & 15];
        }
        return text;
    }
    case PropertyValue::Kind::List:
    case PropertyValue::Kind::Collection:
        return "(...)";
    }
    return "";
}

static std::vector<std::string> SplitSetNames(std::string_view text)
{
    std::vector<std::string> names;
    text = TrimBlanks(text);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string_view name = TrimBlanks(text.substr(0, comma));
        if (!name.empty())
            names.emplace_back(name);
        if (comma == std::string_view::npos)
            break;
        text = text.substr(comma + 1);
    }
    return names;
}

PropertyValue ParsePropertyText(const PropertyInfo& info, std::string_view text)
{
    switch (info.kind) {
    case PropertyKind::Integer:
        if (auto n = ParseNumber(text))
            return PropertyValue::Int(*n);
        throw EPropertyError("Invalid property value: " + std::string(text) + " is not an integer");
    case PropertyKind::Color:
        if (auto n = ParseNumber(text))
            return PropertyValue::Int(*n);
        if (!text.empty() && text[0] == '$') {
            if (auto n = ParseNumber("0x" + std::string(text.substr(1))))
                return PropertyValue::Int(*n);
        }
        return PropertyValue::Ident(std::string(TrimBlanks(text)));
    case PropertyKind::Float: {
        std::string s(TrimBlanks(text));
        char* end = nullptr;
        double v = std::strtod(s.c_str(), &end);
        if (s.empty() || end != s.c_str() + s.size() || !std::isfinite(v))
            throw EPropertyError("Invalid property value: " + s + " is not a number");
        return PropertyValue::Float(v);
    }
    case PropertyKind::String:
        return PropertyValue::Str(std::string(text));
    case PropertyKind::Set:
        return PropertyValue::SetOf(SplitSetNames(text));
    case PropertyKind::Boolean:
    case PropertyKind::Enum:
    case PropertyKind::Event:
    case PropertyKind::Component:
        return PropertyValue::Ident(std::string(TrimBlanks(text)));
    case PropertyKind::Object:
        break;
    }
    throw EPropertyError("Property " + info.name + " takes no text value");
}

// ---- collections ----------------------------------------------------------------------------

const ClassInfo& TCollectionItem::StaticClass()
{
    static const ClassInfo info("TCollectionItem", &TPersistent::StaticClass());
    return info;
}

TCollectionItem::TCollectionItem(TCollection* collection)
    : m_collection(collection) {}

TCollectionItem::~TCollectionItem() = default;

int TCollectionItem::Index() const
{
    return m_collection ? m_collection->IndexOf(this) : -1;
}

std::string TCollectionItem::DisplayName() const
{
    return ClassName();
}

const ClassInfo& TCollection::StaticClass()
{
    static const ClassInfo info("TCollection", &TPersistent::StaticClass());
    return info;
}

TCollection::TCollection(ItemFactory factory, TPersistent* owner)
    : m_factory(std::move(factory)), m_owner(owner) {}

TCollection::~TCollection()
{
    // Items leave one by one so that whoever follows them hears each deletion.
    while (!m_items.empty())
        Delete(Count() - 1);
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_items[index].get();
}

TCollectionItem* TCollection::Add()
{
    std::unique_ptr<TCollectionItem> item = m_factory(this);
    item->m_collection = this;
    TCollectionItem* raw = item.get();
    m_items.push_back(std::move(item));
    Notify(raw, TCollectionNotification::cnAdded);
    Update(nullptr);
    return raw;
}

void TCollection::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    Notify(m_items[index].get(), TCollectionNotification::cnDeleting);
    std::unique_ptr<TCollectionItem> item = std::move(m_items[index]);
    m_items.erase(m_items.begin() + index);
    item.reset();
    Update(nullptr);
}

void TCollection::Clear()
{
    while (!m_items.empty())
        Delete(Count() - 1);
}

int TCollection::IndexOf(const TCollectionItem* item) const
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == item)
            return static_cast<int>(i);
    }
    return -1;
}

void TCollection::Assign(const TPersistent& source)
{
    auto* other = dynamic_cast<const TCollection*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    Clear();
    for (int i = 0; i < other->Count(); ++i)
        Add()->Assign(*other->Items(i));
}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}
void TCollection::Update(TCollectionItem*) {}

// ---- method tables --------------------------------------------------------------------------

std::string MethodTable::Key(std::string_view name)
{
    return UpperCase(name);
}

bool MethodTable::AssignField(std::string_view name, TComponent* component) const
{
    auto it = m_fields.find(Key(name));
    if (it == m_fields.end())
        return true;
    return it->second(component);
}

void MethodTable::ClearField(std::string_view name) const
{
    auto it = m_fields.find(Key(name));
    if (it != m_fields.end())
        it->second(nullptr);
}

}
