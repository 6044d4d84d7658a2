#include "platform/components/ComCtrls.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/layout/LayoutReader.h"
#include "tests/support/Accepted.h"
#include "tests/support/ExpectEach.h"
#include "tests/support/FormRig.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform;
using torva::test::Accepted;
using torva::test::ExpectEach;

namespace {

// A form class as a program would write one: handlers and fields published by name.
class TTestForm : public TForm {
    TORVA_CLASS(TTestForm)
public:
    explicit TTestForm(TComponent* owner)
        : TForm(owner)
    {
        Methods().Add<void(TObject*)>("LabelClick", [this](TObject*) { ++clicks; });
        Methods().Add<void(TObject*)>("FormCreate", [this](TObject*) { created = true; });
        Methods().Add<void(TObject*, TMouseButton, TShiftState, int, int)>("ImageMouseDown", [](TObject*, TMouseButton, TShiftState, int, int) {});
        Methods().AddField("Label1", &Label1);
        Methods().AddField("Timer1", &Timer1);
    }
    TLabel* Label1 = nullptr;
    TTimer* Timer1 = nullptr;
    int clicks = 0;
    bool created = false;
};

const ClassInfo& TTestForm::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TTestForm>("TTestForm", &TForm::StaticClass()).Build();
    return info;
}

// A component with a defined binary property and a reference, as the DIB library has.
class TBlob : public TComponent {
    TORVA_CLASS(TBlob)
public:
    using TComponent::TComponent;
    std::vector<uint8_t> data;
    TComponent* link = nullptr;
    TComponent* Link() const { return link; }
    void SetLink(TComponent* c) { link = c; }
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineBinaryProperty(
            "Data", [this](const std::vector<uint8_t>& d) { data = d; }, [this] { return data; }, !data.empty());
    }
};

const ClassInfo& TBlob::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TBlob>("TBlob", &TComponent::StaticClass())
                                      .Creatable()
                                      .Component<TComponent>("Link", &TBlob::Link, &TBlob::SetLink)
                                      .Build();
    return info;
}
ClassRegistration blobRegistration(TBlob::StaticClass());

const char* const SampleLayout = R"(object Form1: TTestForm
  Left = 1
  Top = 0
  BorderStyle = bsNone
  Caption = 'Torva'#13#10'CD '#269'e'#154'tina'
  ClientHeight = 74
  ClientWidth = 81
  Color = clBlack
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  KeyPreview = True
  OnCreate = FormCreate
  object Label1: TLabel
    Left = 14
    Top = 20
    Width = 11
    Height = 3
    AutoSize = False
    Caption = 'It''s ' +
      'long'
    Font.Style = [fsBold]
    Transparent = True
    OnClick = LabelClick
  end
  object Panel1: TPanel
    Left = 8
    Top = 40
    Width = 30
    Height = 20
    object Image1: TImage
      Left = 1
      Top = 2
      Width = 3
      Height = 4
      OnMouseDown = ImageMouseDown
    end
  end
  object Timer1: TTimer
    Interval = 50
    OnTimer = LabelClick
  end
  object Blob1: TBlob
    Link = Timer1
    Data = {
      00FF10ab}
  end
end
)";

struct LayoutFixture : ::testing::Test, torva::test::FormRig<TTestForm> {

    std::string ErrorOf(const std::string& text)
    {
        ComponentPtr<TTestForm> other(new TTestForm(nullptr));
        Result<void> read = ReadLayout(*other, text, "t.lay");
        return read ? "no error" : read.Error().Message();
    }
};

using Layout = LayoutFixture;

TEST_F(Layout, ReadsPropertiesObjectsEventsFieldsAndReferences)
{
    ASSERT_TRUE(Accepted(ReadLayout(*form, SampleLayout, "sample.lay")));
    EXPECT_EQ(form->Name(), "Form1");
    EXPECT_EQ(form->Caption(), "Torva\r\nCD \xE8"
                               "e\x9Atina");
    EXPECT_EQ(form->ClientWidth(), 81);
    EXPECT_EQ(form->BorderStyle(), TFormBorderStyle::bsNone);
    EXPECT_EQ(form->Font().Charset(), 238);
    EXPECT_TRUE(form->KeyPreview());
    ASSERT_NE(form->Label1, nullptr);
    EXPECT_EQ(form->Label1->Caption(), "It's long");
    EXPECT_EQ(form->Label1->Width(), 11);
    EXPECT_EQ(form->Label1->Font().Style(), fsBold);
    EXPECT_EQ(form->Label1->Parent(), form.get());
    auto* image = dynamic_cast<TImage*>(form->FindComponent("Image1"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Parent(), form->FindComponent("Panel1"));
    EXPECT_EQ(image->Owner(), form.get());
    EXPECT_TRUE(image->OnMouseDown);
    auto* blob = dynamic_cast<TBlob*>(form->FindComponent("Blob1"));
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(blob->link, form->Timer1);
    EXPECT_EQ(blob->data, (std::vector<uint8_t> { 0x00, 0xFF, 0x10, 0xAB }));
    EXPECT_FALSE(form->created); // OnCreate is the form class's to fire
    form->DoCreate();
    EXPECT_TRUE(form->created);
    // The timer was started once loading finished, bound to the form's method.
    loop.Advance(100);
    EXPECT_EQ(form->clicks, 2);
    form->Label1->Click();
    EXPECT_EQ(form->clicks, 3);
}

TEST_F(Layout, WriterRoundTripsThroughTheReader)
{
    ASSERT_TRUE(Accepted(ReadLayout(*form, SampleLayout, "sample.lay")));
    std::string written = WriteLayout(*form);
    ComponentPtr<TTestForm> copy(new TTestForm(nullptr));
    ASSERT_TRUE(Accepted(ReadLayout(*copy, written, "written.lay")));
    EXPECT_EQ(WriteLayout(*copy), written);
    EXPECT_EQ(copy->Caption(), form->Caption());
    EXPECT_EQ(copy->Label1->Caption(), "It's long");
    EXPECT_EQ(dynamic_cast<TBlob*>(copy->FindComponent("Blob1"))->data, (std::vector<uint8_t> { 0x00, 0xFF, 0x10, 0xAB }));
    // Defaults are left out, bound events and references are written by name.
    EXPECT_EQ(written.find("Visible"), std::string::npos);
    EXPECT_EQ(written.find("Font.Name"), std::string::npos);
    form->Font().SetName("Tahoma");
    EXPECT_NE(WriteLayout(*form).find("  Font.Name = 'Tahoma'\n"), std::string::npos);
    EXPECT_NE(written.find("OnClick = LabelClick"), std::string::npos);
    EXPECT_NE(written.find("Link = Timer1"), std::string::npos);
    EXPECT_NE(written.find("Caption = 'Torva'#13#10'CD '#232'e'#154'tina'"), std::string::npos);
}

TEST_F(Layout, ErrorsNameTheSourceTheLineAndWhatIsWrong)
{
    ExpectEach([this](const char* text) { return ErrorOf(text); }, {
                                                                       { "object F: TTestForm\n  object X: TNoSuchClass\n  end\nend", "t.lay:2: unknown class TNoSuchClass" },
                                                                       { "object F: TTestForm\n  Left = 1\n  Colour = clRed\nend", "t.lay:3: unknown property Colour of TTestForm" },
                                                                       { "object F: TTestForm\n  Font.Sise = 3\nend", "t.lay:2: unknown property Font.Sise of TTestForm" },
                                                                       { "object F: TTestForm\n\n  Left = 'x'\nend", "t.lay:3: bad value for Left: Invalid property value: expected an integer, found a string" },
                                                                       { "object F: TTestForm\n  BorderStyle = bsRound\nend", "t.lay:2: bad value for BorderStyle: Invalid property value: bsRound is not a TFormBorderStyle" },
                                                                       { "object F: TTestForm\n  OnCreate = Missing\nend", "t.lay:2: unknown handler Missing for OnCreate (no method of that name and kind in TTestForm)" },
                                                                       { "object F: TTestForm\n  OnCreate = ImageMouseDown\nend", "t.lay:2: unknown handler ImageMouseDown for OnCreate (no method of that name and kind in TTestForm)" },
                                                                       { "object F: TTestForm\n  object B: TBlob\n    Link = Nobody\n  end\nend", "t.lay:3: unknown component Nobody for Link" },
                                                                       { "object F: TTestForm\n  object Label1: TTimer\n  end\nend", "t.lay:2: the field Label1 of TTestForm is not a TTimer" },
                                                                       { "object F: TTestForm\n  object A: TTimer\n  end\n  object A: TTimer\n  end\nend", "t.lay:4: A component named A already exists" },
                                                                       { "object F: TLabel\nend", "t.lay:1: the layout is for a TLabel, not a TTestForm" },
                                                                       { "object F: TTestForm\n  Caption = 'open\nend", "t.lay:2: string not closed before the end of the line" },
                                                                       { "object F: TTestForm\n  object B: TBlob\n    Data = {0A1}\n  end\nend", "t.lay:3: binary data has an odd number of digits" },
                                                                       { "object F: TTestForm\n  object B: TBlob\n    Data = {0AZZ}\n  end\nend", "t.lay:3: binary data holds a character that is not hexadecimal" },
                                                                       { "object F: TTestForm\n  Left = 1\n", "t.lay:3: object F not closed with end" },
                                                                       { "object F: TTestForm\nend\nend", "t.lay:3: text after the final end" },
                                                                       { "object F: TTestForm\n  Caption = #999999\nend", "t.lay:2: character #999999 has no code page 1250 byte" },
                                                                       { "object F: TTestForm\n  Left = 99999999999999999999\nend", "t.lay:2: number out of range" },
                                                                       { "object F: TTestForm\n  Left = 4294967296\nend", "t.lay:2: bad value for Left: Invalid property value: 4294967296 is outside -2147483648..2147483647" },
                                                                       { "object F: TTestForm\n  Font = 3\nend", "t.lay:2: bad value for Font: expected properties of its own (Font.Name = ...)" },
                                                                       { "object F: TTestForm\n  Left =\nend", "t.lay:3: expected a value, found 'end'" },
                                                                   });
}

TEST_F(Layout, NestingIsLimited)
{
    std::string text = "object F: TTestForm\n";
    for (int i = 0; i < 100; ++i)
        text += "object P" + std::to_string(i) + ": TPanel\n";
    EXPECT_NE(ErrorOf(text).find("nested too deeply"), std::string::npos);
    std::string values = "object F: TTestForm\n  X = " + std::string(200, '(') + "\nend";
    EXPECT_NE(ErrorOf(values).find("nested too deeply"), std::string::npos);
}

TEST(LayoutParser, ValuesOfEveryKind)
{
    auto root = ParseLayout("object A: T\n  I = -12\n  H = $FFFFFFFF\n  F = 100.5\n  E = 1e3\n  S = #65'b'#$43\n"
                            "  N = Form2.Thing\n  Z = []\n  Q = [a, b]\n  L = ('x' 1 (2))\n"
                            "  C = <\n    item\n      P = 1\n    end\n    item\n    end>\nend",
        "p")
                    .Value();
    const auto& p = root->properties;
    ASSERT_EQ(p.size(), 10u);
    EXPECT_EQ(p[0].value, PropertyValue::Int(-12));
    EXPECT_EQ(p[1].value, PropertyValue::Int(-1));
    EXPECT_EQ(p[2].value, PropertyValue::Float(100.5));
    EXPECT_EQ(p[3].value, PropertyValue::Float(1000));
    EXPECT_EQ(p[4].value, PropertyValue::Str("AbC"));
    EXPECT_EQ(p[5].value, PropertyValue::Ident("Form2.Thing"));
    EXPECT_EQ(p[6].value, PropertyValue::SetOf({}));
    EXPECT_EQ(p[7].value, PropertyValue::SetOf({ "a", "b" }));
    EXPECT_EQ(p[8].value.list.size(), 3u);
    EXPECT_EQ(p[9].value.items.size(), 2u);
    EXPECT_EQ(p[9].value.items[0].lines, std::vector<int> { 13 });
}

TEST(LayoutWriter, LongStringsAndBinaryAreSplitAndReadBack)
{
    std::string text(150, 'x');
    text[70] = '\x9E';
    std::vector<uint8_t> bytes(100);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
    std::string layout = "object A: T\n  S = " + FormatLayoutValue(PropertyValue::Str(text), 1) + "\n  B = "
        + FormatLayoutValue(PropertyValue::Bytes(bytes), 1) + "\nend\n";
    auto root = ParseLayout(layout, "w").Value();
    EXPECT_EQ(root->properties[0].value, PropertyValue::Str(text));
    EXPECT_EQ(root->properties[1].value, PropertyValue::Bytes(bytes));
    EXPECT_NE(layout.find("' +\n"), std::string::npos);
}

}
