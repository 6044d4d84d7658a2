// torvademo: the platform layer's demonstration program. It opens a small borderless window
// built from a stored layout (picture, labels, a ticking timer, an animation); a click on the
// picture counts, Space plays the animation, Esc quits, a press on the background drags the
// window. It runs headless for scripts and screenshots like every program on this layer.

#include "platform/host/ProgramHost.h"
#include "tools/demo/DemoForm.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    platform::HostOptions options;
    try {
        options = platform::TakeHostOptions(args);
    } catch (const platform::HostOptionError& e) {
        std::cerr << "torvademo: " << e.what() << "\n";
        return 1;
    }
    if (!args.empty()) {
        std::cerr << "torvademo: unknown argument '" << args.front() << "'\nusage: torvademo [options]\n"
                  << platform::HostOptionsUsage();
        return 1;
    }
    platform::ProgramHost host(options, std::cerr);
    if (!host.Ready())
        return 1;
    try {
        platform::Application().SetTitle("Torva demo");
        auto* form = new TDemoForm(&platform::Application(), host.NewWindow());
        platform::Application().SetMainForm(form);
        int status = host.Run(*form, std::cout, std::cerr);
        delete form;
        return status;
    } catch (const std::exception& e) {
        std::cerr << "torvademo: " << e.what() << "\n";
        return 1;
    }
}
