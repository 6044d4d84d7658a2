# Programs built by this project that the sample disc carries (setups, uninstallers, games).
# Each call records "target=disc path"; the disc assembly in tools/ copies every recorded
# program to its place on the disc once all folders are configured, so the order of folders
# does not matter. The disc path uses forward slashes, relative to the disc's root
# (for example DEMOS/RALLY/SETUP.EXE).
function(torva_disc_program target disc_path)
  set_property(GLOBAL APPEND PROPERTY TORVA_DISC_PROGRAMS "${target}=${disc_path}")
endfunction()

# Files made by a custom target (the Windows items) that the sample disc carries: "target|file=disc path".
function(torva_disc_file target file disc_path)
  set_property(GLOBAL APPEND PROPERTY TORVA_DISC_FILES "${target}|${file}=${disc_path}")
endfunction()

# The disc's Windows items (tools/samplesetups/windows) are built from source when the tools for
# them are there: makensis for setups, wixl for an installer package, MinGW-w64 for 32-bit
# programs. Without them the disc carries its native items only.
option(TORVA_SAMPLE_WINDOWS "Build the sample disc's Windows items where their tools are" ON)
find_program(TORVA_MAKENSIS makensis)
find_program(TORVA_WIXL wixl)
find_program(TORVA_MINGW_CC i686-w64-mingw32-gcc)
if(TORVA_SAMPLE_WINDOWS AND TORVA_MAKENSIS AND TORVA_WIXL AND TORVA_MINGW_CC)
  set(TORVA_SAMPLE_WINDOWS_ITEMS ON)
  # Catalogue sections of the Windows items, laid over the disc's catalogue.
  set(TORVA_SAMPLE_WINDOWS_CATALOGUE "${CMAKE_SOURCE_DIR}/tools/samplesetups/windows/catalogue.ini")
else()
  set(TORVA_SAMPLE_WINDOWS_ITEMS OFF)
  set(TORVA_SAMPLE_WINDOWS_CATALOGUE "")
  message(STATUS "The sample disc has no Windows items: switched off, or makensis (nsis), wixl or i686-w64-mingw32-gcc is missing")
endif()

# Where the build puts the sample disc (tools/sampledisc), the menu's disc when none is given.
set(TORVA_SAMPLE_DISC_DIR "${CMAKE_BINARY_DIR}/sample-disc")
