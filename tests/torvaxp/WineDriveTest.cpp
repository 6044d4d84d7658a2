// Through real Wine: a Windows program on a disc's drive, mapped as torvaxp maps it, sees a
// CD-ROM with the disc's own volume label and serial: an image's, a label named for a folder,
// and a mounted disc's, read from its device.

#include "platform/image/DiscImage.h"
#include "platform/machine/Machine.h"
#include "torvaxp/DiscDrive.h"
#include "torvaxp/DiscOpening.h"
#include "tests/support/TestFiles.h"

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

// The first line a command prints; empty when it fails.
std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        if (::pclose(pipe) != 0)
            text.clear();
    }
    return text.substr(0, text.find('\n'));
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
        root = fs::temp_directory_path() / ("torva-wine-drive-" + torva::test::CaseName());
        Clear();
        fs::create_directories(root);
        machine = platform::Machine::OpenOrCreate(root / "prefix");
    }
    void TearDown() override
    {
        if (machine)
            std::system((Wine() + "wineserver -k >/dev/null 2>&1").c_str());
        if (!loopDevice.empty())
            std::system(("umount '" + (root / "mnt").string() + "' 2>/dev/null; losetup -d '" + loopDevice + "'").c_str());
        Clear();
    }
    // The sample disc's image on a read-only loop device (loopDevice), and the probe on C:; the
    // test skips where either is missing.
    void AttachImage()
    {
        if (!fs::exists(TORVA_SAMPLE_IMAGE) || !fs::is_directory(TORVA_SAMPLE_DISC))
            GTEST_SKIP() << "the sample disc or its image is not built (targets sample_disc, sample_disc_images)";
        loopDevice = Output("losetup -r -f --show '" + std::string(TORVA_SAMPLE_IMAGE) + "' 2>/dev/null");
        if (loopDevice.empty())
            GTEST_SKIP() << "no loop device can be attached here (needs root and /dev/loop*)";
        fs::copy_file(TORVA_DRIVE_PROBE, root / "prefix" / "drive_c" / "DRIVEPRB.EXE");
    }
    void Clear() { std::system(("chmod -R u+w '" + root.string() + "' 2>/dev/null; rm -rf '" + root.string() + "'").c_str()); }
    std::string Wine() const
    {
        return "cd '" + root.string() + "' && WINEPREFIX='" + (root / "prefix").string() + "' WINEDEBUG=-all " + locale;
    }
    // What the probe at `program` (a Windows path) says of `drive` ("D:"; "" for its own).
    std::string Probe(const std::string& program, const std::string& drive)
    {
        fs::remove(root / "prefix" / "drive_c" / "probe.txt");
        std::string run = Wine() + "wine '" + program + "' 'C:\\probe.txt' " + drive + " >/dev/null 2>&1; " + Wine() + "wineserver -w";
        EXPECT_EQ(std::system(run.c_str()), 0);
        return torva::test::ReadText(root / "prefix" / "drive_c" / "probe.txt");
    }
    static std::string Expected(const std::string& label, uint32_t serial)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%08x", serial);
        return "type=5 label=" + label + " serial=" + text + "\r\n";
    }

    fs::path root;
    std::shared_ptr<platform::Machine> machine;
    std::string loopDevice;
    std::string locale; // environment settings that choose Wine's code page
};

// The image holds a .windows-label of its own, as images made from unpacked folders do: the
// program still sees the image's label, and the image's file is unpacked as it was.
TEST_F(WineDrive, AProgramOnAnImageSeesACdRomWithTheImagesLabel)
{
    fs::create_directories(root / "tree" / "Torva");
    std::ofstream(root / "tree" / "Torva" / "torvaxp.ini") << "[Main]\r\n";
    std::ofstream(root / "tree" / ".windows-label") << "Stale Label\n";
    fs::copy_file(TORVA_DRIVE_PROBE, root / "tree" / "DRIVEPRB.EXE");
    fs::path iso = root / "probe.iso";
    ASSERT_EQ(std::system(("xorriso -report_about FAILURE -outdev '" + iso.string() + "' -rockridge off -joliet on -volid 'Torva Probe' -map '"
                  + (root / "tree").string() + "' / >/dev/null 2>&1")
                              .c_str()),
        0);
    auto image = platform::DiscImage::Open(iso).Value();

    platform::ImageCache cache(root / "cache");
    OpenedDisc disc = OpenDisc(iso, true, cache, {});
    auto drive = DiscDriveLease::Map(*machine, disc.folder, disc.volume);
    ASSERT_TRUE(drive);
    EXPECT_EQ(Probe(std::string(1, drive->Letter()) + ":\\DRIVEPRB.EXE", ""), Expected("Torva Probe", image->Volume().serial));
    // Our own layer reads the same files.
    EXPECT_EQ(machine->VolumeLabel(drive->Letter()), "Torva Probe");
    EXPECT_EQ(machine->VolumeSerial(drive->Letter()), image->Volume().serial);
    EXPECT_EQ(machine->DriveType(drive->Letter()), platform::DRIVE_CDROM);
    EXPECT_EQ(torva::test::ReadText(disc.folder / ".windows-label"), "Stale Label\n") << "the image's own file was changed";
}

TEST_F(WineDrive, TheSampleDiscsImageIsACdRomNamedAsTheImage)
{
    if (!fs::exists(TORVA_SAMPLE_IMAGE))
        GTEST_SKIP() << "the sample disc's image is not built (target sample_disc_images)";
    auto image = platform::DiscImage::Open(TORVA_SAMPLE_IMAGE).Value();
    platform::ImageCache cache(root / "cache");
    OpenedDisc disc = OpenDisc(TORVA_SAMPLE_IMAGE, true, cache, {});
    auto drive = DiscDriveLease::Map(*machine, disc.folder, disc.volume);
    ASSERT_TRUE(drive);
    fs::copy_file(TORVA_DRIVE_PROBE, root / "prefix" / "drive_c" / "DRIVEPRB.EXE");
    EXPECT_EQ(Probe("C:\\DRIVEPRB.EXE", std::string(1, drive->Letter()) + ":"), Expected("Torva CD v2", image->Volume().serial));
}

// A plain folder has no label until the user names one; the folder itself is not written to,
// and labels longer than a FAT volume's eleven letters reach the program whole, as Wine gives them.
TEST_F(WineDrive, APlainFolderShowsTheLabelTheUserNames)
{
    if (!fs::is_directory(TORVA_SAMPLE_DISC))
        GTEST_SKIP() << "the sample disc is not built (target sample_disc)";
    fs::copy_file(TORVA_DRIVE_PROBE, root / "prefix" / "drive_c" / "DRIVEPRB.EXE");
    for (const std::string label : { "TORVA_CD", "Torva CD v2 prosinec 2026" }) {
        auto drive = DiscDriveLease::Map(*machine, TORVA_SAMPLE_DISC, label);
        ASSERT_TRUE(drive);
        std::string seen = Probe("C:\\DRIVEPRB.EXE", std::string(1, drive->Letter()) + ":");
        EXPECT_EQ(seen.substr(0, seen.find(" serial=")), "type=5 label=" + label);
        EXPECT_EQ(machine->VolumeLabel(drive->Letter()), label);
    }
    EXPECT_FALSE(fs::exists(fs::path(TORVA_SAMPLE_DISC) / ".windows-label"));
    EXPECT_TRUE(machine->Drives().size() == 1) << "each menu's drive went with it";
}

// Wine gives a label to a program in the code page of the user's locale; in a Czech one that is
// code page 1250, which is what our layer reads too.
TEST_F(WineDrive, ACzechLabelReadsAsInTheCzechCodePage)
{
    if (!fs::is_directory(TORVA_SAMPLE_DISC))
        GTEST_SKIP() << "the sample disc is not built (target sample_disc)";
    fs::create_directories(root / "locale");
    if (std::system(("localedef -i cs_CZ -f UTF-8 '" + (root / "locale" / "cs_CZ.UTF-8").string() + "' >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "no Czech locale can be made here (localedef, locales)";
    locale = "LOCPATH='" + (root / "locale").string() + "' LC_ALL=cs_CZ.UTF-8 ";
    fs::copy_file(TORVA_DRIVE_PROBE, root / "prefix" / "drive_c" / "DRIVEPRB.EXE");
    const std::string label = "\xC5\xA0kola \xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD"; // UTF-8, as typed
    const std::string cp1250 = "\x8Akola \x8Elu\x9Dou\xE8k\xFD";
    auto drive = DiscDriveLease::Map(*machine, TORVA_SAMPLE_DISC, label);
    ASSERT_TRUE(drive);
    std::string seen = Probe("C:\\DRIVEPRB.EXE", std::string(1, drive->Letter()) + ":");
    EXPECT_EQ(seen.substr(0, seen.find(" serial=")), "type=5 label=" + cp1250);
    EXPECT_EQ(machine->VolumeLabel(drive->Letter()), cp1250);
}

// A mounted disc's drive carries its device, from which Wine reads the label and serial; a
// loop device on the sample disc's image stands for the mounted disc.
TEST_F(WineDrive, AMountedDiscsDeviceGivesItsLabel)
{
    AttachImage();
    if (IsSkipped())
        return;
    const std::string& device = loopDevice;
    auto image = platform::DiscImage::Open(TORVA_SAMPLE_IMAGE).Value();
    char letter = 0;
    {
        auto drive = DiscDriveLease::Map(*machine, TORVA_SAMPLE_DISC);
        ASSERT_TRUE(drive);
        letter = drive->Letter();
        ASSERT_TRUE(machine->SetDriveDevice(letter, device));
        EXPECT_EQ(Probe("C:\\DRIVEPRB.EXE", std::string(1, letter) + ":"), Expected("Torva CD v2", image->Volume().serial));
        EXPECT_EQ(machine->VolumeLabel(letter), "Torva CD v2");
        EXPECT_EQ(machine->VolumeSerial(letter), image->Volume().serial);
    }
    EXPECT_FALSE(machine->DriveDevice(letter)) << "the device link goes with the drive";
}

// The menu on the mount point of the sample disc's image: the drive finds the device in the
// mount table, and the program sees the image's label.
TEST_F(WineDrive, AMountedImageIsACdRomNamedAsTheImage)
{
    AttachImage();
    if (IsSkipped())
        return;
    const std::string& device = loopDevice;
    fs::create_directories(root / "mnt");
    std::string refused = Output("mount -o ro '" + device + "' '" + (root / "mnt").string() + "' 2>&1 || echo failed");
    if (std::system(("mountpoint -q '" + (root / "mnt").string() + "'").c_str()) != 0)
        GTEST_SKIP() << "mounting the image is refused here: " << refused;
    auto image = platform::DiscImage::Open(TORVA_SAMPLE_IMAGE).Value();
    {
        auto drive = DiscDriveLease::Map(*machine, root / "mnt");
        ASSERT_TRUE(drive);
        EXPECT_EQ(machine->DriveDevice(drive->Letter()), fs::path(device));
        EXPECT_EQ(Probe("C:\\DRIVEPRB.EXE", std::string(1, drive->Letter()) + ":"), Expected("Torva CD v2", image->Volume().serial));
    }
    EXPECT_EQ(std::system(("umount '" + (root / "mnt").string() + "'").c_str()), 0);
}
