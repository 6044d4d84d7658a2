#pragma once

// Turns a CreateProcessA or ShellExecuteA request into what runs on the host, through the
// current machine's drives. Shared by the host service and the recorder, so that tests see the
// very plans the host would run.

#include "platform/process/Process.h"
#include "platform/wine/WineTools.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct PlanOptions {
    // When false, a program whose bytes say neither native nor Windows is taken for a Windows
    // program (test discs carry placeholder setups).
    bool examineContent = true;
    bool wineAvailable = false;
    bool openerAvailable = false;
    WineTools wine; // what Windows programs run through
};

// What the host has: the chosen Wine (CurrentWineTools) and `xdg-open` found on PATH.
PlanOptions HostPlanOptions();
// An executable file of that name in one of PATH's folders.
bool HostToolOnPath(std::string_view name);

// Whether starting or opening this file takes Wine: a Windows program (the first word of a
// command line), or an installer package.
bool NeedsWine(const std::string& commandLine);

// Whether Wine has set the prefix up (it leaves ".update-timestamp" in the prefix's root).
bool WinePrefixReady(const std::filesystem::path& prefixRoot);

std::optional<LaunchPlan> PlanProcessStart(const ProcessStart& start, const std::filesystem::path& prefixRoot,
    const PlanOptions& options);

// Wine's set-up of a new prefix: a Windows program that does nothing, started without the
// display (Wine would show its "being updated" window) and without the .NET runtime and the HTML
// engine, which a disc's setups do not need and which a new prefix would offer to download.
LaunchPlan PlanWinePreparation(const std::filesystem::path& prefixRoot, const PlanOptions& options);

struct ShellPlan {
    std::optional<LaunchPlan> plan;
    intptr_t result = SE_ERR_FNF; // SE_SUCCESS with a plan, else the failure to report
};

ShellPlan PlanShellExecute(const ShellExecuteRequest& request, const std::filesystem::path& prefixRoot,
    const PlanOptions& options);

}
