// "torvatool ini": the private-profile functions on a host file, for disc authors and tests.
// Arguments are UTF-8 and become code page 1250 as the menu stores them; values print as UTF-8.

#include "platform/ini/ProfileFile.h"
#include "platform/text/Codepage.h"
#include "tools/torvatool/Command.h"

#include <filesystem>
#include <ostream>

namespace torvatool {

namespace {

const std::string kUsage = "ini get FILE SECTION KEY [DEFAULT] | ini set FILE SECTION KEY VALUE | "
                           "ini delete FILE SECTION [KEY] | ini sections FILE | ini keys FILE SECTION";

std::string Cp(const std::string& utf8)
{
    return platform::Utf8ToCp1250(utf8);
}

std::filesystem::path ExistingFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw ToolError("no such file " + path);
    return path;
}

int RunIni(Arguments& args, std::ostream& out)
{
    auto& words = args.Positional(2, 5, kUsage);
    const std::string& verb = words[0];
    const std::string& file = words[1];
    auto need = [&](size_t min, size_t max) {
        if (words.size() < min || words.size() > max)
            throw ToolError("usage: " + kUsage);
    };

    if (verb == "get") {
        need(4, 5);
        auto document = platform::LoadProfile(ExistingFile(file));
        auto value = document->Value(Cp(words[2]), Cp(words[3]));
        if (!value && words.size() < 5)
            throw ToolError("no key " + words[3] + " in [" + words[2] + "] of " + file);
        out << platform::Cp1250ToUtf8(platform::ReadProfileString(file, Cp(words[2]), Cp(words[3]), words.size() == 5 ? Cp(words[4]) : ""))
            << "\n";
        return 0;
    }
    if (verb == "set") {
        need(5, 5);
        if (!platform::WriteProfileString(file, Cp(words[2]), Cp(words[3]), Cp(words[4])))
            throw ToolError("cannot write " + file + " (folder missing, file read-only, or a name or value with a line break)");
        return 0;
    }
    if (verb == "delete") {
        need(3, 4);
        std::optional<std::string> key;
        if (words.size() == 4)
            key = Cp(words[3]);
        if (!platform::WriteProfileString(file, Cp(words[2]), key, std::nullopt))
            throw ToolError("cannot write " + file);
        return 0;
    }
    if (verb == "sections") {
        need(2, 2);
        for (const std::string& name : platform::ReadProfileSectionNames(ExistingFile(file)))
            out << platform::Cp1250ToUtf8(name) << "\n";
        return 0;
    }
    if (verb == "keys") {
        need(3, 3);
        for (const std::string& name : platform::ReadProfileKeyNames(ExistingFile(file), Cp(words[2])))
            out << platform::Cp1250ToUtf8(name) << "\n";
        return 0;
    }
    throw ToolError("usage: " + kUsage);
}

CommandRegistration registration({ "ini", kUsage, RunIni });

}

}
