# Builds the small disc the list, detail and viewer scripts run on, with a fresh prefix: its own
# catalogue, with picture series, small pictures and fonts taken from the sample disc.
#   cmake -DSAMPLE=<sample disc> -DDISC=<folder to make> -DPREFIX=<prefix> -P MakePictureDisc.cmake

cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${SAMPLE}/Torva/torvaxp.ini")
  message(FATAL_ERROR "MakePictureDisc.cmake needs the built sample disc, not found at ${SAMPLE}")
endif()
file(REMOVE_RECURSE "${DISC}" "${PREFIX}")
file(MAKE_DIRECTORY "${DISC}/Torva/Small")
file(WRITE "${DISC}/TORVA.EXE" "marker")

set(from "${SAMPLE}/Torva")
file(COPY "${from}/bb.jpg" "${from}/bc.jpg" DESTINATION "${DISC}/Torva")
foreach(series hrad tapety podzemi)
  file(GLOB pictures "${from}/${series}[0-9][0-9].jpg")
  file(COPY ${pictures} DESTINATION "${DISC}/Torva")
  file(COPY "${from}/Small/${series}01.bmp" DESTINATION "${DISC}/Torva/Small")
endforeach()
# A plain small picture without a series.
file(COPY "${from}/Small/formule.bmp" DESTINATION "${DISC}/Torva/Small")

# 25 demos named AHRA1 to YHRA25, so that a letter key finds demo n by its first letter.
set(text "[Main]\r\nCD=0206\r\nCDLabel=Test\r\nVersion=1\r\nDemos=25\r\nExtra=1\r\nShots=1\r\n")
string(APPEND text "[Demo1]\r\nName=AHRA1\r\nPicture=hrad\r\nFlags=12\r\nInstallType=1\r\nGamename=hra.exe\r\nWeb=www.example.cz\r\n")
string(APPEND text "[Demo2]\r\nName=BHRA2\r\nPicture=formule\r\nFlags=4\r\n")
set(letters C D E F G H I J K L M N O P Q R S T U V W X Y)
set(n 3)
foreach(letter IN LISTS letters)
  string(APPEND text "[Demo${n}]\r\nName=${letter}HRA${n}\r\nPicture=NUL\r\n")
  math(EXPR n "${n} + 1")
endforeach()
string(APPEND text "[Extra1]\r\nName=TAPETY\r\nInstallType=1\r\nPicture=tapety\r\n")
string(APPEND text "[Shot1]\r\nName=PODZEMI\r\nPicture=podzemi\r\n")
file(WRITE "${DISC}/Torva/torvaxp.ini" "${text}")
