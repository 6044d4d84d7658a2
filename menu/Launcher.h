#pragma once

// Starting programs, documents and addresses, and running an item that counts as runnable.

#include "menu/ActionServices.h"

#include <cstdint>
#include <string>

class Launcher {
public:
    // `prepareWine`: the menu was asked to set a new Wine prefix up in the background.
    Launcher(ActionServices services, bool prepareWine);

    // Runs an item that counts as runnable, asking which version when it lists several. True
    // when its program was waited for because it has a test file: the menu checks it again.
    bool RunProc(const TDemos& item);
    // Starts a program and goes on; false when it could not be started.
    bool NormalExec(const std::string& commandLine, uint16_t showMode);
    // Starts a program and keeps the window alive until it ends. False when it could not start,
    // or when the menu is asked to end meanwhile: the program then runs on by itself, and the
    // caller does nothing more (see Ending).
    bool WaitExec(const std::string& commandLine, uint16_t showMode);
    // The menu is asked to end (its quit button, the session's SIGTERM): what follows a wait,
    // checks, records and clean-ups, is not done, as a program still running may be in the
    // middle of the very files they would look at.
    bool Ending() const { return m_services.system.loop.Terminated(); }
    // Opens a document or address through the shell; the text may carry short parameters.
    void ShellExec(const std::string& path, uint16_t showMode);
    // ShellExecute, telling the user when the desktop lacks what the file needs.
    intptr_t ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
        const std::string& directory, uint16_t showMode);
    // Documents handed to the desktop's opener that find no program are told about too.
    void WatchDocumentOpeners();
    // Starts Wine's set-up of a new prefix when Wine is there and a setup of the disc needs it,
    // so that the first install does not sit through it. True when it was started.
    bool PrepareWineInBackground();

private:
    // A message box when a start failed for want of Wine or of a program for documents.
    void ReportStartFailure(const std::string& what);
    // RunProc's start of the chosen file: waited for (true) when the item has a test file, else
    // by its kind (films through the shell, music not at all).
    bool LaunchFile(const TDemos& item, const std::string& path);
    std::string ChooseVersion(const TDemos& item);

    ActionServices m_services;
    bool m_prepareWine = false;
    bool m_reportStartFailures = true;
};
