# Units cDIBImage and cDIBFadeLabel: the picture control and the fading text label.
torva_library(dib_image
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cDIBImage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBFadeLabel.cpp
  DEPS dib_control dib_imagelist platform_components platform_canvas)
