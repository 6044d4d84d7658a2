#pragma once

// Where things lie, in the coordinates of the picture they are drawn into: the window (818 x
// 741) or the screen container (638 x 482, at 85, 173 in the window). The control positions
// are the form's.

namespace artwork::geometry {

inline constexpr int ScreenX = 85, ScreenY = 173, ScreenW = 638, ScreenH = 482;

// Screen coordinates.
inline constexpr int ListX0 = 56, ListY0 = 36, ListX1 = 222, ListY1 = 386; // 166 x 350
inline constexpr int ColumnX0 = 532, ColumnY0 = 50, ColumnX1 = 624, ColumnY1 = 398;
inline constexpr int SectionsX = 540, SectionsY = 54; // 74 x 340
inline constexpr int RailX0 = 515, RailX1 = 530;
inline constexpr int UpperRailY0 = 8, UpperRailY1 = 214, LowerRailY0 = 268, LowerRailY1 = 390;

struct Place {
    int x, y, w, h;
};
inline constexpr Place PicFrame { 221, 59, 265, 213 };
inline constexpr Place Picture { 226, 64, 243, 151 };

}

namespace artwork::palette {

inline constexpr unsigned Cyan = 0x38E0FF;
inline constexpr unsigned Orange = 0xFF8A1E;
inline constexpr unsigned SteelDark = 0x232A33;
inline constexpr unsigned Steel = 0x48525F;
inline constexpr unsigned SteelLight = 0x7A8694;
inline constexpr unsigned ScreenDeep = 0x0A121C;
inline constexpr unsigned ScreenMid = 0x142234;
// The icon column is one flat colour, so opaque icons sliding over it leave no trace.
inline constexpr unsigned Column = 0x0F1824;
inline constexpr unsigned Rail = 0x070B11;
inline constexpr unsigned Plate = 0xC6CDD5;
inline constexpr unsigned PlateDark = 0xAFB8C2;
inline constexpr unsigned Card = 0x1B2531;

}
