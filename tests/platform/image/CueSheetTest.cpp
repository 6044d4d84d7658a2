#include "platform/image/CueSheet.h"

#include <gtest/gtest.h>

using platform::ParseCueSheet;
using platform::TrackMode;

TEST(CueSheet, FilesTracksAndTheirStart)
{
    auto sheet = ParseCueSheet("\xEF\xBB\xBFREM COMMENT \"x\"\r\n"
                               "FILE \"Torva (Track 1).bin\" BINARY\r\n"
                               "  TRACK 01 MODE2/2352\r\n"
                               "    INDEX 01 00:00:00\r\n"
                               "  TRACK 02 AUDIO\r\n"
                               "    PREGAP 00:02:00\r\n"
                               "    INDEX 00 10:00:00\r\n"
                               "    INDEX 01 10:02:05\r\n"
                               "file track3.bin binary\n"
                               " track 3 mode1/2048\n"
                               " index 1 0:1:0\n",
        "disc.cue");
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->files.size(), 2u);
    EXPECT_EQ(sheet->files[0].name, "Torva (Track 1).bin");
    ASSERT_EQ(sheet->files[0].tracks.size(), 2u);
    EXPECT_EQ(sheet->files[0].tracks[0].mode, TrackMode::Mode2Raw);
    EXPECT_EQ(sheet->files[0].tracks[1].mode, TrackMode::Audio);
    EXPECT_EQ(sheet->files[0].tracks[1].index1Frame, (10u * 60 + 2) * 75 + 5);
    EXPECT_EQ(sheet->files[1].tracks[0].mode, TrackMode::Mode1Cooked);
    EXPECT_EQ(sheet->files[1].tracks[0].index1Frame, 75u);
    EXPECT_EQ(platform::TrackDataOffset(TrackMode::Mode1Raw), 16u);
    EXPECT_EQ(platform::TrackDataOffset(TrackMode::Mode2Raw), 24u);
}

TEST(CueSheet, MalformedSheetsAreRefusedWithTheSheetAndLine)
{
    const struct {
        const char* text;
        const char* line;
    } refused[] = {
        { "", "line 0: " },
        { "TRACK 01 MODE1/2352\n", "line 1: " },
        { "FILE \"a.bin BINARY\n", "line 1: " },
        { "FILE \"a.bin\" BINARY\n TRACK 00 MODE1/2352\n", "line 2: " },
        { "FILE \"a.bin\" BINARY\n TRACK 100 MODE1/2352\n", "line 2: " },
        { "FILE \"a.bin\" BINARY\n TRACK 01\n", "line 2: " },
        { "FILE \"a.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:60:00\n", "line 3: " },
        { "FILE \"a.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:75\n", "line 3: " },
        { "FILE \"a.bin\" BINARY\n INDEX 01 00:00:00\n", "line 2: " },
    };
    for (const auto& row : refused) {
        auto sheet = ParseCueSheet(row.text, "disc.cue");
        ASSERT_FALSE(sheet) << row.text;
        EXPECT_EQ(sheet.Error().file, "disc.cue") << row.text;
        EXPECT_EQ(sheet.Error().reason.rfind(row.line, 0), 0u) << sheet.Error().reason;
        EXPECT_GT(sheet.Error().reason.size(), std::string(row.line).size()) << row.text;
    }
}
