#pragma once

// The pictures of the menu, drawn procedurally. Every control picture that sits at a fixed
// place on the screen is cut from the screen background it covers and drawn on, so covers,
// buttons and their lit states join their surroundings without a seam.

#include "platform/window/BoxArt.h"
#include "resources/ArtworkNames.h"
#include "tools/artwork/Raster.h"

#include <cstdint>
#include <string>
#include <vector>

namespace artwork {

// The faces the artwork's own lettering uses (found through fontconfig at build time).
inline const std::string LetteringFace = "Play";

struct NamedRaster {
    std::string resource;
    Raster raster;
};

// The window's outline: negative inside the window, positive where it is cut away.
Sdf WindowShape();
// True where the window shows (the shape bitmap's black pixels).
bool InsideWindow(int x, int y);

Raster WindowBackground();
Raster ScreenBackground();

// Every plain bitmap control of the form that lies on the screen (all but Image4, Image14 and
// Image15), in the order of FormPictures.
std::vector<NamedRaster> ScreenControls(const Raster& screen);
// The connect button, to be stored as JPEG.
Raster ConnectButton(const Raster& screen);
// The 31 images of the first image list, by index.
std::vector<Raster> ImageList1Pictures(const Raster& screen);
// A category icon by its image-list index (2..11, 21..28); lit or not is in the index.
Raster CategoryIcon(int index);

// The program's boxes: the frame and the button's three states, under their BoxArt.h names.
std::vector<NamedRaster> BoxPictures();
// The shelf window's pictures, under their ShelfArt.h names.
std::vector<NamedRaster> ShelfPictures();

// The side animation of one player: frames over the background under it, the last one the
// background itself.
std::vector<uint8_t> SideClip(const Raster& background, const ClipEntry& clip);

}
