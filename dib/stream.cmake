# Stream format of the surfaces, the compressors of its envelope (with the LZH codec) and the
# import/export picture formats.
torva_library(dib_stream
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DIBStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LzhCodec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBCompressor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBStandardCompressors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBFormat.cpp
  DEPS dib_surface platform_text)
