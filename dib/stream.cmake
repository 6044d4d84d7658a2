# The byte-level codecs (LZH, run-length) stand alone; the stream format of the surfaces, the
# compressor registry and the import/export formats build on them and on the surfaces.
torva_library(dib_codecs
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DIBStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LzhCodec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LzhEncoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBCompressorBase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBStandardCompressors.cpp)
torva_library(dib_stream
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cDIBCompressor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cDIBFormat.cpp
  DEPS dib_codecs dib_surface platform_text)
