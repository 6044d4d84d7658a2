# Units cDIBImageList, cDIBTimer and cDIBFormShaper: image lists with their links, the DIB
# timer and the window shaper.
torva_library(dib_imagelist
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cDIBImageList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBTimer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBFormShaper.cpp
  DEPS dib_surface platform_events platform_components)
