# Makes the sample shelf from the variant trees: images as their authors made them, with the
# mastering tools' defaults (xorriso as the sample disc's image, genisoimage with Rock Ridge
# and Joliet), a .bin/.cue of raw sectors, a disc folder, the sample disc's own images, one
# image cut short, an image of another disc without the catalogue and a file that is no disc.
# cmake -DTREES=... -DSHELF=... -DSAMPLE_IMAGES=... -DRAWBIN=... [-DXORRISO=...] [-DGENISOIMAGE=...] -P MakeSampleShelf.cmake
file(REMOVE_RECURSE ${SHELF})
file(MAKE_DIRECTORY ${SHELF} ${TREES}/images)

function(make_iso tree iso)
  # xorriso adds to an image that is there instead of replacing it.
  file(REMOVE ${iso})
  if(XORRISO)
    execute_process(COMMAND ${XORRISO} -report_about FAILURE -outdev ${iso} -rockridge off -joliet on
      -compliance joliet_long_names -volid "Torva CD v2" -map ${tree} / RESULT_VARIABLE failed)
  else()
    execute_process(COMMAND ${GENISOIMAGE} -quiet -J -joliet-long -V "Torva CD v2" -o ${iso} ${tree} RESULT_VARIABLE failed)
  endif()
  if(failed)
    message(FATAL_ERROR "Could not make ${iso}")
  endif()
endfunction()

# The sample disc itself, as the ISO and the .bin/.cue the build made of it.
file(CREATE_LINK ${SAMPLE_IMAGES}/torva.iso "${SHELF}/Torva 12-2006.iso")
file(MAKE_DIRECTORY "${SHELF}/Torva 12-2006 (bin)")
file(CREATE_LINK ${SAMPLE_IMAGES}/torva.cue "${SHELF}/Torva 12-2006 (bin)/torva.cue")
file(CREATE_LINK "${SAMPLE_IMAGES}/torva (track 1).bin" "${SHELF}/Torva 12-2006 (bin)/torva (track 1).bin")

make_iso(${TREES}/0206 "${SHELF}/Torva 02-2006.iso")

make_iso(${TREES}/0506 ${TREES}/images/0506.iso)
execute_process(COMMAND ${RAWBIN} ${TREES}/images/0506.iso "${SHELF}/Torva 05-2006 (track 1).bin" "${SHELF}/Torva 05-2006.cue" mode1
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Could not make the .bin/.cue of 05-2006")
endif()

if(GENISOIMAGE)
  execute_process(COMMAND ${GENISOIMAGE} -quiet -J -R -V "TORVA_1105" -o "${SHELF}/Torva 11-2005.iso" ${TREES}/1105 RESULT_VARIABLE failed)
else()
  execute_process(COMMAND ${XORRISO} -report_about FAILURE -outdev "${SHELF}/Torva 11-2005.iso" -joliet on -volid "TORVA_1105"
    -map ${TREES}/1105 / RESULT_VARIABLE failed)
endif()
if(failed)
  message(FATAL_ERROR "Could not make Torva 11-2005.iso")
endif()

file(COPY ${TREES}/0307/ DESTINATION "${SHELF}/Torva 03-2007")

# Cut after its volume descriptors, before its folders: as a download that stopped.
make_iso(${TREES}/0706 "${SHELF}/Torva 07-2006.iso")
execute_process(COMMAND truncate -s 40960 "${SHELF}/Torva 07-2006.iso" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Could not cut Torva 07-2006.iso")
endif()

# Another magazine's disc, without the menu's catalogue.
make_iso(${TREES}/0206/Updates "${SHELF}/Patches 2006.iso")

file(WRITE "${SHELF}/notes.txt" "Torva 2005-2007\n")
