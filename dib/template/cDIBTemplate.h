#pragma once

// Control templates: a DIB control saved to a stream with the pictures it shows, and loaded
// into another control (of any container and image list). The stream holds a fresh GUID, the
// pictures, which published link property shows which of them, and the values of the
// control's template properties:
//
//     GUID (16 bytes), image count, link count             (unsigned 32-bit little-endian)
//     images:  per image a length-prefixed TDIBWrapper in the layout syntax (its DIB)
//     links:   property name, picture display name (both length-prefixed), image number
//     properties: count; per property its name (length-prefixed), the value's size, the value:
//              4 bytes for ordinals (integers, Booleans, enumerations, sets, colours), a
//              length-prefixed string, a 10-byte extended float, or a length-prefixed
//              TPersistentWrapper in the layout syntax for an object
//
// Loaded pictures land in the image list items named "number:GUID", made when missing, so
// loading one template twice reuses its items.

#include "dib/stream/DIBStream.h"
#include "dib/control/cDIBControl.h"
#include "platform/components/Classes.h"

#include <string>

// Carries one surface through the layout syntax as its DIB property.
class TDIBWrapper : public platform::TComponent {
    TORVA_CLASS(TDIBWrapper)
public:
    explicit TDIBWrapper(platform::TComponent* owner = nullptr);
    TMemoryDIB& DIB() { return m_dib; }

private:
    TMemoryDIB m_dib;
};

// Carries another object's published properties through the layout syntax as Persistent.
class TPersistentWrapper : public platform::TComponent {
    TORVA_CLASS(TPersistentWrapper)
public:
    explicit TPersistentWrapper(platform::TPersistent* target = nullptr);
    platform::TPersistent* Persistent() const { return m_target; }

private:
    platform::TPersistent* m_target;
};

// Raises EDIBControlError unless `name` is a published property of `info` of a type a
// template can carry.
void CheckTemplateProperty(const platform::ClassInfo& info, const std::string& name);

// Raises EDIBControlError "Could not create a GUID for your new template." when no GUID can be
// made; the current compressor is off while the pictures are written.
void SaveDIBControlTemplate(TCustomDIBControl& control, TDIBStream& stream);

// Raises EDIBControlError "No DIB image list has been assigned." for pictures without a list,
// for a stream that contradicts itself, and with the layout reader's message for a picture or
// an object whose layout it refuses; a stream that ends early raises the stream's read error. Nothing of the control or its list changes unless the whole template is sound.
void LoadDIBControlTemplate(TCustomDIBControl& control, TDIBStream& stream);
