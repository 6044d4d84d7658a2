#pragma once

// Stored forms in the object/property/end text syntax:
//
//     object Form1: TForm1
//       Caption = 'Torva CD v2'#13'x'     strings: quoted runs ('' is a quote) and #nnn codes
//       Font.Height = -11                 dotted names reach object properties
//       Anchors = [akLeft, akTop]         sets
//       OnCreate = FormCreate             events bind to the root's published methods
//       DIBImageList = DIBImageList1      references resolve once everything is read
//       Picture.Data = {0A1B...}          binary values of DefineProperties
//       DIBImages = <                     collections
//         item
//           DisplayName = 'big'
//         end>
//       object Label1: TLabel             owned by the root, parented by the enclosing object
//         ...
//       end
//     end
//
// #0..#255 are code page 1250 bytes; #256 and above are Unicode code points, stored as their
// code page 1250 byte. A refused layout's problem names the source and the line as its file:
// "main_f.lay:12: unknown class TFoo".

#include "platform/components/Classes.h"
#include "platform/types/Result.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The parsed text, before any component exists.
struct LayoutProperty {
    std::string path;
    PropertyValue value;
    int line = 0;
};

struct LayoutObject {
    std::string name;
    std::string className;
    bool inherited = false;
    int line = 0;
    std::vector<LayoutProperty> properties;
    std::vector<std::unique_ptr<LayoutObject>> children;
};

// Syntax only; refuses text that breaks it.
Result<std::unique_ptr<LayoutObject>> ParseLayout(std::string_view text, const std::string& sourceName);

// Reads the layout into `root`: its own properties, then every nested object created (by
// registered class name) with root as owner and the enclosing object as parent. References
// are resolved at the end, then Loaded runs for the root and every created component.
// Refuses unknown classes, properties, handlers and references, bad values, broken syntax and
// a root object whose class is not root's; what was read before the refusal stays in root.
Result<void> ReadLayout(TComponent& root, std::string_view text, const std::string& sourceName);

// The same syntax back: every published property that differs from its default, defined
// properties that have data, then the children.
std::string WriteLayout(const TComponent& root);

// One value in the layout syntax, as the writer spells it.
std::string FormatLayoutValue(const PropertyValue& value, int indent);

}
