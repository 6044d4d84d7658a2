// "torvatool text": conversions between the system's code page and UTF-8, for disc authors
// who edit catalogues in a UTF-8 editor.

#include "platform/text/Codepage.h"
#include "tools/torvatool/Command.h"

#include <fstream>
#include <iterator>
#include <ostream>

namespace torvatool {

static std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ToolError("cannot open " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

static int RunText(Arguments& args, std::ostream& out)
{
    const std::string usage = "text to-utf8|from-utf8 FILE";
    auto& words = args.Positional(2, 2, usage);
    std::string content = ReadWhole(words[1]);
    if (words[0] == "to-utf8")
        out << platform::Cp1250ToUtf8(content);
    else if (words[0] == "from-utf8")
        out << platform::Utf8ToCp1250(content);
    else
        throw ToolError("usage: " + usage);
    return 0;
}

static CommandRegistration registration({ "text", "text to-utf8|from-utf8 FILE   convert a file between code page 1250 and UTF-8", RunText });

}
