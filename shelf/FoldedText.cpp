#include "shelf/FoldedText.h"

#include "platform/text/Codepage.h"

#include <array>

namespace shelf {

namespace {

// The accented letters of code page 1250 by the base letter they fold to, small and capital.
struct Folding {
    char base;
    const char* letters; // UTF-8
};
constexpr Folding Foldings[] = {
    { 'a', "áäâăąÁÄÂĂĄ" },
    { 'c', "čćçČĆÇ" },
    { 'd', "ďđĎĐ" },
    { 'e', "éěëęÉĚËĘ" },
    { 'i', "íîÍÎ" },
    { 'l', "ĺľłĹĽŁ" },
    { 'n', "ňńŇŃ" },
    { 'o', "óôöőÓÔÖŐ" },
    { 'r', "řŕŘŔ" },
    { 's', "šśşŠŚŞ" },
    { 't', "ťţŤŢ" },
    { 'u', "úůüűÚŮÜŰ" },
    { 'y', "ýÝ" },
    { 'z', "žźżŽŹŻ" },
};

std::array<char, 256> MakeTable()
{
    std::array<char, 256> table {};
    for (int byte = 0; byte < 256; ++byte)
        table[static_cast<size_t>(byte)] = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
    for (const Folding& folding : Foldings)
        for (char32_t letter : platform::Utf8ToCodePoints(folding.letters))
            if (int byte = platform::CodePointToCp1250(letter); byte >= 0)
                table[static_cast<size_t>(byte)] = folding.base;
    return table;
}

}

const std::array<char, 256>& SearchFolding()
{
    static const std::array<char, 256> table = MakeTable();
    return table;
}

std::string FoldForSearch(std::string_view cp1250)
{
    const std::array<char, 256>& table = SearchFolding();
    std::string folded(cp1250.size(), '\0');
    for (size_t i = 0; i < cp1250.size(); ++i)
        folded[i] = table[static_cast<unsigned char>(cp1250[i])];
    return folded;
}

}
