#include "dib/imagelist/cDIBImageList.h"

#include "platform/components/ClassBuilder.h"

#include <algorithm>
#include <type_traits>

using namespace platform;

namespace {

// The item's surface is published once surfaces are persistent objects of their own.
template <class Surface>
void PublishSurface(ClassBuilder<TDIBImagesItem>& builder)
{
    if constexpr (std::is_base_of_v<TPersistent, Surface>)
        builder.Object("DIB", [](TDIBImagesItem& item) -> Surface& { return item.DIB(); });
}

}

// ---- items -----------------------------------------------------------------------------------

const ClassInfo& TDIBImagesItem::StaticClass()
{
    static const ClassInfo info = [] {
        ClassBuilder<TDIBImagesItem> builder("TDIBImagesItem", &TCollectionItem::StaticClass());
        PublishSurface<TMemoryDIB>(builder);
        builder.String("DisplayName", &TDIBImagesItem::DisplayName, &TDIBImagesItem::SetDisplayName, std::nullopt);
        return builder.Build();
    }();
    return info;
}

TDIBImagesItem::TDIBImagesItem(TCollection* collection)
    : TCollectionItem(collection)
    , m_dib(std::make_unique<TMemoryDIB>(1, 1))
{
    m_dib->OnChange = [this](TAbstractSuperDIB*) { SurfaceChanged(); };
}

TDIBImagesItem::~TDIBImagesItem() = default;

void TDIBImagesItem::SetDIB(const TAbstractSuperDIB& source) { m_dib->Assign(source); }

void TDIBImagesItem::SetDisplayName(const std::string& name) { m_displayName = name; }

void TDIBImagesItem::DefineProperties(TFiler& filer)
{
    TCollectionItem::DefineProperties(filer);
    filer.DefineProperty(
        "TemplateFilename", [this](const PropertyValue& value) { m_templateName = RequireString(value); },
        [this] { return PropertyValue::Str(m_templateName); }, !m_templateName.empty());
}

// Every change of the surface reaches the links of this item's index.
void TDIBImagesItem::SurfaceChanged()
{
    auto* images = dynamic_cast<TDIBImages*>(Collection());
    int index = Index();
    if (images && index >= 0)
        images->List().NotifyLinks(index, lcChanged);
}

// ---- collection --------------------------------------------------------------------------------

const ClassInfo& TDIBImages::StaticClass()
{
    static const ClassInfo info("TDIBImages", &TCollection::StaticClass());
    return info;
}

TDIBImages::TDIBImages(TCustomDIBImageList& owner)
    : TItemCollection(&owner)
    , m_list(owner)
{
}

void TDIBImages::Notify(TCollectionItem* item, TCollectionNotification action)
{
    TCollection::Notify(item, action);
    if (action == TCollectionNotification::cnDeleting)
        m_deleted.push_back(IndexOf(item));
}

void TDIBImages::Update(TCollectionItem* item)
{
    TCollection::Update(item);
    std::vector<int> deleted;
    deleted.swap(m_deleted);
    for (int index : deleted)
        m_list.NotifyLinks(index, lcDeleted);
}

// ---- links -------------------------------------------------------------------------------------

const ClassInfo& TDIBImageLink::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBImageLink>("TDIBImageLink", &TPersistent::StaticClass())
                                      .Component<TCustomDIBImageList>("DIBImageList", &TDIBImageLink::DIBImageList, &TDIBImageLink::SetDIBImageList)
                                      .Integer("DIBIndex", &TDIBImageLink::DIBIndex, &TDIBImageLink::SetDIBIndex, -1)
                                      .Build();
    return info;
}

TDIBImageLink::TDIBImageLink(TComponent* owner)
    : m_owner(owner)
{
}

TDIBImageLink::~TDIBImageLink()
{
    if (m_list)
        m_list->UnregisterLink(this);
}

void TDIBImageLink::SetDIBImageList(TCustomDIBImageList* list)
{
    if (m_list)
        m_list->UnregisterLink(this);
    m_list = list;
    if (m_list)
        m_list->RegisterLink(this);
}

void TDIBImageLink::SetDIBIndex(int index)
{
    if (ChangeValue(m_index, index))
        Change(index, lcChanged);
}

void TDIBImageLink::Assign(const TPersistent& source)
{
    auto* other = dynamic_cast<const TDIBImageLink*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetDIBIndex(other->m_index);
    SetDIBImageList(other->m_list);
}

TAbstractSuperDIB* TDIBImageLink::GetImage() const { return m_list ? m_list->GetImage(m_index) : nullptr; }

bool TDIBImageLink::ValidIndex() const { return m_list && m_list->ValidIndex(m_index); }

void TDIBImageLink::Change(int index, TDIBLinkChange change)
{
    if (change == lcChanged && index != m_index)
        return;
    if (change == lcDeleted && index > m_index)
        return;
    if (m_owner && m_owner->IsDestroying())
        return;
    if (change == lcDeleted && index < m_index) {
        --m_index;
        return;
    }
    if (change == lcDeleted)
        m_index = -1;
    if (OnChange)
        OnChange(this, index, change);
}

// ---- list --------------------------------------------------------------------------------------

const ClassInfo& TCustomDIBImageList::StaticClass()
{
    static const ClassInfo info("TCustomDIBImageList", &TComponent::StaticClass());
    return info;
}

const ClassInfo& TDIBImageList::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBImageList>("TDIBImageList", &TCustomDIBImageList::StaticClass())
                                      .Creatable()
                                      .Object("DIBImages", [](TDIBImageList& list) -> TPersistent& { return list.DIBImages(); })
                                      .Build();
    return info;
}

static ClassRegistration registration(TDIBImageList::StaticClass());

TCustomDIBImageList::TCustomDIBImageList(TComponent* owner)
    : TComponent(owner)
    , m_view(std::make_unique<TMemoryDIB>(1, 1))
    , m_scratch(std::make_unique<TMemoryDIB>(1, 1))
    , m_images(std::make_unique<TDIBImages>(*this))
{
}

TCustomDIBImageList::~TCustomDIBImageList()
{
    m_destroying = true;
    for (TDIBImageLink* link : m_links)
        link->m_list = nullptr;
    m_links.clear();
    m_images.reset();
    m_scratch.reset();
    m_view.reset();
}

TAbstractSuperDIB* TCustomDIBImageList::GetImage(int index)
{
    TDIBImagesItem* item = m_images->Items(index);
    if (!item || !item->DIB().HasBits())
        return nullptr;
    m_view->ShareBits(item->DIB());
    return m_view.get();
}

void TCustomDIBImageList::RegisterLink(TDIBImageLink* link)
{
    if (!link)
        return;
    if (std::find(m_links.begin(), m_links.end(), link) == m_links.end())
        m_links.push_back(link);
    for (int i = 0; i < m_images->Count(); ++i)
        link->Change(i, lcChanged);
}

void TCustomDIBImageList::UnregisterLink(TDIBImageLink* link)
{
    std::erase(m_links, link);
}

TDIBImagesItem& TCustomDIBImageList::FindOrAddTemplateItem(const std::string& templateGuid, int number)
{
    const std::string name = std::to_string(number) + ":" + templateGuid;
    for (int i = 0; i < m_images->Count(); ++i)
        if (m_images->Items(i)->TemplateName() == name)
            return *m_images->Items(i);
    TDIBImagesItem& item = m_images->Add();
    item.SetTemplateName(name);
    return item;
}

void TCustomDIBImageList::NotifyLinks(int index, TDIBLinkChange change)
{
    if (m_destroying)
        return;
    // A callback may register or drop links (a control that re-targets itself): walk a copy and
    // skip links that left meanwhile.
    const std::vector<TDIBImageLink*> links = m_links;
    for (TDIBImageLink* link : links)
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            link->Change(index, change);
}
