# After the hostile uninstallation: the legion demo is gone, and nothing its hostile clean-up
# aimed at is.
#   cmake -DPREFIX=<prefix> -DTOOL=<torvatool> -P CheckHostileCleanup.cmake

cmake_minimum_required(VERSION 3.25)
set(c "${PREFIX}/drive_c")
foreach(kept "${c}/users/Public/Documents/doc.txt" "${c}/Hry/Jina/jina.exe" "${c}/windows/torva.ini"
             "${PREFIX}/system.reg" "${PREFIX}/user.reg" "${PREFIX}/dosdevices/c:")
  if(NOT EXISTS "${kept}")
    message(FATAL_ERROR "the clean-up took ${kept}")
  endif()
endforeach()
file(GLOB profiles LIST_DIRECTORIES true "${c}/users/*")
foreach(profile IN LISTS profiles)
  if(EXISTS "${profile}/Documents" AND NOT EXISTS "${profile}/Documents/doc.txt")
    message(FATAL_ERROR "the clean-up took ${profile}/Documents/doc.txt")
  endif()
endforeach()
file(READ "${c}/windows/torva.ini" state)
string(FIND "${state}" "JINA_=jina.exe,Jina" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the other game's records are gone from torva.ini")
endif()
foreach(key "HKLM\\System\\CurrentControlSet\\Control" "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion"
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Jina"
            "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer" "HKCU\\Control Panel\\Desktop")
  execute_process(COMMAND "${TOOL}" reg query "${key}" Canary --prefix "${PREFIX}" RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the clean-up took ${key}")
  endif()
endforeach()
# The demo's own instructions still did their work.
file(GLOB legion "${c}/Hry/Ocel*")
if(legion)
  file(GLOB_RECURSE left "${c}/Hry/Ocel*/*")
  message(FATAL_ERROR "the legion demo's files are still there: ${legion} ${left}")
endif()
