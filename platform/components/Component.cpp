#include "platform/components/Classes.h"

#include "platform/text/Text.h"

#include <algorithm>

namespace platform {

const ClassInfo& TComponent::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
                                      .String("Name", &TComponent::Name, &TComponent::SetName, std::nullopt)
                                      .Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0)
                                      .Build();
    return info;
}

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    BeforeDestruction();
}

void TComponent::Free(TComponent* component)
{
    if (!component)
        return;
    component->BeforeDestruction();
    delete component;
}

void TComponent::BeforeDestruction()
{
    if (m_destructionDone)
        return;
    m_destructionDone = true;
    m_state |= csDestroying;
    Destroying();
    // Whoever asked to hear of our end forgets us before anything of ours goes.
    while (!m_freeNotifies.empty()) {
        TComponent* other = m_freeNotifies.back();
        m_freeNotifies.pop_back();
        std::erase(other->m_freeNotifies, this);
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (m_owner)
        m_owner->RemoveComponent(this);
}

static bool IsValidIdent(const std::string& name)
{
    if (name.empty())
        return true;
    auto isAlpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!isAlpha(name[0]))
        return false;
    return std::all_of(name.begin(), name.end(), [&](char c) { return isAlpha(c) || (c >= '0' && c <= '9'); });
}

void TComponent::SetName(const std::string& name)
{
    if (name == m_name)
        return;
    if (!IsValidIdent(name))
        throw EComponentError("'" + name + "' is not a valid component name");
    if (m_owner && !name.empty()) {
        TComponent* other = m_owner->FindComponent(name);
        if (other && other != this)
            throw EComponentError("A component named " + name + " already exists");
    }
    m_name = name;
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        return nullptr;
    return m_components[index];
}

int TComponent::ComponentIndex() const
{
    if (!m_owner)
        return -1;
    auto it = std::find(m_owner->m_components.begin(), m_owner->m_components.end(), this);
    return it == m_owner->m_components.end() ? -1 : static_cast<int>(it - m_owner->m_components.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : m_components) {
        if (EqualsNoCase(c->m_name, name))
            return c;
    }
    return nullptr;
}

void TComponent::Insert(TComponent* component)
{
    m_components.push_back(component);
    component->m_owner = this;
}

void TComponent::Remove(TComponent* component)
{
    std::erase(m_components, component);
    component->m_owner = nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->m_owner == this)
        return;
    if (!component->m_name.empty() && FindComponent(component->m_name))
        throw EComponentError("A component named " + component->m_name + " already exists");
    if (component->m_owner)
        component->m_owner->RemoveComponent(component);
    Insert(component);
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->m_owner != this)
        return;
    Notification(component, TOperation::opRemove);
    Remove(component);
}

void TComponent::DestroyComponents()
{
    // Last first, as they were created; a component may take others with it.
    while (!m_components.empty()) {
        TComponent* last = m_components.back();
        RemoveComponent(last);
        Free(last);
    }
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), component) == m_freeNotifies.end())
        m_freeNotifies.push_back(component);
    if (std::find(component->m_freeNotifies.begin(), component->m_freeNotifies.end(), this) == component->m_freeNotifies.end())
        component->m_freeNotifies.push_back(this);
    m_state |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component)
        return;
    std::erase(m_freeNotifies, component);
    std::erase(component->m_freeNotifies, this);
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == TOperation::opRemove && component)
        RemoveFreeNotification(component);
    // A copy: a handler may insert or remove components.
    std::vector<TComponent*> owned = m_components;
    for (TComponent* c : owned) {
        if (c != component && std::find(m_components.begin(), m_components.end(), c) != m_components.end())
            c->Notification(component, operation);
    }
}

void TComponent::Loaded()
{
    m_state &= static_cast<TComponentState>(~(csLoading | csReading));
}

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) const {}

void TComponent::SetEventBinding(const std::string& property, const std::string& handler)
{
    std::string key = UpperCase(property);
    if (handler.empty())
        m_eventBindings.erase(key);
    else
        m_eventBindings[key] = handler;
}

std::string TComponent::EventBinding(std::string_view property) const
{
    auto it = m_eventBindings.find(UpperCase(property));
    return it == m_eventBindings.end() ? std::string() : it->second;
}

}
