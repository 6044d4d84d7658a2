#pragma once

// Image lists: named, ordered collections of surfaces that controls refer to by index through
// links. A link follows its picture when items before it are inserted or deleted, hears when
// its own picture changes or goes away, and is told nothing about other items.
//
// All controls of one list draw through the list's one shared view surface: GetImage re-points
// it at the wanted item and hands it out, and the caller may then set AutoSize, Angle and the
// scales on the view without touching the item. The view is only valid until the next
// GetImage of the same list or a change of the item's size.

#include "dib/cDIB.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCustomDIBImageList;
class TDIBImages;
class TDIBImageLink;

// What a link hears; the numbers are those a change callback receives.
enum TDIBLinkChange : int { lcDeleted = 0, lcChanged = 1 };

class TDIBImagesItem {
public:
    explicit TDIBImagesItem(TDIBImages& collection);
    ~TDIBImagesItem();
    TDIBImagesItem(const TDIBImagesItem&) = delete;
    TDIBImagesItem& operator=(const TDIBImagesItem&) = delete;

    TDIBImages& Collection() const { return m_collection; }
    int Index() const;

    TMemoryDIB& DIB() const { return *m_dib; }
    // Copies the given surface (size, pixels, properties) into the item's own.
    void SetDIB(const TAbstractSuperDIB& source);
    const std::string& DisplayName() const { return m_displayName; }
    void SetDisplayName(const std::string& name);
    // "number:GUID" for items made from a control template; empty otherwise.
    const std::string& TemplateName() const { return m_templateName; }
    void SetTemplateName(const std::string& name) { m_templateName = name; }

private:
    TDIBImages& m_collection;
    std::unique_ptr<TMemoryDIB> m_dib;
    std::string m_displayName = "TDIBImagesItem";
    std::string m_templateName;
};

class TDIBImages {
public:
    explicit TDIBImages(TCustomDIBImageList& owner);
    ~TDIBImages();
    TDIBImages(const TDIBImages&) = delete;
    TDIBImages& operator=(const TDIBImages&) = delete;

    TCustomDIBImageList& Owner() const { return m_owner; }
    int Count() const { return static_cast<int>(m_items.size()); }
    // nullptr outside 0..Count-1.
    TDIBImagesItem* Items(int index) const;
    int IndexOf(const TDIBImagesItem* item) const;
    TDIBImagesItem& Add();
    // A new item at `index` (0..Count); links to that index and beyond move up with it.
    TDIBImagesItem& Insert(int index);
    // Frees the item and its surface; links hear (index, deleted). Outside the range: nothing.
    void Delete(int index);
    void Clear();

private:
    friend class TCustomDIBImageList;
    TCustomDIBImageList& m_owner;
    std::vector<std::unique_ptr<TDIBImagesItem>> m_items;
};

using TDIBImageLinkChangeEvent = std::function<void(TDIBImageLink* link, int index, TDIBLinkChange change)>;

class TDIBImageLink {
public:
    // ownerDestroying tells whether the control or shaper holding the link is going away;
    // while it is, the link passes nothing on.
    explicit TDIBImageLink(std::function<bool()> ownerDestroying = {});
    ~TDIBImageLink();
    TDIBImageLink(const TDIBImageLink&) = delete;
    TDIBImageLink& operator=(const TDIBImageLink&) = delete;

    TCustomDIBImageList* DIBImageList() const { return m_list; }
    void SetDIBImageList(TCustomDIBImageList* list);
    int DIBIndex() const { return m_index; }
    void SetDIBIndex(int index);
    // Copies the index, then the list.
    void Assign(const TDIBImageLink& source);

    // The list's shared view on the linked picture, or nullptr.
    TAbstractSuperDIB* GetImage() const;
    bool ValidIndex() const;

    TDIBImageLinkChangeEvent OnChange;

    // A notice from the list about item `index`.
    void Change(int index, TDIBLinkChange change);

private:
    friend class TCustomDIBImageList;
    void Inserted(int index);

    TCustomDIBImageList* m_list = nullptr;
    int m_index = -1;
    std::function<bool()> m_ownerDestroying;
};

class TCustomDIBImageList {
public:
    TCustomDIBImageList();
    virtual ~TCustomDIBImageList();
    TCustomDIBImageList(const TCustomDIBImageList&) = delete;
    TCustomDIBImageList& operator=(const TCustomDIBImageList&) = delete;

    TDIBImages& DIBImages() { return m_images; }
    const TDIBImages& DIBImages() const { return m_images; }

    // The shared view re-pointed at item `index`, or nullptr when there is no such item or it
    // has no pixels.
    TAbstractSuperDIB* GetImage(int index);
    bool ValidIndex(int index) const { return index >= 0 && index < m_images.Count(); }

    // Adds the link once and tells it (i, changed) for every item i.
    void RegisterLink(TDIBImageLink* link);
    void UnregisterLink(TDIBImageLink* link);
    int LinkCount() const { return static_cast<int>(m_links.size()); }

    // The first item whose template name is "number:GUID", else a new item with that name.
    TDIBImagesItem& FindOrAddTemplateItem(const std::string& templateGuid, int number);

    // Surface used by drawing code that needs a second picture besides the shared view.
    TMemoryDIB& ScratchDIB() { return *m_scratch; }

private:
    friend class TDIBImages;
    friend class TDIBImagesItem;
    void NotifyLinks(int index, TDIBLinkChange change);
    void NotifyInserted(int index);

    bool m_destroying = false;
    std::vector<TDIBImageLink*> m_links;
    std::unique_ptr<TMemoryDIB> m_view;
    std::unique_ptr<TMemoryDIB> m_scratch;
    TDIBImages m_images; // last: its items go first
};

class TDIBImageList : public TCustomDIBImageList {
public:
    using TCustomDIBImageList::TCustomDIBImageList;
};
