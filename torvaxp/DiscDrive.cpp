#include "torvaxp/DiscDrive.h"

#include "platform/fonts/FontRegistry.h"
#include "platform/machine/MountTable.h"
#include "platform/registry/Registry.h"
#include "platform/text/Codepage.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* FontSubstitutesKey = "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";

struct DiscFace {
    const char* face;
    const char* file;
};
constexpr DiscFace DiscFaces[] = {
    { "Square721 AT", "bb.jpg" },
    { "Square721 BdEx AT", "bc.jpg" },
};

bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error);
}

// The disc's menu folder, whatever the case of its name.
std::optional<fs::path> MenuFolder(const fs::path& disc)
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(disc, error)) {
        std::string name = entry.path().filename().string();
        if (name.size() == 5 && (name[0] | 0x20) == 't' && (name[1] | 0x20) == 'o' && (name[2] | 0x20) == 'r'
            && (name[3] | 0x20) == 'v' && (name[4] | 0x20) == 'a' && entry.is_directory(error))
            return entry.path();
    }
    return std::nullopt;
}

}

std::optional<fs::path> SampleDiscFolder(const fs::path& executable)
{
    std::error_code error;
    fs::path installed = executable.parent_path().parent_path() / "share" / "torvaxp" / "sample-disc";
    if (fs::is_directory(installed, error))
        return installed;
#ifdef TORVA_SAMPLE_DISC_DIR
    fs::path built = TORVA_SAMPLE_DISC_DIR;
    if (fs::is_directory(built, error))
        return built;
#endif
    return std::nullopt;
}

char MapDiscFolder(platform::Machine& machine, const fs::path& disc, const std::optional<DiscVolumeName>& label)
{
    // A mounted disc's drive reads its label from the device, as Wine does; where the device
    // cannot be read, the label udev found for it is given to the folder as a named one.
    std::optional<platform::MountEntry> mount = label ? std::nullopt : platform::DiscMountAt(disc);
    bool readable = mount && platform::DeviceVolumeLabel(mount->source);
    std::optional<std::string> name = mount && !readable ? platform::DeviceByLabelName(mount->source)
        : label                                          ? std::optional<std::string>(label->label)
                                                         : std::nullopt;
    // The letter of an earlier run that still holds this disc (and label) is used again rather
    // than piling up letters in the prefix.
    std::string windowsLabel = name ? platform::Utf8ToCp1250(*name) : std::string();
    for (const platform::DriveInfo& drive : machine.Drives()) {
        if (drive.type != platform::DRIVE_CDROM)
            continue;
        auto behind = machine.DiscBehind(drive.letter);
        if (name ? behind && SameFile(*behind, disc) && machine.VolumeLabel(drive.letter) == windowsLabel
                 : !behind && SameFile(drive.target, disc))
            return drive.letter;
    }
    if (name)
        return machine.MapDisc(disc, windowsLabel, label ? label->serial : std::nullopt);
    char letter = machine.MapDrive(disc, platform::DRIVE_CDROM);
    if (letter != 0 && readable)
        machine.SetDriveDevice(letter, mount->source);
    return letter;
}

namespace {

// The locks live in the prefix's own folder of the menu, beside nothing Wine reads.
fs::path LockFolder(platform::Machine& machine)
{
    return machine.PrefixRoot() / ".torva";
}

std::optional<platform::FileLock> LockMapping(platform::Machine& machine)
{
    std::error_code error;
    fs::create_directories(LockFolder(machine), error);
    return platform::FileLock::Acquire(LockFolder(machine) / "drives.lock", platform::FileLock::Mode::Exclusive);
}

fs::path LetterLockFile(platform::Machine& machine, char letter)
{
    return LockFolder(machine) / (std::string("drive-") + static_cast<char>(letter | 0x20) + ".lock");
}

}

std::optional<DiscDriveLease> DiscDriveLease::Map(platform::Machine& machine, const fs::path& disc, const std::optional<DiscVolumeName>& label)
{
    auto mapping = LockMapping(machine);
    if (!mapping)
        return std::nullopt;
    char letter = MapDiscFolder(machine, disc, label);
    if (letter == 0)
        return std::nullopt;
    auto share = platform::FileLock::Acquire(LetterLockFile(machine, letter), platform::FileLock::Mode::Shared);
    if (!share)
        return std::nullopt;
    return DiscDriveLease(machine, disc, letter, std::move(*share));
}

DiscDriveLease::DiscDriveLease(DiscDriveLease&& other) noexcept
    : m_machine(other.m_machine)
    , m_disc(std::move(other.m_disc))
    , m_letter(other.m_letter)
    , m_share(std::move(other.m_share))
{
    other.m_share.reset();
}

bool DiscDriveLease::Switch(const fs::path& disc)
{
    auto mapping = LockMapping(*m_machine);
    if (!mapping || !m_machine->SwitchDisc(m_letter, disc))
        return false;
    m_disc = disc;
    return true;
}

DiscDriveLease::~DiscDriveLease()
{
    if (!m_share)
        return;
    auto mapping = LockMapping(*m_machine);
    // Only the last menu on the drive unmaps it, and only while it still holds this disc.
    if (m_share->TryUpgrade()) {
        auto drive = m_machine->Drive(m_letter);
        auto behind = m_machine->DiscBehind(m_letter);
        if (drive && SameFile(behind ? *behind : drive->target, m_disc))
            m_machine->UnmapDrive(m_letter);
    }
    m_share.reset();
}

int AddDiscFontSubstitutes(const fs::path& disc)
{
    std::optional<fs::path> menu = MenuFolder(disc);
    if (!menu)
        return 0;
    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(FontSubstitutesKey, true))
        return 0;
    int added = 0;
    for (const DiscFace& face : DiscFaces) {
        if (!registry.ReadString(face.face).empty())
            continue;
        platform::FontRegistry fonts;
        if (fonts.AddFontFile((*menu / face.file).string()) == 0)
            continue;
        std::vector<std::string> families = fonts.RegisteredFamilies();
        if (families.empty() || families.front().empty())
            continue;
        if (registry.WriteString(face.face, platform::Utf8ToCp1250(families.front())))
            ++added;
    }
    return added;
}
