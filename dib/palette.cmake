# Units cDIBPalette and cDIBBorder: the palette for 8-bit displays with its lookup table, and
# the frame a container draws around its controls.
torva_library(dib_palette
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cDIBPalette.cpp
  DEPS dib_surface platform_components)
torva_library(dib_border
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cDIBBorder.cpp
  DEPS dib_control dib_imagelist dib_surface)
# Unit DIB: the bitmap graphic class, its file-format registration and the clipboard reader.
torva_library(dib_graphic
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DIB.cpp
  DEPS dib_surface platform_picture platform_components)
