// "torvatool lzh": the bare LZH codec (4-byte length, then the code).

#include "dib/stream/LzhCodec.h"
#include "tools/torvatool/Command.h"

#include <ostream>

namespace torvatool {

std::vector<uint8_t> ReadToolFile(const std::string& path);
void WriteToolFile(const std::string& path, std::span<const uint8_t> bytes);

static int RunLzh(Arguments& args, std::ostream& out)
{
    const std::string usage = "lzh compress|decompress IN OUT";
    auto& words = args.Positional(3, 3, usage);
    if (words[0] != "compress" && words[0] != "decompress")
        throw ToolError("usage: " + usage);
    const std::vector<uint8_t> input = ReadToolFile(words[1]);
    std::vector<uint8_t> output;
    try {
        output = words[0] == "compress" ? lzh::Encode(input) : lzh::Decode(input);
    } catch (const ElzhException& error) {
        throw ToolError(words[1] + ": " + error.what());
    }
    WriteToolFile(words[2], output);
    out << input.size() << " -> " << output.size() << " bytes\n";
    return 0;
}

static CommandRegistration registration({ "lzh", "lzh compress|decompress IN OUT   the LZH codec of the DIB envelopes", RunLzh });

}
