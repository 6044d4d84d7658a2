#pragma once

// A wine server for tests: not running unless a test says so, and when running it records the
// reg commands it is given instead of running them.

#include "platform/hive/WineServer.h"

#include <string>
#include <vector>

namespace torvatest {

class FakeWineServer : public platform::WineServer {
public:
    bool IsRunning() override { return running; }
    bool RunReg(const std::vector<std::string>& arguments) override
    {
        calls.push_back(arguments);
        return succeeds;
    }
    bool running = false;
    bool succeeds = true;
    std::vector<std::vector<std::string>> calls;
};

}
