#include "platform/machine/Machine.h"

#include <stdexcept>

namespace platform {

Machine::Machine(std::filesystem::path prefixRoot)
    : m_prefixRoot(std::move(prefixRoot))
{
}

static std::shared_ptr<Machine>& CurrentMachinePointer()
{
    static std::shared_ptr<Machine> machine;
    return machine;
}

Machine& CurrentMachine()
{
    auto& machine = CurrentMachinePointer();
    if (!machine)
        throw std::logic_error("no machine prefix is in use");
    return *machine;
}

bool HasCurrentMachine()
{
    return CurrentMachinePointer() != nullptr;
}

void SetCurrentMachine(std::shared_ptr<Machine> machine)
{
    CurrentMachinePointer() = std::move(machine);
}

}
