#include "menu/PictureSeries.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const std::string DataDir = "D:\\DATA\\";

TEST(PictureSeries, NumbersTakeTwoDigitsBelowTen)
{
    PictureSeries series(DataDir, [](const std::string&) { return false; });
    EXPECT_EQ(series.FileOf("shot", 1), "D:\\DATA\\shot01.jpg");
    EXPECT_EQ(series.FileOf("shot", 0), "D:\\DATA\\shot00.jpg");
    EXPECT_EQ(series.FileOf("shot", 10, ".bmp"), "D:\\DATA\\shot10.bmp");
}

TEST(PictureSeries, StepsStopAtTheSeriesEnds)
{
    const std::set<std::string> files = { DataDir + "shot01.jpg", DataDir + "shot02.jpg", DataDir + "plain.jpg" };
    PictureSeries series(DataDir, [&](const std::string& path) { return files.count(path) > 0; });
    EXPECT_TRUE(series.HasSeries("shot"));
    EXPECT_FALSE(series.HasSeries("plain"));

    series.Open("shot");
    EXPECT_EQ(series.Neighbour(-1), std::nullopt);
    EXPECT_EQ(series.Neighbour(1), DataDir + "shot02.jpg");
    series.Step(1);
    EXPECT_EQ(series.Number, 2);
    EXPECT_EQ(series.Neighbour(1), std::nullopt);
    EXPECT_EQ(series.Neighbour(-1), DataDir + "shot01.jpg");
}

}
