#pragma once

// A throw-away machine for tests: drive C: (drive_c), drive E: (a disc folder outside the
// prefix, linked absolutely) and an "outside" folder that no drive maps.

#include "platform/machine/Machine.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace torvatest {

class TempPrefix {
public:
    explicit TempPrefix(const std::string& name)
    {
        namespace fs = std::filesystem;
        base = fs::path(TORVA_TEST_OUTPUT_DIR) / ("prefix-" + name + "-" + std::to_string(::getpid()));
        fs::remove_all(base);
        root = base / "prefix";
        driveC = root / "drive_c";
        disc = base / "disc";
        outside = base / "outside";
        fs::create_directories(driveC / "windows");
        fs::create_directories(root / "dosdevices");
        fs::create_directories(disc);
        fs::create_directories(outside);
        fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
        fs::create_directory_symlink(disc, root / "dosdevices" / "e:");
        platform::SetCurrentMachine(std::make_shared<platform::Machine>(root));
    }
    ~TempPrefix()
    {
        std::error_code error;
        std::filesystem::permissions(base, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, error);
        std::filesystem::remove_all(base, error);
    }

    static void Write(const std::filesystem::path& file, const std::string& content) { torva::test::WriteText(file, content); }
    static std::string Read(const std::filesystem::path& file) { return torva::test::ReadText(file); }

    std::filesystem::path base, root, driveC, disc, outside;
};

}
