#include "SurfaceFixtures.h"

#include "platform/machine/Machine.h"
#include "platform/picture/Picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A machine whose drive C: is a fresh folder of the test's own.
struct DriveC {
    fs::path root = fs::path(TORVA_TEST_OUTPUT_DIR) / ("surface-prefix-" + std::to_string(::getpid()));
    DriveC()
    {
        fs::remove_all(root);
        fs::create_directories(root / "drive_c" / "Torva");
        fs::create_directories(root / "dosdevices");
        fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
        platform::SetCurrentMachine(std::make_shared<platform::Machine>(root));
    }
    ~DriveC() { fs::remove_all(root); }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream(root / "drive_c" / "Torva" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

TEST(LoadPictureFile, ReadsABitmapByItsWindowsPathWithoutRegardToCase)
{
    DriveC drive;
    platform::Picture picture { 3, 1, { 0x00010203, 0x00040506, 0x00070809 }, false };
    drive.Write("pic.bmp", platform::EncodeBitmap(picture, 24));
    TWinDIB dib(1, 1);
    dib.LoadPictureFile("C:\\TORVA\\PIC.BMP");
    EXPECT_EQ(GetRows(dib), (PixelRows { { 0xFF010203, 0xFF040506, 0xFF070809 } }));
}

TEST(LoadPictureFile, MissingOrUndecodableFilesRaiseAndKeepTheSurface)
{
    DriveC drive;
    drive.Write("bad.jpg", { 0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10 });
    drive.Write("text.bmp", { 'h', 'e', 'l', 'l', 'o' });
    TMemoryDIB dib(2, 1);
    dib.SetPixel(1, 0, 0x42);
    for (const char* name : { "C:\\Torva\\none.bmp", "C:\\Torva\\bad.jpg", "C:\\Torva\\text.bmp", "Z:\\x.bmp" }) {
        try {
            dib.LoadPictureFile(name);
            ADD_FAILURE() << name;
        } catch (const platform::PictureError& error) {
            EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
        }
        EXPECT_EQ(dib.Width(), 2);
        EXPECT_EQ(dib.Pixels(1, 0), 0x42u);
    }
}

}
