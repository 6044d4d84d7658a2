#pragma once

// Image lists: named, ordered collections of surfaces that controls refer to by index through
// links. A link follows its picture when items before it are deleted, hears when its own
// picture changes or goes away, and is told nothing about other items.
//
// All controls of one list draw through the list's one shared view surface: GetImage re-points
// it at the wanted item and hands it out, and the caller may then set AutoSize, Angle and the
// scales on the view without touching the item. The view is only valid until the next
// GetImage of the same list or a change of the item's size.

#include "dib/surface/cDIB.h"
#include "platform/components/Classes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCustomDIBImageList;
class TDIBImages;
class TDIBImageLink;

// What a link hears; the numbers are those a change callback receives.
enum TDIBLinkChange : int { lcDeleted = 0,
    lcChanged = 1 };

class TDIBImagesItem : public platform::TCollectionItem {
    TORVA_CLASS(TDIBImagesItem)
public:
    explicit TDIBImagesItem(platform::TCollection* collection);
    ~TDIBImagesItem() override;

    TMemoryDIB& DIB() const { return *m_dib; }
    // Copies the given surface (size, pixels, properties) into the item's own.
    void SetDIB(const TAbstractSuperDIB& source);
    std::string DisplayName() const override { return m_displayName; }
    void SetDisplayName(const std::string& name);
    // "number:GUID" for items made from a control template; empty otherwise. Stored as
    // "TemplateFilename" only when set.
    const std::string& TemplateName() const { return m_templateName; }
    void SetTemplateName(const std::string& name) { m_templateName = name; }

    void DefineProperties(platform::TFiler& filer) override;

private:
    void SurfaceChanged();

    std::unique_ptr<TMemoryDIB> m_dib;
    std::string m_displayName = "TDIBImagesItem";
    std::string m_templateName;
};

class TDIBImages : public platform::TItemCollection<TDIBImagesItem> {
    TORVA_CLASS(TDIBImages)
public:
    explicit TDIBImages(TCustomDIBImageList& owner);

    TCustomDIBImageList& List() const { return m_list; }

protected:
    // A deletion reaches the links once the item and its surface are gone.
    void Notify(platform::TCollectionItem* item, platform::TCollectionNotification action) override;
    void Update(platform::TCollectionItem* item) override;

private:
    TCustomDIBImageList& m_list;
    std::vector<int> m_deleted;
};

using TDIBImageLinkChangeEvent = std::function<void(TDIBImageLink* link, int index, TDIBLinkChange change)>;

class TDIBImageLink : public platform::TPersistent {
    TORVA_CLASS(TDIBImageLink)
public:
    // owner: the control or shaper holding the link; while it is being destroyed the link
    // passes nothing on.
    explicit TDIBImageLink(platform::TComponent* owner = nullptr);
    ~TDIBImageLink() override;
    TDIBImageLink(const TDIBImageLink&) = delete;
    TDIBImageLink& operator=(const TDIBImageLink&) = delete;

    platform::TComponent* Owner() const { return m_owner; }
    TCustomDIBImageList* DIBImageList() const { return m_list; }
    void SetDIBImageList(TCustomDIBImageList* list);
    int DIBIndex() const { return m_index; }
    void SetDIBIndex(int index);
    // Copies the index, then the list.
    void Assign(const platform::TPersistent& source) override;

    // The list's shared view on the linked picture, or nullptr.
    TAbstractSuperDIB* GetImage() const;
    bool ValidIndex() const;

    TDIBImageLinkChangeEvent OnChange;

    // A notice from the list about item `index`.
    void Change(int index, TDIBLinkChange change);

private:
    friend class TCustomDIBImageList;

    platform::TComponent* m_owner;
    TCustomDIBImageList* m_list = nullptr;
    int m_index = -1;
};

class TCustomDIBImageList : public platform::TComponent {
    TORVA_CLASS(TCustomDIBImageList)
public:
    explicit TCustomDIBImageList(platform::TComponent* owner = nullptr);
    ~TCustomDIBImageList() override;

    TDIBImages& DIBImages() { return *m_images; }
    const TDIBImages& DIBImages() const { return *m_images; }

    // The shared view re-pointed at item `index`, or nullptr when there is no such item or it
    // has no pixels.
    TAbstractSuperDIB* GetImage(int index);
    bool ValidIndex(int index) const { return index >= 0 && index < m_images->Count(); }

    // Adds the link once and tells it (i, changed) for every item i.
    void RegisterLink(TDIBImageLink* link);
    void UnregisterLink(TDIBImageLink* link);
    int LinkCount() const { return static_cast<int>(m_links.size()); }

    // The first item whose template name is "number:GUID", else a new item with that name.
    TDIBImagesItem& FindOrAddTemplateItem(const std::string& templateGuid, int number);

    // Surface used by drawing code that needs a second picture besides the shared view.
    TMemoryDIB& ScratchDIB() { return *m_scratch; }

    // Sends (index, change) to every registered link.
    void NotifyLinks(int index, TDIBLinkChange change);

private:
    bool m_destroying = false;
    std::vector<TDIBImageLink*> m_links;
    std::unique_ptr<TMemoryDIB> m_view;
    std::unique_ptr<TMemoryDIB> m_scratch;
    std::unique_ptr<TDIBImages> m_images;
};

class TDIBImageList : public TCustomDIBImageList {
    TORVA_CLASS(TDIBImageList)
public:
    explicit TDIBImageList(platform::TComponent* owner = nullptr)
        : TCustomDIBImageList(owner)
    {
    }
};
