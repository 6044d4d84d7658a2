// Through real Wine: a Windows program on a disc image's drive, mapped as torvaxp maps it, sees a
// CD-ROM with the image's own volume label and serial.

#include "platform/image/DiscImage.h"
#include "platform/machine/Machine.h"
#include "torvaxp/DiscDrive.h"
#include "torvaxp/DiscOpening.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool Have(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}

// A prefix and an image cache of the test's own, and the drive probe run on it through Wine.
class WineDrive : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::string(TORVA_DRIVE_PROBE).empty() || !fs::exists(TORVA_DRIVE_PROBE))
            GTEST_SKIP() << "the drive probe is not built (MinGW missing)";
        if (!Have("wine") || !Have("xorriso"))
            GTEST_SKIP() << "wine or xorriso is not installed";
        root = fs::temp_directory_path() / ("torva-wine-drive-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        Clear();
        fs::create_directories(root);
        machine = platform::Machine::OpenOrCreate(root / "prefix");
    }
    void TearDown() override
    {
        if (machine)
            std::system((Wine() + "wineserver -k >/dev/null 2>&1").c_str());
        Clear();
    }
    void Clear() { std::system(("chmod -R u+w '" + root.string() + "' 2>/dev/null; rm -rf '" + root.string() + "'").c_str()); }
    std::string Wine() const
    {
        return "cd '" + root.string() + "' && WINEPREFIX='" + (root / "prefix").string() + "' WINEDEBUG=-all ";
    }
    // What the probe at `program` (a Windows path) says of `drive` ("D:"; "" for its own).
    std::string Probe(const std::string& program, const std::string& drive)
    {
        fs::remove(root / "prefix" / "drive_c" / "probe.txt");
        std::string run = Wine() + "wine '" + program + "' 'C:\\probe.txt' " + drive + " >/dev/null 2>&1; " + Wine() + "wineserver -w";
        EXPECT_EQ(std::system(run.c_str()), 0);
        return Contents(root / "prefix" / "drive_c" / "probe.txt");
    }
    static std::string Expected(const std::string& label, uint32_t serial)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%08x", serial);
        return "type=5 label=" + label + " serial=" + text + "\r\n";
    }

    fs::path root;
    std::shared_ptr<platform::Machine> machine;
};

TEST_F(WineDrive, AProgramOnAnImageSeesACdRomWithTheImagesLabel)
{
    fs::create_directories(root / "tree" / "Torva");
    std::ofstream(root / "tree" / "Torva" / "torvaxp.ini") << "[Main]\r\n";
    fs::copy_file(TORVA_DRIVE_PROBE, root / "tree" / "DRIVEPRB.EXE");
    fs::path iso = root / "probe.iso";
    ASSERT_EQ(std::system(("xorriso -report_about FAILURE -outdev '" + iso.string() + "' -rockridge off -joliet on -volid 'Torva Probe' -map '"
                              + (root / "tree").string() + "' / >/dev/null 2>&1").c_str()),
        0);
    auto image = platform::DiscImage::Open(iso);

    platform::ImageCache cache(root / "cache");
    OpenedDisc disc = OpenDisc(iso, true, cache, {});
    auto drive = DiscDriveLease::Map(*machine, disc.folder);
    ASSERT_TRUE(drive);
    EXPECT_EQ(Probe(std::string(1, drive->Letter()) + ":\\DRIVEPRB.EXE", ""), Expected("Torva Probe", image->Volume().serial));
    // Our own layer reads the same files.
    EXPECT_EQ(machine->VolumeLabel(drive->Letter()), "Torva Probe");
    EXPECT_EQ(machine->VolumeSerial(drive->Letter()), image->Volume().serial);
    EXPECT_EQ(machine->DriveType(drive->Letter()), platform::DRIVE_CDROM);
}

TEST_F(WineDrive, TheSampleDiscsImageIsACdRomNamedAsTheImage)
{
    if (!fs::exists(TORVA_SAMPLE_IMAGE))
        GTEST_SKIP() << "the sample disc's image is not built (target sample_disc_images)";
    auto image = platform::DiscImage::Open(TORVA_SAMPLE_IMAGE);
    platform::ImageCache cache(root / "cache");
    OpenedDisc disc = OpenDisc(TORVA_SAMPLE_IMAGE, true, cache, {});
    auto drive = DiscDriveLease::Map(*machine, disc.folder);
    ASSERT_TRUE(drive);
    fs::copy_file(TORVA_DRIVE_PROBE, root / "prefix" / "drive_c" / "DRIVEPRB.EXE");
    EXPECT_EQ(Probe("C:\\DRIVEPRB.EXE", std::string(1, drive->Letter()) + ":"), Expected("Torva CD v2", image->Volume().serial));
}
