#pragma once

// Starting programs and opening documents on a machine, as CreateProcessA, GetExitCodeProcess,
// CloseHandle and ShellExecuteA do on Windows. The program makes one service at start and
// passes it to the parts that start programs.
//
// Command lines are CP1250 Windows text. The program is the first argument of the command line
// split the Windows way (or the application name when one is given), resolved through the
// prefix's drives; ".exe" is tried after a name without an extension, as Windows does. What
// the file holds decides how it runs:
//   - an ELF executable or a "#!" script: directly;
//   - an MZ executable with "PE\0\0" or "NE" at the offset stored at 0x3C: through the chosen
//     `wine` (platform/wine/WineTools.h) when it is there, otherwise the start fails (so does a
//     plain DOS program);
//   - anything else: the start fails.
// Every started program gets WINEPREFIX set to the machine's prefix (our own setups find C:
// through it) and runs in the given current folder (a Windows path; empty means the program's
// own folder). Arguments go to the program as a list, never through a shell.
//
// Waiting without spinning (the menu's WaitExec):
//
//     auto process = service.CreateProcess(start);
//     if (!process) return false;
//     uint32_t code = 0;
//     while (service.GetExitCodeProcess(*process, code) && code == platform::STILL_ACTIVE) {
//         loop.ProcessMessages();
//         service.WaitForExitOrMessage(*process, loop, 100);
//     }
//     service.CloseHandle(*process);
//
// A Windows program counts as ended only when the prefix's wineserver has finished as well
// (`wineserver -w`): old setups start a second program and return at once, and the registry
// files are current only after the server wrote them back.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class EventLoop;
class Machine;

// GetExitCodeProcess reports this while the process runs.
inline constexpr uint32_t STILL_ACTIVE = 259;

// Creation flags and start-up record flags the menu passes.
inline constexpr uint32_t NORMAL_PRIORITY_CLASS = 0x00000020;
inline constexpr uint32_t STARTF_USESHOWWINDOW = 0x00000001;

// Show modes (ShowWindow's SW_ values).
inline constexpr uint16_t SW_HIDE = 0;
inline constexpr uint16_t SW_SHOWNORMAL = 1;
inline constexpr uint16_t SW_SHOWMINIMIZED = 2;
inline constexpr uint16_t SW_SHOWMAXIMIZED = 3;
inline constexpr uint16_t SW_SHOW = 5;

// ShellExecuteA results: above 32 is success, these are its failures.
inline constexpr intptr_t SE_ERR_OOM = 0;
inline constexpr intptr_t SE_ERR_FNF = 2; // file not found
inline constexpr intptr_t SE_ERR_PNF = 3; // path not found
inline constexpr intptr_t SE_ERR_ACCESSDENIED = 5;
inline constexpr intptr_t SE_ERR_NOASSOC = 31; // nothing opens this kind of file
inline constexpr intptr_t SE_SUCCESS = 42;     // the value this layer gives on success

// What kept a start from happening when the user can mend it; every other failure (a missing
// file, a broken program) is None.
enum class StartFailure : uint8_t {
    None,
    WineMissing,     // a Windows program or setup, and Wine is not installed
    NoDocumentOpener // a document or address, and the desktop has no opener at all
};

// A started process as the caller holds it (the Win32 process handle).
using ProcessHandle = uint32_t;

struct ProcessStart {
    std::string applicationName; // empty: the program is the command line's first argument
    std::string commandLine;
    std::string currentDirectory; // Windows path; empty: the program's folder
    uint32_t creationFlags = NORMAL_PRIORITY_CLASS;
    uint32_t startupFlags = STARTF_USESHOWWINDOW;
    uint16_t showWindow = SW_SHOWNORMAL;
};

struct ShellExecuteRequest {
    std::string verb; // "OPEN", "PLAY", "INSTALL" (any case); empty means "OPEN"
    std::string file; // Windows path, or an address ("http://...", "mailto:...")
    std::string parameters;
    std::string directory; // Windows path; empty: the file's folder
    uint16_t showWindow = SW_SHOWNORMAL;
};

// How a start ends up on the host; the real service runs it, the recorder keeps it.
enum class LaunchKind { Native,
    Wine,
    Opener };

struct LaunchPlan {
    LaunchKind kind = LaunchKind::Native;
    std::string program;                            // Windows path of the program or document
    std::string hostProgram;                        // UTF-8 host path (or tool name) that is executed
    std::vector<std::string> arguments;             // argv[1..], UTF-8 host text
    std::string hostDirectory;                      // UTF-8 host path of the current folder
    std::map<std::string, std::string> environment; // set on top of ours (WINEPREFIX, ...)
    std::vector<std::string> removedEnvironment;    // names of ours it does not get
};

class IProcessService {
public:
    virtual ~IProcessService() = default;

    // CreateProcessA: a handle on success; empty when the program cannot be found or run.
    virtual std::optional<ProcessHandle> CreateProcess(const ProcessStart& start) = 0;
    // STILL_ACTIVE while the process (and, for a Windows program, the prefix's wineserver)
    // runs, then its exit code. False for an unknown or closed handle.
    virtual bool GetExitCodeProcess(ProcessHandle process, uint32_t& exitCode) = 0;
    // Forgets the handle; the process keeps running. False for an unknown handle.
    virtual bool CloseHandle(ProcessHandle process) = 0;
    // Sleeps until the process may have ended, an event is pending in `loop`, a timer of the
    // loop is due or maxWaitMs passed, whichever comes first. Never spins.
    virtual void WaitForExitOrMessage(ProcessHandle process, EventLoop& loop, uint32_t maxWaitMs) = 0;
    // ShellExecuteA (owner window ignored): > 32 on success, an SE_ERR_ value otherwise.
    virtual intptr_t ShellExecute(const ShellExecuteRequest& request) = 0;
    // Blocks until every program started here, waited for or not, has ended (for Windows
    // programs: with the prefix's wineserver), at most maxWaitMs; false when some still run.
    // For test drivers: the menu itself never blocks on programs it did not wait for.
    virtual bool WaitForStartedPrograms(uint32_t maxWaitMs) = 0;
    // Starts, without waiting, Wine's own set-up of the prefix (which its first Windows program
    // would otherwise wait for) when Wine is there and has not set this prefix up yet. True when
    // it was started. The set-up runs without the display, so Wine shows no window of its own.
    virtual bool PrepareWinePrefix() { return false; }
    // Whether the set-up PrepareWinePrefix started still runs.
    virtual bool PreparingWinePrefix() { return false; }

    // Why the last CreateProcess or ShellExecute that failed did so.
    virtual StartFailure LastStartFailure() const { return StartFailure::None; }
    // Called, from a message posted to the current event loop, when the desktop's opener was
    // given a document or address by ShellExecute and found no program for it (the file as the
    // request named it). Started documents are not waited for, so this comes later.
    using OpenFailedHandler = std::function<void(const std::string& file)>;
    virtual void SetOpenFailedHandler(OpenFailedHandler handler) { (void)handler; }
};

// The service that runs programs on the host for `machine`.
std::shared_ptr<IProcessService> MakeHostProcessService(std::shared_ptr<Machine> machine);

// --- Command lines --------------------------------------------------------------------------

// Splits a command line as the Windows C runtime does: blanks and tabs separate arguments
// outside quotes; 2n backslashes before a quote give n backslashes and the quote toggles
// quoting; 2n+1 give n backslashes and a literal quote; other backslashes are literal; "" inside
// quotes gives a literal quote. The first argument (the program) follows the simpler rule of
// CreateProcess: up to the closing quote when it starts with one, else up to the first blank.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The inverse for one argument: quoted only when it holds a blank, tab or quote (or is empty).
std::string QuoteArgument(std::string_view argument);

// --- Program kinds --------------------------------------------------------------------------

enum class ExecutableKind { None,
    Native,
    Windows };

// What a file's bytes from its start say: ELF or "#!" is Native; "MZ" with "PE\0\0" or "NE" at
// the offset stored at 0x3C is Windows; anything else (a plain DOS program too) is None.
ExecutableKind ClassifyExecutable(std::string_view bytes);
// How many bytes from the start ClassifyExecutable needs to see the new header's signature of
// an MZ file whose first 64 bytes are given; 0 when they are enough.
size_t ExecutableHeaderBytesNeeded(std::string_view firstBytes);

}
