#include "dib/cDIBImageList.h"

#include <algorithm>

// ---- items -----------------------------------------------------------------------------------

TDIBImagesItem::TDIBImagesItem(TDIBImages& collection)
    : m_collection(collection)
    , m_dib(std::make_unique<TMemoryDIB>(1, 1))
{
    // Every change of the surface reaches the links of this item's index.
    m_dib->OnChange = [this](TAbstractSuperDIB*) {
        int index = Index();
        if (index >= 0)
            m_collection.Owner().NotifyLinks(index, lcChanged);
    };
}

TDIBImagesItem::~TDIBImagesItem() = default;

int TDIBImagesItem::Index() const { return m_collection.IndexOf(this); }

void TDIBImagesItem::SetDIB(const TAbstractSuperDIB& source) { m_dib->Assign(source); }

void TDIBImagesItem::SetDisplayName(const std::string& name) { m_displayName = name; }

// ---- collection --------------------------------------------------------------------------------

TDIBImages::TDIBImages(TCustomDIBImageList& owner)
    : m_owner(owner)
{
}

TDIBImages::~TDIBImages() = default;

TDIBImagesItem* TDIBImages::Items(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_items[index].get();
}

int TDIBImages::IndexOf(const TDIBImagesItem* item) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[i].get() == item)
            return i;
    return -1;
}

TDIBImagesItem& TDIBImages::Add() { return Insert(Count()); }

TDIBImagesItem& TDIBImages::Insert(int index)
{
    index = std::clamp(index, 0, Count());
    auto item = std::make_unique<TDIBImagesItem>(*this);
    TDIBImagesItem& added = *item;
    m_items.insert(m_items.begin() + index, std::move(item));
    if (index < Count() - 1)
        m_owner.NotifyInserted(index);
    return added;
}

void TDIBImages::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    std::unique_ptr<TDIBImagesItem> item = std::move(m_items[index]);
    m_items.erase(m_items.begin() + index);
    item.reset();
    m_owner.NotifyLinks(index, lcDeleted);
}

void TDIBImages::Clear()
{
    while (Count() > 0)
        Delete(Count() - 1);
}

// ---- links -------------------------------------------------------------------------------------

TDIBImageLink::TDIBImageLink(std::function<bool()> ownerDestroying)
    : m_ownerDestroying(std::move(ownerDestroying))
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
    if (index == m_index)
        return;
    m_index = index;
    Change(index, lcChanged);
}

void TDIBImageLink::Assign(const TDIBImageLink& source)
{
    SetDIBIndex(source.m_index);
    SetDIBImageList(source.m_list);
}

TAbstractSuperDIB* TDIBImageLink::GetImage() const { return m_list ? m_list->GetImage(m_index) : nullptr; }

bool TDIBImageLink::ValidIndex() const { return m_list && m_list->ValidIndex(m_index); }

void TDIBImageLink::Change(int index, TDIBLinkChange change)
{
    if (change == lcChanged && index != m_index)
        return;
    if (change == lcDeleted && index > m_index)
        return;
    if (m_ownerDestroying && m_ownerDestroying())
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

void TDIBImageLink::Inserted(int index)
{
    if (m_index >= index)
        ++m_index;
}

// ---- list --------------------------------------------------------------------------------------

TCustomDIBImageList::TCustomDIBImageList()
    : m_view(std::make_unique<TMemoryDIB>(1, 1))
    , m_scratch(std::make_unique<TMemoryDIB>(1, 1))
    , m_images(*this)
{
}

TCustomDIBImageList::~TCustomDIBImageList()
{
    m_destroying = true;
    for (TDIBImageLink* link : m_links)
        link->m_list = nullptr;
    m_links.clear();
}

TAbstractSuperDIB* TCustomDIBImageList::GetImage(int index)
{
    TDIBImagesItem* item = m_images.Items(index);
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
    for (int i = 0; i < m_images.Count(); ++i)
        link->Change(i, lcChanged);
}

void TCustomDIBImageList::UnregisterLink(TDIBImageLink* link)
{
    std::erase(m_links, link);
}

TDIBImagesItem& TCustomDIBImageList::FindOrAddTemplateItem(const std::string& templateGuid, int number)
{
    const std::string name = std::to_string(number) + ":" + templateGuid;
    for (int i = 0; i < m_images.Count(); ++i)
        if (m_images.Items(i)->TemplateName() == name)
            return *m_images.Items(i);
    TDIBImagesItem& item = m_images.Add();
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

void TCustomDIBImageList::NotifyInserted(int index)
{
    for (TDIBImageLink* link : m_links)
        link->Inserted(index);
}
