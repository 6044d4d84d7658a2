# Programs built by this project that the sample disc carries (setups, uninstallers, games).
# Each call records "target=disc path"; the disc assembly in tools/ copies every recorded
# program to its place on the disc once all folders are configured, so the order of folders
# does not matter. The disc path uses forward slashes, relative to the disc's root
# (for example DEMOS/RALLY/SETUP.EXE).
function(torva_disc_program target disc_path)
  set_property(GLOBAL APPEND PROPERTY TORVA_DISC_PROGRAMS "${target}=${disc_path}")
endfunction()

# Where the build puts the sample disc (tools/sampledisc), the menu's disc when none is given.
set(TORVA_SAMPLE_DISC_DIR "${CMAKE_BINARY_DIR}/sample-disc")
