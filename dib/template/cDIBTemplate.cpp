#include "dib/template/cDIBTemplate.h"

#include "dib/stream/cDIBCompressor.h"
#include "platform/layout/LayoutReader.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <vector>

using namespace platform;

namespace {

constexpr size_t OrdinalSize = 4;
constexpr size_t ExtendedSize = 10;

const char* const InvalidTemplate = "The control template is damaged.";

// ---- primitive fields ----------------------------------------------------------------------

void PutUInt32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutString(std::vector<uint8_t>& out, const std::string& text)
{
    PutUInt32(out, static_cast<uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

// Exactly `count` bytes, refused before anything is allocated when the stream has fewer.
std::vector<uint8_t> ReadBytes(TDIBStream& stream, uint64_t count)
{
    if (count > stream.Remaining())
        throw EDIBStreamError(StreamReadErrorMessage);
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    if (count)
        stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

std::string ReadString(TDIBStream& stream)
{
    const std::vector<uint8_t> bytes = ReadBytes(stream, stream.ReadUInt32());
    return std::string(bytes.begin(), bytes.end());
}

// A picture or an object the template carries in the layout syntax; a refused one is damage
// to the template, reported in the layout reader's words.
void ReadTemplateLayout(TComponent& root, const std::string& text, const std::string& source)
{
    if (auto read = ReadLayout(root, text, source); !read)
        throw EDIBControlError(read.Error().Message());
}

uint32_t Ordinal(const std::vector<uint8_t>& value)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(value[i]) << (8 * i);
    return v;
}

// The 80-bit extended float the x86 keeps in a long double.
std::vector<uint8_t> ToExtended(double value)
{
    static_assert(sizeof(long double) >= ExtendedSize, "long double must hold an 80-bit extended float");
    long double extended = value;
    uint8_t raw[sizeof(long double)] = {};
    std::memcpy(raw, &extended, sizeof extended);
    return std::vector<uint8_t>(raw, raw + ExtendedSize);
}

double FromExtended(const std::vector<uint8_t>& bytes)
{
    uint8_t raw[sizeof(long double)] = {};
    std::memcpy(raw, bytes.data(), ExtendedSize);
    long double extended = 0;
    std::memcpy(&extended, raw, sizeof extended);
    return static_cast<double>(extended);
}

std::string GuidText(const TGUID& id)
{
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", id.D1, id.D2, id.D3, id.D4[0],
        id.D4[1], id.D4[2], id.D4[3], id.D4[4], id.D4[5], id.D4[6], id.D4[7]);
    return text;
}

TGUID NewGuid()
{
    try {
        std::random_device device;
        std::uniform_int_distribution<uint32_t> word;
        uint8_t bytes[TGUID::ByteSize];
        for (size_t i = 0; i < TGUID::ByteSize; i += 4) {
            const uint32_t w = word(device);
            std::memcpy(bytes + i, &w, 4);
        }
        // A random (version 4) GUID of the standard variant.
        bytes[7] = static_cast<uint8_t>((bytes[7] & 0x0F) | 0x40);
        bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
        return TGUID::FromBytes(bytes);
    } catch (const std::exception&) {
        throw EDIBControlError("Could not create a GUID for your new template.");
    }
}

// The compressor is off while a template is written, and back on afterwards.
class CompressorOff {
public:
    CompressorOff()
        : m_saved(CurrentDIBCompressor())
    {
        SetCurrentDIBCompressor(nullptr);
    }
    ~CompressorOff() { SetCurrentDIBCompressor(m_saved); }

private:
    TAbstractDIBCompressor* m_saved;
};

bool Templatable(PropertyKind kind)
{
    switch (kind) {
    case PropertyKind::Integer:
    case PropertyKind::Boolean:
    case PropertyKind::Float:
    case PropertyKind::String:
    case PropertyKind::Enum:
    case PropertyKind::Set:
    case PropertyKind::Color:
    case PropertyKind::Object:
        return true;
    case PropertyKind::Component:
    case PropertyKind::Event:
        return false;
    }
    return false;
}

// ---- property values -----------------------------------------------------------------------

std::vector<uint8_t> EncodeValue(TCustomDIBControl& control, const PropertyInfo& info)
{
    std::vector<uint8_t> out;
    if (info.kind == PropertyKind::Object) {
        TPersistentWrapper wrapper(info.object(control));
        const std::string text = WriteLayout(wrapper);
        out.assign(text.begin(), text.end());
        return out;
    }
    const PropertyValue value = info.get(control);
    switch (info.kind) {
    case PropertyKind::Integer:
    case PropertyKind::Color:
        PutUInt32(out, static_cast<uint32_t>(value.integer));
        break;
    case PropertyKind::Boolean:
        PutUInt32(out, RequireBoolean(value) ? 1 : 0);
        break;
    case PropertyKind::Enum:
        PutUInt32(out, static_cast<uint32_t>(value.kind == PropertyValue::Kind::Integer ? value.integer : RequireEnum(value, *info.enumInfo)));
        break;
    case PropertyKind::Set:
        PutUInt32(out, RequireSet(value, *info.enumInfo));
        break;
    case PropertyKind::Float:
        out = ToExtended(value.number);
        break;
    case PropertyKind::String:
        PutString(out, value.text);
        break;
    default:
        throw EDIBControlError("Attempting to template an invalid property type.");
    }
    return out;
}

bool SizeFits(PropertyKind kind, const std::vector<uint8_t>& value)
{
    switch (kind) {
    case PropertyKind::Float:
        return value.size() == ExtendedSize;
    case PropertyKind::String:
        return value.size() >= 4 && value.size() - 4 == Ordinal(value);
    case PropertyKind::Object:
        return true;
    default:
        return value.size() == OrdinalSize;
    }
}

PropertyValue DecodeValue(const PropertyInfo& info, const std::vector<uint8_t>& value)
{
    switch (info.kind) {
    case PropertyKind::Integer:
    case PropertyKind::Color:
        return PropertyValue::Int(static_cast<int32_t>(Ordinal(value)));
    case PropertyKind::Boolean:
        return PropertyValue::Ident(Ordinal(value) ? "True" : "False");
    case PropertyKind::Enum: {
        const std::string* name = info.enumInfo->NameOf(static_cast<int>(Ordinal(value)));
        if (!name)
            throw EDIBControlError(InvalidTemplate);
        return PropertyValue::Ident(*name);
    }
    case PropertyKind::Set:
        return SetValue(Ordinal(value), *info.enumInfo);
    case PropertyKind::Float:
        return PropertyValue::Float(FromExtended(value));
    case PropertyKind::String:
        return PropertyValue::Str(std::string(value.begin() + 4, value.end()));
    default:
        throw EDIBControlError(InvalidTemplate);
    }
}

// ---- the control's published links ---------------------------------------------------------

// The published property whose value is `link`, or nullptr.
const PropertyInfo* LinkProperty(TCustomDIBControl& control, const TDIBImageLink& link)
{
    for (const PropertyInfo* info : control.Class().AllProperties()) {
        if (info->kind == PropertyKind::Object && info->object(control) == &link)
            return info;
    }
    return nullptr;
}

TDIBImageLink* PublishedLink(TCustomDIBControl& control, const std::string& name)
{
    const PropertyInfo* info = control.Class().FindProperty(name);
    if (!info || info->kind != PropertyKind::Object)
        return nullptr;
    return dynamic_cast<TDIBImageLink*>(info->object(control));
}

struct LinkRecord {
    std::string property;
    std::string displayName;
    uint32_t image = 0;
};

struct PropertyRecord {
    std::string name;
    std::vector<uint8_t> value;
};

}

// ---- wrappers ------------------------------------------------------------------------------

const ClassInfo& TDIBWrapper::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBWrapper>("TDIBWrapper", &TComponent::StaticClass())
                                      .Creatable()
                                      .Object("DIB", [](TDIBWrapper& w) -> TPersistent& { return w.DIB(); })
                                      .Build();
    return info;
}

TDIBWrapper::TDIBWrapper(TComponent* owner)
    : TComponent(owner)
{
}

const ClassInfo& TPersistentWrapper::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TPersistentWrapper>("TPersistentWrapper", &TComponent::StaticClass())
                                      .Object("Persistent", [](TPersistentWrapper& w) { return w.Persistent(); })
                                      .Build();
    return info;
}

TPersistentWrapper::TPersistentWrapper(TPersistent* target)
    : TComponent(nullptr)
    , m_target(target)
{
}

// ---- checks --------------------------------------------------------------------------------

void CheckTemplateProperty(const ClassInfo& info, const std::string& name)
{
    const PropertyInfo* property = info.FindProperty(name);
    if (!property)
        throw EDIBControlError("Class " + info.Name() + " is trying to register " + name
            + " as a template property, and that property does not exist.");
    if (!Templatable(property->kind))
        throw EDIBControlError("Attempting to template an invalid property type.");
}

// ---- save ----------------------------------------------------------------------------------

void SaveDIBControlTemplate(TCustomDIBControl& control, TDIBStream& stream)
{
    const TGUID id = NewGuid();
    CompressorOff compressorOff;

    std::vector<uint8_t> images, links;
    uint32_t imageCount = 0, linkCount = 0;
    std::map<int, uint32_t> numbers; // list index -> number within the template
    for (int i = 0; i < control.ImageLinkCount(); ++i) {
        TDIBImageLink& link = control.ImageLink(i);
        const PropertyInfo* property = LinkProperty(control, link);
        TCustomDIBImageList* list = link.DIBImageList();
        if (!property || !list || !link.GetImage())
            continue;
        TDIBImagesItem& item = *list->DIBImages().Items(link.DIBIndex());
        auto [at, fresh] = numbers.try_emplace(link.DIBIndex(), imageCount);
        if (fresh) {
            TDIBWrapper wrapper;
            wrapper.DIB().Assign(item.DIB());
            PutString(images, WriteLayout(wrapper));
            ++imageCount;
        }
        PutString(links, property->name);
        PutString(links, item.DisplayName());
        PutUInt32(links, at->second);
        ++linkCount;
    }

    std::vector<uint8_t> properties;
    PutUInt32(properties, static_cast<uint32_t>(control.TemplateProperties().size()));
    for (const std::string& name : control.TemplateProperties()) {
        CheckTemplateProperty(control.Class(), name);
        const std::vector<uint8_t> value = EncodeValue(control, *control.Class().FindProperty(name));
        PutString(properties, name);
        PutUInt32(properties, static_cast<uint32_t>(value.size()));
        properties.insert(properties.end(), value.begin(), value.end());
    }

    stream.WriteBytes(id.ToBytes());
    stream.WriteUInt32(imageCount);
    stream.WriteUInt32(linkCount);
    stream.WriteBytes(images);
    stream.WriteBytes(links);
    stream.WriteBytes(properties);
}

// ---- load ----------------------------------------------------------------------------------

void LoadDIBControlTemplate(TCustomDIBControl& control, TDIBStream& stream)
{
    const std::vector<uint8_t> guid = ReadBytes(stream, TGUID::ByteSize);
    const std::string guidText = GuidText(TGUID::FromBytes(guid));
    const uint32_t imageCount = stream.ReadUInt32();
    const uint32_t linkCount = stream.ReadUInt32();
    TCustomDIBImageList* list = control.DIBImageList();
    if (imageCount > 0 && !list)
        throw EDIBControlError("No DIB image list has been assigned.");

    // Everything is read before anything changes: a damaged template leaves no half of itself.
    std::vector<std::unique_ptr<TDIBWrapper>> pictures;
    for (uint32_t i = 0; i < imageCount; ++i) {
        const std::string text = ReadString(stream);
        auto wrapper = std::make_unique<TDIBWrapper>();
        ReadTemplateLayout(*wrapper, text, "template image " + std::to_string(i));
        pictures.push_back(std::move(wrapper));
    }
    std::vector<LinkRecord> linkRecords;
    for (uint32_t i = 0; i < linkCount; ++i) {
        LinkRecord record;
        record.property = ReadString(stream);
        record.displayName = ReadString(stream);
        record.image = stream.ReadUInt32();
        if (record.image >= imageCount)
            throw EDIBControlError(InvalidTemplate);
        linkRecords.push_back(std::move(record));
    }
    std::vector<PropertyRecord> propertyRecords;
    const uint32_t propertyCount = stream.ReadUInt32();
    for (uint32_t i = 0; i < propertyCount; ++i) {
        PropertyRecord record;
        record.name = ReadString(stream);
        record.value = ReadBytes(stream, stream.ReadUInt32());
        const PropertyInfo* info = control.Class().FindProperty(record.name);
        if (info && Templatable(info->kind) && !SizeFits(info->kind, record.value))
            throw EDIBControlError(InvalidTemplate);
        propertyRecords.push_back(std::move(record));
    }

    std::vector<int> indices;
    for (uint32_t i = 0; i < imageCount; ++i) {
        TDIBImagesItem& item = list->FindOrAddTemplateItem(guidText, static_cast<int>(i));
        item.SetDIB(pictures[i]->DIB());
        indices.push_back(item.Index());
    }
    for (const LinkRecord& record : linkRecords) {
        TDIBImageLink* link = PublishedLink(control, record.property);
        if (!link)
            continue;
        link->SetDIBIndex(indices[record.image]);
        if (!record.displayName.empty())
            list->DIBImages().Items(indices[record.image])->SetDisplayName(record.displayName);
    }
    for (const PropertyRecord& record : propertyRecords) {
        const PropertyInfo* info = control.Class().FindProperty(record.name);
        if (!info || !Templatable(info->kind) || info->readOnly)
            continue;
        if (info->kind == PropertyKind::Object) {
            TPersistentWrapper wrapper(info->object(control));
            ReadTemplateLayout(wrapper, std::string(record.value.begin(), record.value.end()), "template property " + record.name);
            continue;
        }
        info->set(control, DecodeValue(*info, record.value));
    }
    control.Loaded();
}
