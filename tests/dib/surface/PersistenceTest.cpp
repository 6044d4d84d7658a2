#include "SurfaceFixtures.h"

#include "platform/components/Classes.h"

#include <gtest/gtest.h>

namespace {

using platform::PropertyValue;

TEST(SurfaceClasses, PropertiesByNameGoThroughTheSetters)
{
    TMemoryDIB dib(2, 2);
    int changes = 0;
    dib.OnChange = [&](TAbstractSuperDIB*) { ++changes; };
    platform::SetPropertyValue(dib, "Opacity", PropertyValue::Int(300));
    EXPECT_EQ(dib.Opacity(), 255);
    platform::SetPropertyValue(dib, "Opacity", PropertyValue::Int(12));
    platform::SetPropertyValue(dib, "Scale", PropertyValue::Float(50));
    platform::SetPropertyValue(dib, "TransparentMode", PropertyValue::Ident("tmFixed"));
    platform::SetPropertyValue(dib, "TransparentColor", PropertyValue::Int(0x00332211));
    platform::SetPropertyValue(dib, "Width", PropertyValue::Int(7));
    EXPECT_EQ(dib.Opacity(), 12);
    EXPECT_EQ(dib.ScaleX(), 50);
    EXPECT_EQ(dib.ScaleY(), 50);
    EXPECT_EQ(dib.TransparentMode(), tmFixed);
    EXPECT_EQ(dib.TransparentKey(), 0x00112233u);
    EXPECT_EQ(dib.Width(), 7);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(platform::GetPropertyValue(dib, "TransparentColor"), PropertyValue::Int(0x00112233));
    EXPECT_EQ(platform::GetPropertyValue(dib, "TransparentMode"), PropertyValue::Ident("tmFixed"));
}

TEST(AssignProperties, ToSomethingThatIsNoSurfaceRaises)
{
    TMemoryDIB dib(1, 1);
    platform::TPersistent other;
    try {
        dib.AssignProperties(other);
        FAIL();
    } catch (const EDIBError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TAbstractDIB to a TPersistent");
    }
    TWinDIB win(3, 3);
    dib.AssignProperties(static_cast<platform::TPersistent&>(win));
}

TEST(Assign, FromTheFrameworkSideAcceptsOnlySurfaces)
{
    TMemoryDIB source;
    PutRows(source, { { 1, 2 } });
    TWinDIB dest;
    dest.Assign(static_cast<const platform::TPersistent&>(source));
    EXPECT_EQ(GetRows(dest), GetRows(source));
    platform::TPersistent other;
    EXPECT_THROW(dest.Assign(other), platform::EConvertError);
}

TEST(DataProperty, WrittenOnlyWithPixelsAndReadBack)
{
    TMemoryDIB empty;
    platform::TFiler emptyFiler;
    empty.DefineProperties(emptyFiler);
    ASSERT_NE(emptyFiler.Find("Data"), nullptr);
    EXPECT_FALSE(emptyFiler.Find("Data")->hasData);

    TMemoryDIB source;
    PutRows(source, { { 0x11223344, 0x55667788, 0x99AABBCC }, { 1, 2, 3 } });
    platform::TFiler writer;
    source.DefineProperties(writer);
    ASSERT_TRUE(writer.Find("Data")->hasData);
    const PropertyValue data = writer.Find("Data")->write();

    TMemoryDIB copy;
    int changes = 0;
    copy.OnChange = [&](TAbstractSuperDIB*) { ++changes; };
    platform::TFiler reader;
    copy.DefineProperties(reader);
    reader.Find("Data")->read(data);
    EXPECT_EQ(GetRows(copy), GetRows(source));
    EXPECT_GE(changes, 1);
}

}
