#pragma once

// Runs the steps of the clean-up language on this machine. Every step passes the clean-up
// policy first, and a refused one is noted in the debug output; no folder is removed outside the
// prefix, on the disc, or reached through a symbolic link.

#include "menu/ActionServices.h"
#include "menu/CleanupPolicy.h"

#include <memory>
#include <string>

class Launcher;

class CleanupInterpreter {
public:
    // `policy`: the facts of the uninstallation under way, taken before anything ran.
    CleanupInterpreter(ActionServices services, Launcher& launcher, std::shared_ptr<const CleanupPolicy> policy);

    // Every step of one instruction that the policy lets run.
    void RunCleanupInstruction(const std::string& entry, const CleanupFolders& folders);
    // True when the policy lets the step run; a refusal is noted in the debug output.
    bool MayRunCleanupStep(const CleanupStep& step) const;
    // Whether the clean-up may empty this folder (or, with `emptyOnly`, remove it when empty):
    // the clean-up policy's verdict, and never the disc or a folder reached through a link.
    bool MayRemoveTree(const std::string& folder, bool emptyOnly = false) const;
    // After the user's yes, the folder with its contents.
    void DeleteQuestion(const std::string& folder);
    // What is left of a game folder after its uninstaller, asked about by its size.
    void CleanLeftovers(const std::string& folder);
    void DeleteEmptyBranchBelowKept(const std::string& folder);

private:
    void RunCleanupStep(const CleanupStep& step);
    void RemoveTree(const std::string& folder) const;
    void RemoveCatalogueFile(const std::string& path, bool report);
    void NoteDebug(const std::string& text) const;

    ActionServices m_services;
    Launcher& m_launcher;
    std::shared_ptr<const CleanupPolicy> m_policy;
};
