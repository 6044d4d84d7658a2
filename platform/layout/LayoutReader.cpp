#include "platform/layout/LayoutReader.h"

#include "platform/components/Graphics.h"
#include "platform/components/Standard.h"
#include "platform/layout/LayoutError.h"
#include "platform/text/Text.h"

namespace platform {

namespace {

struct Fixup {
    TPersistent* object;
    const PropertyInfo* info;
    std::string name;
    int line;
};

class Reader {
public:
    Reader(TComponent& root, const std::string& source)
        : m_root(root), m_source(source) {}

    void Read(const LayoutObject& top)
    {
        CheckRootClass(top);
        m_root.BeginLoading();
        m_loaded.push_back(&m_root);
        if (!top.name.empty())
            Guard(top.line, [&] { m_root.SetName(top.name); });
        ReadProperties(m_root, top.properties);
        for (const auto& child : top.children)
            ReadChild(*child, &m_root);
        ResolveFixups();
        for (TComponent* c : m_loaded)
            c->Loaded();
    }

private:
    [[noreturn]] void Fail(int line, const std::string& message) const { throw ELayoutError(m_source, line, message); }

    template <class F>
    void Guard(int line, F&& f)
    {
        try {
            f();
        } catch (const ELayoutError&) {
            throw;
        } catch (const std::exception& e) {
            Fail(line, e.what());
        }
    }

    void CheckRootClass(const LayoutObject& top) const
    {
        for (const ClassInfo* c = &m_root.Class(); c; c = c->Parent()) {
            if (EqualsNoCase(c->Name(), top.className))
                return;
        }
        Fail(top.line, "the layout is for a " + top.className + ", not a " + m_root.ClassName());
    }

    void ReadChild(const LayoutObject& node, TComponent* parent)
    {
        const ClassInfo* info = FindClass(node.className);
        if (!info)
            Fail(node.line, "unknown class " + node.className);
        if (!info->IsCreatable())
            Fail(node.line, "class " + node.className + " cannot be created from a layout");
        TComponent* component = nullptr;
        Guard(node.line, [&] {
            // The name is checked before the component exists, so a clash leaves nothing behind.
            if (!node.name.empty() && m_root.FindComponent(node.name))
                throw EComponentError("A component named " + node.name + " already exists");
            component = info->Create(&m_root);
            component->BeginLoading();
            m_loaded.push_back(component);
            component->SetName(node.name);
        });
        if (const MethodTable* methods = m_root.PublishedMethods()) {
            if (!node.name.empty() && !methods->AssignField(node.name, component))
                Fail(node.line, "the field " + node.name + " of " + m_root.ClassName() + " is not a " + node.className);
        }
        Guard(node.line, [&] { component->SetParentComponent(parent); });
        ReadProperties(*component, node.properties);
        for (const auto& child : node.children)
            ReadChild(*child, component);
    }

    void ReadProperties(TPersistent& object, const std::vector<LayoutProperty>& properties)
    {
        for (const LayoutProperty& p : properties)
            ReadProperty(object, p.path, p.value, p.line);
    }

    void ReadProperty(TPersistent& object, const std::string& path, const PropertyValue& value, int line)
    {
        TPersistent* holder = &object;
        std::string_view rest = path;
        // Walk the dotted path through object properties.
        for (;;) {
            size_t dot = rest.find('.');
            if (dot == std::string_view::npos)
                break;
            std::string head(rest.substr(0, dot));
            const PropertyInfo* info = holder->Class().FindProperty(head);
            if (!info || info->kind != PropertyKind::Object)
                Fail(line, "unknown property " + path + " of " + object.ClassName());
            holder = info->object(*holder);
            if (!holder)
                Fail(line, "property " + head + " of " + object.ClassName() + " holds no object");
            rest = rest.substr(dot + 1);
        }
        std::string name(rest);
        const PropertyInfo* info = holder->Class().FindProperty(name);
        if (!info) {
            ReadDefined(*holder, object, path, name, value, line);
            return;
        }
        if (info->readOnly)
            Fail(line, "property " + path + " of " + object.ClassName() + " cannot be written");
        switch (info->kind) {
        case PropertyKind::Event: {
            if (value.kind != PropertyValue::Kind::Identifier)
                Fail(line, "bad value for " + path + ": expected a handler name");
            bool bound = false;
            Guard(line, [&] { bound = info->bind(*holder, m_root.PublishedMethods(), value.text); });
            if (!bound)
                Fail(line, "unknown handler " + value.text + " for " + path + " (no method of that name and kind in " + m_root.ClassName() + ")");
            return;
        }
        case PropertyKind::Component:
            if (value.kind != PropertyValue::Kind::Identifier)
                Fail(line, "bad value for " + path + ": expected a component name");
            m_fixups.push_back({ holder, info, value.text, line });
            return;
        case PropertyKind::Object:
            ReadObjectValue(*holder, *info, path, value, line);
            return;
        default:
            break;
        }
        try {
            info->set(*holder, value);
        } catch (const std::exception& e) {
            Fail(line, "bad value for " + path + ": " + e.what());
        }
    }

    void ReadObjectValue(TPersistent& holder, const PropertyInfo& info, const std::string& path, const PropertyValue& value, int line)
    {
        TPersistent* target = info.object(holder);
        auto* collection = dynamic_cast<TCollection*>(target);
        if (!collection || value.kind != PropertyValue::Kind::Collection)
            Fail(line, "bad value for " + path + ": expected " + (collection ? "a collection <...>" : "properties of its own (" + path + ".Name = ...)"));
        Guard(line, [&] { collection->Clear(); });
        for (const PropertyValue::Item& item : value.items) {
            TCollectionItem* added = nullptr;
            Guard(line, [&] { added = collection->Add(); });
            for (size_t i = 0; i < item.names.size() && i < item.values.size(); ++i) {
                int itemLine = i < item.lines.size() && item.lines[i] ? item.lines[i] : line;
                ReadProperty(*added, item.names[i], item.values[i], itemLine);
            }
        }
    }

    void ReadDefined(TPersistent& holder, TPersistent& object, const std::string& path, const std::string& name, const PropertyValue& value, int line)
    {
        TFiler filer;
        holder.DefineProperties(filer);
        const DefinedProperty* defined = filer.Find(name);
        if (!defined)
            Fail(line, "unknown property " + path + " of " + object.ClassName());
        try {
            defined->read(value);
        } catch (const std::exception& e) {
            Fail(line, "bad value for " + path + ": " + e.what());
        }
    }

    TComponent* FindReference(const std::string& name) const
    {
        if (EqualsNoCase(name, m_root.Name()) || EqualsNoCase(name, "Owner"))
            return &m_root;
        return m_root.FindComponent(name);
    }

    void ResolveFixups()
    {
        for (const Fixup& f : m_fixups) {
            TComponent* target = nullptr;
            if (!EqualsNoCase(f.name, "nil")) {
                target = FindReference(f.name);
                if (!target)
                    Fail(f.line, "unknown component " + f.name + " for " + f.info->name);
            }
            try {
                f.info->setComponent(*f.object, target);
            } catch (const std::exception& e) {
                Fail(f.line, "bad value for " + f.info->name + ": " + e.what());
            }
        }
    }

    TComponent& m_root;
    const std::string& m_source;
    std::vector<TComponent*> m_loaded;
    std::vector<Fixup> m_fixups;
};

// ---- writer ---------------------------------------------------------------------------------

// Longest run of a string or of binary digits on one line, as stored forms keep them.
constexpr size_t StringChunk = 64;
constexpr size_t BinaryBytesPerLine = 32;

std::string Indent(int n)
{
    return std::string(static_cast<size_t>(n) * 2, ' ');
}

std::string QuoteString(const std::string& text, int indent)
{
    if (text.empty())
        return "''";
    std::string out;
    size_t column = 0;
    bool quoted = false;
    for (unsigned char c : text) {
        if (column >= StringChunk) {
            if (quoted)
                out += '\'';
            quoted = false;
            out += " +\n" + Indent(indent + 1);
            column = 0;
        }
        if (c >= 32 && c < 127) {
            if (!quoted) {
                out += '\'';
                quoted = true;
            }
            out += static_cast<char>(c);
            if (c == '\'')
                out += '\'';
        } else {
            if (quoted) {
                out += '\'';
                quoted = false;
            }
            out += "#" + std::to_string(c);
        }
        ++column;
    }
    if (quoted)
        out += '\'';
    return out;
}

std::string FormatFloat(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    std::string text = buffer;
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

void WriteProperties(std::string& out, TPersistent& object, const std::string& prefix, int indent);

void WriteLine(std::string& out, int indent, const std::string& name, const std::string& value)
{
    out += Indent(indent) + name + " = " + value + "\n";
}

void WriteCollection(std::string& out, TCollection& collection, const std::string& name, int indent)
{
    std::string body;
    for (int i = 0; i < collection.Count(); ++i) {
        body += Indent(indent + 1) + "item\n";
        WriteProperties(body, *collection.Items(i), "", indent + 2);
        body += Indent(indent + 1) + "end";
        body += i + 1 < collection.Count() ? "\n" : "";
    }
    out += Indent(indent) + name + " = <" + (body.empty() ? "" : "\n" + body) + ">\n";
}

void WriteProperties(std::string& out, TPersistent& object, const std::string& prefix, int indent)
{
    for (const PropertyInfo* info : object.Class().AllProperties()) {
        if (info->readOnly || (info->stored && !info->stored(object)))
            continue;
        // A component's name stands in its object line.
        if (EqualsNoCase(info->name, "Name") && dynamic_cast<TComponent*>(&object))
            continue;
        std::string name = prefix + info->name;
        switch (info->kind) {
        case PropertyKind::Object: {
            TPersistent* sub = info->object(object);
            if (!sub)
                break;
            if (auto* collection = dynamic_cast<TCollection*>(sub))
                WriteCollection(out, *collection, name, indent);
            else
                WriteProperties(out, *sub, name + ".", indent);
            break;
        }
        case PropertyKind::Component: {
            TComponent* target = info->getComponent(object);
            if (target && !target->Name().empty())
                WriteLine(out, indent, name, target->Name());
            break;
        }
        default: {
            if (!info->get)
                break;
            PropertyValue value = info->get(object);
            if (value.kind == PropertyValue::Kind::None)
                break;
            if (info->defaultValue && value == *info->defaultValue)
                break;
            if (info->kind == PropertyKind::Color && value.kind == PropertyValue::Kind::Integer) {
                if (const char* colorName = ColorName(static_cast<int32_t>(value.integer)))
                    value = PropertyValue::Ident(colorName);
            }
            WriteLine(out, indent, name, FormatLayoutValue(value, indent));
            break;
        }
        }
    }
    TFiler filer;
    object.DefineProperties(filer);
    for (const DefinedProperty& defined : filer.Properties()) {
        if (defined.hasData)
            WriteLine(out, indent, prefix + defined.name, FormatLayoutValue(defined.write(), indent));
    }
}

void WriteObject(std::string& out, TComponent& component, const TComponent& root, int indent)
{
    out += Indent(indent) + "object " + (component.Name().empty() ? "" : component.Name() + ": ") + component.ClassName() + "\n";
    WriteProperties(out, component, "", indent + 1);
    component.GetChildren([&](TComponent* child) { WriteObject(out, *child, root, indent + 1); }, const_cast<TComponent*>(&root));
    out += Indent(indent) + "end\n";
}

}

std::string FormatLayoutValue(const PropertyValue& value, int indent)
{
    switch (value.kind) {
    case PropertyValue::Kind::None:
        return "";
    case PropertyValue::Kind::Integer:
        return std::to_string(value.integer);
    case PropertyValue::Kind::Float:
        return FormatFloat(value.number);
    case PropertyValue::Kind::String:
        return QuoteString(value.text, indent);
    case PropertyValue::Kind::Identifier:
        return value.text;
    case PropertyValue::Kind::Set: {
        std::string out = "[";
        for (size_t i = 0; i < value.names.size(); ++i)
            out += (i ? ", " : "") + value.names[i];
        return out + "]";
    }
    case PropertyValue::Kind::List: {
        std::string out = "(";
        for (const PropertyValue& item : value.list)
            out += "\n" + Indent(indent + 1) + FormatLayoutValue(item, indent + 1);
        return out + ")";
    }
    case PropertyValue::Kind::Binary: {
        static const char* digits = "0123456789ABCDEF";
        std::string out = "{";
        for (size_t i = 0; i < value.bytes.size(); ++i) {
            if (i % BinaryBytesPerLine == 0)
                out += "\n" + Indent(indent + 1);
            out += digits[value.bytes[i] >> 4];
            out += digits[value.bytes[i] & 15];
        }
        return out + "}";
    }
    case PropertyValue::Kind::Collection: {
        std::string out = "<";
        for (const PropertyValue::Item& item : value.items) {
            out += "\n" + Indent(indent + 1) + "item\n";
            for (size_t i = 0; i < item.names.size() && i < item.values.size(); ++i)
                out += Indent(indent + 2) + item.names[i] + " = " + FormatLayoutValue(item.values[i], indent + 2) + "\n";
            out += Indent(indent + 1) + "end";
        }
        return out + ">";
    }
    }
    return "";
}

Result<void> ReadLayout(TComponent& root, std::string_view text, const std::string& sourceName)
{
    RegisterStandardClasses();
    Result<std::unique_ptr<LayoutObject>> top = ParseLayout(text, sourceName);
    if (!top)
        return top.Error();
    return LayoutRefusedOn([&] { Reader(root, sourceName).Read(**top); });
}

std::string WriteLayout(const TComponent& root)
{
    std::string out;
    WriteObject(out, const_cast<TComponent&>(root), root, 0);
    return out;
}

}
