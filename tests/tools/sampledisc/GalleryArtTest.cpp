// The procedural pictures: the same picture comes out the same on every build, the pictures of
// one series differ from each other, and the title is written on them.

#include "tools/sampledisc/GalleryArt.h"

#include "platform/avi/AviClip.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sampledisc;

namespace {

double MeanDifference(const artwork::Raster& a, const artwork::Raster& b)
{
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const artwork::Rgb &p = a.At(x, y), &q = b.At(x, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    return sum / (3.0 * a.Width() * a.Height());
}

}

TEST(GalleryArt, PicturesAreRepeatableAndASeriesVaries)
{
    CardText text { "Rallye", "Sever" };
    artwork::Raster first = TitleCard("rallye", 1, 160, 120, text);
    EXPECT_EQ(MeanDifference(first, TitleCard("rallye", 1, 160, 120, text)), 0.0);
    for (int n = 2; n <= 4; ++n)
        EXPECT_GT(MeanDifference(first, TitleCard("rallye", n, 160, 120, text)), 10.0) << "picture " << n;
    EXPECT_GT(MeanDifference(first, TitleCard("legie", 1, 160, 120, text)), 10.0);
}

TEST(GalleryArt, TheTitleIsWrittenOnThePicture)
{
    artwork::Raster titled = TitleCard("golf", 2, 243, 151, { "Minigolf 3000", "" });
    artwork::Raster other = TitleCard("golf", 2, 243, 151, { "X", "" });
    EXPECT_GT(MeanDifference(titled, other), 1.0);
    // A title far too long for the picture is made smaller, not cut off at the sides.
    auto edgeRed = [](const std::string& title) {
        artwork::Raster card = TitleCard("golf", 2, 243, 151, { title, "" });
        double sum = 0;
        for (int y = 0; y < 151; ++y)
            sum += card.At(0, y).r + card.At(242, y).r;
        return sum;
    };
    EXPECT_NEAR(edgeRed(std::string(60, 'W')), edgeRed(""), 151 * 2 * 3.0);
}

TEST(GalleryArt, FilmClipPlays)
{
    auto clip = platform::AviClip::FromBytes(FilmClip("legief", { "Ocelová legie", "" }), "legief.avi").Value();
    EXPECT_EQ(clip.Width(), 160);
    EXPECT_EQ(clip.Height(), 120);
    EXPECT_EQ(clip.Compression(), platform::AviCompression::Rle8);
    EXPECT_GE(clip.FrameCount(), 24);
}
