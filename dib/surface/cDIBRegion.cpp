#include "dib/surface/cDIB.h"

std::vector<TRect> TAbstractSuperDIB::BuildRegion(TColor color) const
{
    std::vector<TRect> runs;
    if (!m_bits)
        return runs;
    const uint32_t key = SwapRedBlue(static_cast<uint32_t>(DIBColorToRGB(color))) & 0x00FFFFFFu;
    for (int y = 0; y < m_height; ++y) {
        const uint32_t* line = ScanLine(y);
        int x = 0;
        while (x < m_width) {
            if ((line[x] & 0x00FFFFFFu) == key) {
                ++x;
                continue;
            }
            const int first = x;
            while (x < m_width && (line[x] & 0x00FFFFFFu) != key)
                ++x;
            // A lone pixel makes no rectangle: that is how every stored window shape was cut.
            if (x - 1 > first)
                runs.push_back({ first, y, x, y + 1 });
        }
    }
    return runs;
}
