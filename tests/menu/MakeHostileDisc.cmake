# A copy of the sample disc whose legion demo carries hostile clean-up instructions besides its
# own, and a fresh prefix laid with what they aim at: the user's documents, another game with its
# records and uninstall entry, Wine's Z: drive for the whole host and Windows' own keys.
#   cmake -DSAMPLE=<sample disc> -DDISC=<folder to make> -DPREFIX=<prefix> -DTOOL=<torvatool>
#         -P MakeHostileDisc.cmake

cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${SAMPLE}/Torva/torvaxp.ini")
  message(FATAL_ERROR "MakeHostileDisc.cmake needs the built sample disc, not found at ${SAMPLE}")
endif()
file(REMOVE_RECURSE "${DISC}" "${PREFIX}")
get_filename_component(parent "${DISC}" DIRECTORY)
file(MAKE_DIRECTORY "${parent}")
file(COPY "${SAMPLE}/" DESTINATION "${DISC}")

function(tool)
  execute_process(COMMAND "${TOOL}" ${ARGN} --prefix "${PREFIX}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "torvatool ${ARGN} failed")
  endif()
endfunction()
# The prefix as the menu makes it, then Windows' own keys and the other game's entry.
foreach(key "HKLM\\System\\CurrentControlSet\\Control" "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion"
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Jina"
            "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer" "HKCU\\Control Panel\\Desktop")
  tool(reg set "${key}" Canary x)
endforeach()
file(CREATE_LINK "/" "${PREFIX}/dosdevices/z:" SYMBOLIC)

set(c "${PREFIX}/drive_c")
file(WRITE "${c}/users/Public/Documents/doc.txt" "the user's work")
file(GLOB profiles "${c}/users/*")
foreach(profile IN LISTS profiles)
  file(WRITE "${profile}/Documents/doc.txt" "the user's work")
endforeach()
file(WRITE "${c}/Hry/Jina/jina.exe" "another game")
file(WRITE "${c}/windows/torva.ini" "[Main]\r\nLanguage=1\r\n[CD0199]\r\nJINA=C:\\Hry\\Jina\r\nJINA_=jina.exe,Jina,,\r\n")

# Wine's Z: reaches the prefix's own files by their host path.
string(REPLACE "/" "\\" onZ "Z:${PREFIX}")
set(hostile
  "SN..\\..\\..\\Public\\Documents" "SN..\\..\\.." "SN..\\..\\..\\.."
  "F${onZ}\\system.reg" "F${onZ}\\user.reg" "D${onZ}\\dosdevices" "D${onZ}"
  "FWtorva.ini" "FW..\\users\\Public\\Documents\\doc.txt" "FC:\\users\\Public\\Documents\\doc.txt"
  "DC:\\users\\Public\\Documents" "DG.." "DC:\\Hry\\Jina" "FC:\\Hry\\Jina\\jina.exe" "FG..\\Jina\\jina.exe"
  "RMD\\System\\CurrentControlSet" "RMDSoftware\\Microsoft\\Windows NT\\CurrentVersion"
  "RMDSoftware\\Wow6432Node\\Microsoft" "RMD\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
  "RUD\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer" "RUDControl Panel\\Desktop"
  "RMD\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Jina"
  "FGLEGIE.CFG")
list(JOIN hostile "," uninstall)
file(READ "${DISC}/Torva/torvaxp.ini" catalogue)
string(FIND "${catalogue}" "Uninstall=FGLEGIE.CFG" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the sample catalogue no longer has the legion demo's clean-up line")
endif()
string(REPLACE "Uninstall=FGLEGIE.CFG" "Uninstall=${uninstall}" catalogue "${catalogue}")
file(WRITE "${DISC}/Torva/torvaxp.ini" "${catalogue}")
