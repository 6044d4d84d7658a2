#include "dib/stream/cDIBCompressor.h"
#include "dib/control/cDIBPanel.h"
#include "dib/template/cDIBTemplate.h"
#include "platform/components/Forms.h"
#include "tests/support/FormRig.h"
#include "tests/support/MessageOf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace platform;
using torva::test::MessageOf;

namespace {

enum TProbeMode : uint8_t { pmIdle,
    pmRun,
    pmFly };
const EnumInfo& ProbeModeInfo()
{
    static const EnumInfo info { "TProbeMode", { { "pmIdle", pmIdle }, { "pmRun", pmRun }, { "pmFly", pmFly } } };
    return info;
}

class TProbeStyle : public TPersistent {
    TORVA_CLASS(TProbeStyle)
public:
    int weight = 400;
    std::string face = "Tahoma";
};

const ClassInfo& TProbeStyle::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TProbeStyle>("TProbeStyle", &TPersistent::StaticClass())
                                      .Integer(
                                          "Weight", [](const TProbeStyle& s) { return s.weight; }, [](TProbeStyle& s, int v) { s.weight = v; })
                                      .String(
                                          "Face", [](const TProbeStyle& s) { return s.face; }, [](TProbeStyle& s, const std::string& v) { s.face = v; })
                                      .Build();
    return info;
}

// A control with two published picture links and one of every templatable kind.
class TTemplateProbe : public TCustomDIBControl {
    TORVA_CLASS(TTemplateProbe)
public:
    explicit TTemplateProbe(TComponent* owner)
        : TCustomDIBControl(owner)
        , imageA(AddImageLink())
        , imageB(AddImageLink())
        , hidden(AddImageLink())
    {
        for (const char* name : { "Speed", "Active", "Mode", "Ratio", "Label", "Anchors", "Style" })
            AddTemplateProperty(name);
    }
    TDIBImageLink& imageA;
    TDIBImageLink& imageB;
    TDIBImageLink& hidden; // not published: never part of a template
    int speed = 0;
    bool active = false;
    TProbeMode mode = pmIdle;
    double ratio = 1;
    std::string label;
    TProbeStyle style;
    TComponent* buddy = nullptr;
    int loadedCalls = 0;

    void Loaded() override
    {
        TCustomDIBControl::Loaded();
        ++loadedCalls;
    }
};

const ClassInfo& TTemplateProbe::StaticClass()
{
    using P = TTemplateProbe;
    static const ClassInfo info = ClassBuilder<P>("TTemplateProbe", &TCustomDIBControl::StaticClass())
                                      .Object("ImageA", [](P& p) -> TPersistent& { return p.imageA; })
                                      .Object("ImageB", [](P& p) -> TPersistent& { return p.imageB; })
                                      .Integer(
                                          "Speed", [](const P& p) { return p.speed; }, [](P& p, int v) { p.speed = v; })
                                      .Boolean(
                                          "Active", [](const P& p) { return p.active; }, [](P& p, bool v) { p.active = v; })
                                      .Enum(
                                          "Mode", ProbeModeInfo(), [](const P& p) { return p.mode; }, [](P& p, TProbeMode v) { p.mode = v; })
                                      .Float(
                                          "Ratio", [](const P& p) { return p.ratio; }, [](P& p, double v) { p.ratio = v; })
                                      .String(
                                          "Label", [](const P& p) { return p.label; }, [](P& p, const std::string& v) { p.label = v; })
                                      .Object("Style", [](P& p) -> TPersistent& { return p.style; })
                                      .Component<TComponent>(
                                          "Buddy", [](const P& p) { return p.buddy; }, [](P& p, TComponent* c) { p.buddy = c; })
                                      .Build();
    return info;
}

struct Side {
    explicit Side(TComponent* form)
        : list(new TDIBImageList(form))
        , container(new TDIBContainer(form))
    {
        container->SetParent(static_cast<TWinControl*>(form));
        container->SetBounds(0, 0, 100, 100);
        control = new TTemplateProbe(container);
        control->SetDIBImageList(list);
    }
    TDIBImageList* list;
    TDIBContainer* container;
    TTemplateProbe* control;
};

int AddPicture(TDIBImageList& list, int width, int height, uint32_t seed, const std::string& name)
{
    TDIBImagesItem& item = list.DIBImages().Add();
    TMemoryDIB picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.SetPixel(x, y, seed * 977 + uint32_t(x * 31 + y * 7));
    picture.SetOpacity(150);
    picture.SetMasked(true);
    item.SetDIB(picture);
    item.SetDisplayName(name);
    return item.Index();
}

bool SamePixels(const TAbstractSuperDIB& a, const TAbstractSuperDIB& b)
{
    return a.Width() == b.Width() && a.Height() == b.Height()
        && std::memcmp(a.Bits(), b.Bits(), size_t(a.Width()) * a.Height() * 4) == 0;
}

struct TemplateFixture : ::testing::Test, torva::test::FormRig<> {
    Side source { form.get() };
    Side target { form.get() };

    TemplateFixture()
    {
        AddPicture(*source.list, 3, 2, 1, "first");
        const int shared = AddPicture(*source.list, 5, 4, 2, "shared");
        source.control->imageA.SetDIBIndex(shared);
        source.control->imageB.SetDIBIndex(shared);
        source.control->hidden.SetDIBIndex(0);
        source.control->SetBounds(5, 6, 40, 30);
        source.control->speed = -42;
        source.control->active = true;
        source.control->mode = pmFly;
        source.control->ratio = 2.5;
        source.control->label = "Hra \x9A\xE8";
        source.control->style.weight = 700;
        source.control->style.face = "Verdana";
        source.control->SetAnchors(akLeft | akBottom);
    }
    std::vector<uint8_t> Saved()
    {
        TDIBMemoryStream stream;
        SaveDIBControlTemplate(*source.control, stream);
        return stream.TakeBytes();
    }
    void Load(const std::vector<uint8_t>& bytes)
    {
        TDIBMemoryStream stream(bytes);
        LoadDIBControlTemplate(*target.control, stream);
    }
};

using Template = TemplateFixture;

TEST_F(Template, RoundTripCarriesPicturesLinksAndProperties)
{
    Load(Saved());
    TTemplateProbe& c = *target.control;
    ASSERT_EQ(target.list->DIBImages().Count(), 1); // the shared picture travels once
    TDIBImagesItem& item = *target.list->DIBImages().Items(0);
    EXPECT_TRUE(SamePixels(item.DIB(), source.list->DIBImages().Items(1)->DIB()));
    EXPECT_EQ(item.DIB().Opacity(), 150);
    EXPECT_TRUE(item.DIB().Masked());
    EXPECT_EQ(item.DisplayName(), "shared");
    EXPECT_EQ(item.TemplateName().substr(0, 3), "0:{");
    EXPECT_EQ(c.imageA.DIBIndex(), 0);
    EXPECT_EQ(c.imageB.DIBIndex(), 0);
    EXPECT_EQ(c.hidden.DIBIndex(), -1);
    EXPECT_EQ(c.Width(), 40);
    EXPECT_EQ(c.Height(), 30);
    EXPECT_EQ(c.Left(), 0); // position is not a template property
    EXPECT_EQ(c.speed, -42);
    EXPECT_TRUE(c.active);
    EXPECT_EQ(c.mode, pmFly);
    EXPECT_EQ(c.ratio, 2.5);
    EXPECT_EQ(c.label, "Hra \x9A\xE8");
    EXPECT_EQ(c.style.weight, 700);
    EXPECT_EQ(c.style.face, "Verdana");
    EXPECT_EQ(c.Anchors(), akLeft | akBottom);
    EXPECT_GE(c.loadedCalls, 1);
}

TEST_F(Template, LoadingTheSameTemplateAgainReusesItsItems)
{
    const auto bytes = Saved();
    Load(bytes);
    Load(bytes);
    EXPECT_EQ(target.list->DIBImages().Count(), 1);
    // A new save is a new template with a GUID of its own.
    Load(Saved());
    EXPECT_EQ(target.list->DIBImages().Count(), 2);
}

TEST_F(Template, FloatsAreTenByteExtendedValues)
{
    const auto bytes = Saved();
    const uint8_t extended[10] = { 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40 }; // 2.5
    const std::string name = "Ratio";
    auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
    ASSERT_NE(at, bytes.end());
    at += static_cast<std::ptrdiff_t>(name.size());
    EXPECT_EQ(std::vector<uint8_t>(at, at + 4), (std::vector<uint8_t> { 10, 0, 0, 0 }));
    EXPECT_TRUE(std::equal(extended, extended + 10, at + 4));
}

TEST_F(Template, PicturesNeedAnImageList)
{
    const auto bytes = Saved();
    target.control->SetDIBImageList(nullptr);
    EXPECT_EQ(MessageOf<EDIBControlError>([&] { Load(bytes); }), "No DIB image list has been assigned.");
    EXPECT_EQ(target.control->speed, 0);
}

TEST_F(Template, TruncatedTemplatesChangeNothing)
{
    const auto bytes = Saved();
    for (size_t length = 0; length < bytes.size(); length += (length < 64 ? 1 : 97)) {
        EXPECT_ANY_THROW(Load(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)))) << length;
        ASSERT_EQ(target.list->DIBImages().Count(), 0) << length;
        ASSERT_EQ(target.control->speed, 0) << length;
    }
}

TEST_F(Template, CountsThatLieAreCaught)
{
    auto bytes = Saved();
    auto withCount = [&](size_t offset, uint32_t value) {
        auto copy = bytes;
        for (int i = 0; i < 4; ++i)
            copy[offset + i] = uint8_t(value >> (8 * i));
        return copy;
    };
    EXPECT_ANY_THROW(Load(withCount(16, 0xFFFFFFFF)));
    EXPECT_ANY_THROW(Load(withCount(16, 2)));
    EXPECT_ANY_THROW(Load(withCount(20, 0x10000)));
    EXPECT_ANY_THROW(Load(withCount(20, 0)));
    EXPECT_EQ(target.list->DIBImages().Count(), 0);
    // A link naming a picture the template does not carry.
    const std::vector<uint8_t> badLink = [] {
        std::vector<uint8_t> b(16, 0);
        for (uint32_t v : { 0u, 1u })
            for (int i = 0; i < 4; ++i)
                b.push_back(uint8_t(v >> (8 * i)));
        for (const std::string s : { "ImageA", "" }) {
            b.insert(b.end(), { uint8_t(s.size()), 0, 0, 0 });
            b.insert(b.end(), s.begin(), s.end());
        }
        b.insert(b.end(), { 3, 0, 0, 0, 0, 0, 0, 0 });
        return b;
    }();
    EXPECT_EQ(MessageOf<EDIBControlError>([&] { Load(badLink); }), "The control template is damaged.");
}

TEST_F(Template, APictureTheLayoutReaderRefusesIsDamageInItsWords)
{
    auto bytes = Saved();
    const std::string object = "object";
    auto at = std::search(bytes.begin(), bytes.end(), object.begin(), object.end());
    ASSERT_NE(at, bytes.end());
    *at = 'x';
    EXPECT_EQ(MessageOf<EDIBControlError>([&] { Load(bytes); }), "template image 0:1: expected object, found 'xbject'");
    EXPECT_EQ(target.list->DIBImages().Count(), 0);
}

TEST_F(Template, UnknownPropertiesAreSkippedByTheirSize)
{
    std::vector<uint8_t> b(16, 7);
    b.insert(b.end(), { 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0 });
    auto property = [&](const std::string& name, std::vector<uint8_t> value) {
        b.insert(b.end(), { uint8_t(name.size()), 0, 0, 0 });
        b.insert(b.end(), name.begin(), name.end());
        b.insert(b.end(), { uint8_t(value.size()), 0, 0, 0 });
        b.insert(b.end(), value.begin(), value.end());
    };
    property("Gone", { 1, 2, 3, 4, 5, 6, 7 });
    property("Speed", { 9, 0, 0, 0 });
    Load(b);
    EXPECT_EQ(target.control->speed, 9);
    // A known property whose value has the wrong size is damage, not something to skip.
    b.resize(b.size() - 17);
    property("Speed", { 9, 0, 0 });
    EXPECT_THROW(Load(b), EDIBControlError);
}

TEST_F(Template, OnlyPublishedPropertiesOfCarriableTypesMayBeTemplated)
{
    EXPECT_EQ(MessageOf<EDIBControlError>([&] { CheckTemplateProperty(TTemplateProbe::StaticClass(), "Nope"); }),
        "Class TTemplateProbe is trying to register Nope as a template property, and that property does not exist.");
    for (const char* name : { "Buddy", "OnEnter" }) {
        EXPECT_EQ(MessageOf<EDIBControlError>([&] { CheckTemplateProperty(TTemplateProbe::StaticClass(), name); }),
            "Attempting to template an invalid property type.")
            << name;
    }
    EXPECT_NO_THROW(CheckTemplateProperty(TTemplateProbe::StaticClass(), "Style"));
}

TEST_F(Template, SavingLeavesTheCurrentCompressorInPlace)
{
    TAbstractDIBCompressor* before = CurrentDIBCompressor();
    ASSERT_FALSE(DIBCompressors().empty());
    SetCurrentDIBCompressor(DIBCompressors().front());
    Saved();
    EXPECT_EQ(CurrentDIBCompressor(), DIBCompressors().front());
    SetCurrentDIBCompressor(before);
}

}
