# Units cDIBControl and cDIBPanel: the windowless DIB control base and the container that
# composes its children off screen. cDIBFeatures.h holds the collections a control owns.
torva_library(dib_control
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cDIBControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBPanel.cpp
  DEPS dib_surface dib_imagelist platform_components platform_canvas)
