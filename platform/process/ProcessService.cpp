#include "platform/process/Process.h"

namespace platform {

namespace {

std::shared_ptr<IProcessService>& CurrentServicePointer()
{
    static std::shared_ptr<IProcessService> service;
    return service;
}

}

IProcessService& CurrentProcessService()
{
    auto& service = CurrentServicePointer();
    // Without a machine given, the host service follows whatever machine is current.
    if (!service)
        service = MakeHostProcessService(nullptr);
    return *service;
}

void SetCurrentProcessService(std::shared_ptr<IProcessService> service)
{
    CurrentServicePointer() = std::move(service);
}

ScopedProcessService::ScopedProcessService(std::shared_ptr<IProcessService> service)
    : m_previous(CurrentServicePointer())
{
    CurrentServicePointer() = std::move(service);
}

ScopedProcessService::~ScopedProcessService()
{
    CurrentServicePointer() = std::move(m_previous);
}

bool CreateProcessA(const ProcessStart& start, ProcessHandle& process)
{
    auto created = CurrentProcessService().CreateProcess(start);
    if (!created)
        return false;
    process = *created;
    return true;
}

bool GetExitCodeProcess(ProcessHandle process, uint32_t& exitCode)
{
    return CurrentProcessService().GetExitCodeProcess(process, exitCode);
}

bool CloseHandle(ProcessHandle process)
{
    return CurrentProcessService().CloseHandle(process);
}

intptr_t ShellExecuteA(std::string_view verb, std::string_view file, std::string_view parameters,
    std::string_view directory, uint16_t showWindow)
{
    ShellExecuteRequest request;
    request.verb = verb;
    request.file = file;
    request.parameters = parameters;
    request.directory = directory;
    request.showWindow = showWindow;
    return CurrentProcessService().ShellExecute(request);
}

}
