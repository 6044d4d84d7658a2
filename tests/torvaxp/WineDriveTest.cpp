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

TEST(WineDrive, AProgramOnAnImageSeesACdRomWithTheImagesLabel)
{
    if (std::string(TORVA_DRIVE_PROBE).empty() || !fs::exists(TORVA_DRIVE_PROBE))
        GTEST_SKIP() << "the drive probe is not built (MinGW missing)";
    if (!Have("wine") || !Have("xorriso"))
        GTEST_SKIP() << "wine or xorriso is not installed";
    fs::path root = fs::temp_directory_path() / ("torva-wine-drive-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::system(("chmod -R u+w '" + root.string() + "' 2>/dev/null; rm -rf '" + root.string() + "'").c_str());
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
    auto machine = platform::Machine::OpenOrCreate(root / "prefix");
    {
        auto drive = DiscDriveLease::Map(*machine, disc.folder);
        ASSERT_TRUE(drive);
        std::string wine = "cd '" + root.string() + "' && WINEPREFIX='" + (root / "prefix").string() + "' WINEDEBUG=-all ";
        std::string run = wine + "wine '" + drive->Letter() + ":\\DRIVEPRB.EXE' 'C:\\probe.txt' >/dev/null 2>&1; " + wine + "wineserver -w";
        EXPECT_EQ(std::system(run.c_str()), 0);
        char serial[16];
        std::snprintf(serial, sizeof serial, "%08x", image->Volume().serial);
        EXPECT_EQ(Contents(root / "prefix" / "drive_c" / "probe.txt"), "type=5 label=Torva Probe serial=" + std::string(serial) + "\r\n");
        // Our own layer reads the same files.
        EXPECT_EQ(machine->VolumeLabel(drive->Letter()), "Torva Probe");
        EXPECT_EQ(machine->VolumeSerial(drive->Letter()), image->Volume().serial);
        EXPECT_EQ(machine->DriveType(drive->Letter()), platform::DRIVE_CDROM);
        std::system((wine + "wineserver -k >/dev/null 2>&1").c_str());
    }
    std::system(("chmod -R u+w '" + root.string() + "'; rm -rf '" + root.string() + "'").c_str());
}
