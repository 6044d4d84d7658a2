#pragma once

// Putting a disc folder in the machine: the drive letter it is mapped to, the sample disc the
// program carries, and the face substitutions the sample disc's fonts need.

#include "platform/files/FileLock.h"
#include "platform/machine/Machine.h"

#include <filesystem>
#include <cstdint>
#include <optional>
#include <string>

// The sample disc: the installed copy beside the program (../share/torvaxp/sample-disc), else
// the build tree's, so an installed program never reads the tree it was built in. None when
// neither exists.
std::optional<std::filesystem::path> SampleDiscFolder(const std::filesystem::path& executable);

// A drive's label (UTF-8) and serial, where the folder does not hold them itself.
struct DiscVolumeName {
    DiscVolumeName(std::string text, std::optional<uint32_t> number = std::nullopt)
        : label(std::move(text)), serial(number) {}
    std::string label;
    std::optional<uint32_t> serial;
};

// Maps the disc folder as a cdrom drive: on the letter an earlier run mapped it to when that
// mapping is still there, else on the first free letter from D:. With a label, the drive is a
// folder of links to the disc that holds the label (the disc itself is not written to; a file of
// its own named as Wine's label files is left out, as Wine would read it for ours); a disc
// folder that is a mounted CD or image gets its device beside the drive, from which Wine and
// we read its label (or, where the device cannot be read, udev's name for it as the label).
// Returns the letter, 0 when no letter could be had.
char MapDiscFolder(platform::Machine& machine, const std::filesystem::path& disc, const std::optional<DiscVolumeName>& name = {});

// The disc's drive for as long as a menu runs on it. Menus on one prefix share a disc's letter:
// each holds a shared lock on the letter's lock file in the prefix, and the last one to end
// unmaps it, so a second menu ending does not take the drive from under the first. Mapping and
// unmapping happen under one lock for the whole prefix.
class DiscDriveLease {
public:
    // Maps the disc (MapDiscFolder) and takes its share; empty when no letter could be had.
    static std::optional<DiscDriveLease> Map(platform::Machine& machine, const std::filesystem::path& disc,
        const std::optional<DiscVolumeName>& name = {});
    DiscDriveLease(DiscDriveLease&& other) noexcept;
    DiscDriveLease(const DiscDriveLease&) = delete;
    DiscDriveLease& operator=(const DiscDriveLease&) = delete;
    ~DiscDriveLease();

    char Letter() const { return m_letter; }
    // Points the drive at another folder of the same disc (an image's whole folder in place of
    // its browsing entry), in one step (Machine::SwitchDisc); false leaves it as it was.
    bool Switch(const std::filesystem::path& disc);
    // Lets go of the drive without unmapping it, for a process forked after the lease was taken,
    // which shares its lock and ends the lease in its place.
    void HandOver() { m_share.reset(); }

private:
    DiscDriveLease(platform::Machine& machine, std::filesystem::path disc, char letter, platform::FileLock share)
        : m_machine(&machine), m_disc(std::move(disc)), m_letter(letter), m_share(std::move(share))
    {
    }
    platform::Machine* m_machine;
    std::filesystem::path m_disc;
    char m_letter;
    std::optional<platform::FileLock> m_share;
};

// The menu's faces "Square721 AT" and "Square721 BdEx AT" come from the disc's bb.jpg and
// bc.jpg; where the machine has no FontSubstitutes value for a face yet, it gets the family of
// the matching file, so the faces resolve even before the menu registers the files. Returns the
// faces it added.
int AddDiscFontSubstitutes(const std::filesystem::path& disc);
