#pragma once

// Installs and removes a sample item on the current machine (platform::CurrentMachine()):
// everything through Windows paths and the machine's registry, as the menu later finds it.

#include "tools/samplesetups/InstallLog.h"
#include "tools/samplesetups/SampleConfig.h"

#include <filesystem>
#include <iosfwd>
#include <string>

namespace samplesetups {

inline constexpr const char* kLogName = "INSTALL.LOG";
inline constexpr const char* kTitleFileName = "TITLE.TXT";

struct InstallSource {
    std::filesystem::path folder;       // host folder the setup runs from (the disc's item folder)
    std::filesystem::path setupProgram; // host path of the running setup, copied as the uninstaller
};

// Installs; false (with the reason on `err`) when something could not be done. What was done
// before a failure stays recorded in the log, so the uninstaller can still take it back.
bool Install(const SampleConfig& config, const InstallSource& source, std::ostream& out, std::ostream& err);

// The command line registered as "UninstallString": the uninstaller with "-f" and the log in
// quotes, the form whose folder the menu reads back.
std::string UninstallCommand(const SampleConfig& config);

// Removes what the log at `logPath` (Windows path) records, then the log itself and the folders
// that are empty afterwards; files the log does not name stay. False when the log is missing
// or unreadable (nothing is deleted then).
bool Uninstall(const std::string& logPath, std::ostream& out, std::ostream& err);

// The Start-menu programs folder and the desktop as the menu reads them (HKLM Shell Folders).
std::string ProgramsFolder();
std::string DesktopFolder();

}
