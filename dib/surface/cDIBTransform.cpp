#include "dib/surface/cDIB.h"

#include <cmath>
#include <numbers>

namespace {

// 256 times the sine and cosine of each whole degree, and of the degree plus a right angle.
struct RotationTables {
    int sinTable[360];
    int cosTable[360];
    int sin90Table[360];
    int cos90Table[360];
};

int RoundHalfEven(long double value)
{
    return static_cast<int>(std::nearbyintl(value));
}

RotationTables BuildRotationTables()
{
    RotationTables tables {};
    constexpr long double degree = std::numbers::pi_v<long double> / 180;
    for (int d = 0; d < 360; ++d) {
        tables.sinTable[d] = RoundHalfEven(256 * std::sin(d * degree));
        tables.cosTable[d] = RoundHalfEven(256 * std::cos(d * degree));
        tables.sin90Table[d] = RoundHalfEven(256 * std::sin((d + 90) * degree));
        tables.cos90Table[d] = RoundHalfEven(256 * std::cos((d + 90) * degree));
    }
    return tables;
}

const RotationTables rotationTables = BuildRotationTables();

// Steps beyond this are past any source surface anyway; the bound keeps tiny scales from
// overflowing the walk.
constexpr double MaxStep = 1 << 30;

int64_t Step(int tableValue, double scale)
{
    const double step = std::clamp(tableValue / scale, -MaxStep, MaxStep);
    return static_cast<int64_t>(std::nearbyint(step));
}

bool ShowsAnything(int width, int height, double sx, double sy)
{
    return std::isfinite(sx) && std::isfinite(sy) && width * sx != 0 && height * sy != 0;
}

int BoxSide(long double value)
{
    const long double rounded = std::nearbyintl(value);
    return rounded <= TAbstractSuperDIB::MaxDimension ? static_cast<int>(rounded) : TAbstractSuperDIB::MaxDimension + 1;
}

}

TSize DIBTransformedBox(int width, int height, TAngle angle, double scaleX, double scaleY)
{
    const long double theta = angle * std::numbers::pi_v<long double> / 180;
    const long double scaledWidth = scaleX * width / 100.0L;
    const long double scaledHeight = scaleY * height / 100.0L;
    const long double c = std::cos(theta), s = std::sin(theta);
    return { BoxSide(std::fabs(c * scaledWidth) + std::fabs(s * scaledHeight)),
        BoxSide(std::fabs(s * scaledWidth) + std::fabs(c * scaledHeight)) };
}

void TAbstractSuperDIB::RenderTransformed(TAbstractSuperDIB& dest) const
{
    if (!m_bits || !dest.Bits())
        return;
    const uint32_t fill = m_masked ? 0 : TransparentColor();
    const double sx = m_scaleX / 100;
    const double sy = m_scaleY / 100;
    if (!ShowsAnything(m_width, m_height, sx, sy))
        return;
    const int angle = m_angle % 360;
    const int64_t ux = Step(rotationTables.cosTable[angle], sx);
    const int64_t uy = Step(rotationTables.sinTable[angle], sy);
    const int64_t vx = Step(rotationTables.cos90Table[angle], sx);
    const int64_t vy = Step(rotationTables.sin90Table[angle], sy);
    const int destWidth = dest.Width();
    const int destHeight = dest.Height();
    const int64_t halfDestWidth = destWidth / 2;
    const int64_t halfDestHeight = destHeight / 2;
    const int64_t halfWidth = m_width / 2;
    const int64_t halfHeight = m_height / 2;
    int64_t rowX = -ux * halfDestWidth - halfDestHeight * vx;
    int64_t rowY = -uy * halfDestWidth - halfDestHeight * vy;
    uint32_t* out = dest.Bits();
    for (int j = 0; j < destHeight; ++j) {
        int64_t xa = rowX;
        int64_t ya = rowY;
        for (int i = 0; i < destWidth; ++i) {
            const int64_t px = xa / 256;
            const int64_t py = ya / 256;
            const bool inside = -halfHeight < py && py < halfHeight && -halfWidth < px && px < halfWidth;
            *out++ = inside ? m_bits[(halfHeight + py) * m_width + (halfWidth + px)] : fill;
            xa += ux;
            ya += uy;
        }
        rowX += vx;
        rowY += vy;
    }
    dest.Changed();
}

void TAbstractSuperDIB::DrawTransformed(int x, int y, int width, int height, TAbstractSuperDIB& dest)
{
    // A box of no pixels shows nothing; it must not become a huge one. A scale that leaves no
    // picture shows nothing either, rather than the empty temporary's black.
    if (width < 1 || height < 1 || !ShowsAnything(m_width, m_height, m_scaleX / 100, m_scaleY / 100))
        return;
    const TSize boxSize = m_autoSize ? DIBTransformedBox(width, height, m_angle, m_scaleX, m_scaleY) : TSize { width, height };
    TWinDIB temporary(boxSize.cx, boxSize.cy);
    TAbstractSuperDIB& box = temporary;
    RenderTransformed(box);
    box.SetMasked(m_masked);
    box.SetOpacity(m_opacity);
    if (m_transparent) {
        box.SetTransparent(true);
        box.SetTransparentMode(tmFixed);
        box.m_transparentKey = TransparentColor();
    }
    box.m_drawProc = m_drawProc;
    box.Draw(x, y, box.Width(), box.Height(), dest, 0, 0);
}
