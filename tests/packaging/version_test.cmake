# Every page and file that states the version states the one project() gives.
# Usage: cmake -DVERSION=x.y -DSOURCE=dir -P version_test.cmake
set(expect
  "man/quillon.1|\"Quillon ${VERSION}\""
  "man/quillon-gui.1|\"Quillon ${VERSION}\""
  "desktop/com.ombrix.quillon.metainfo.xml|<release version=\"${VERSION}\""
  "packaging/changelog|quillon (${VERSION})"
  "packaging/README-windows.txt|Quillon Ver.${VERSION} for Windows"
  "README.md|quillon_${VERSION}_amd64.deb")
set(failed 0)
foreach(row IN LISTS expect)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 file)
  list(GET row 1 text)
  file(READ ${SOURCE}/${file} content)
  string(FIND "${content}" "${text}" at)
  if(at EQUAL -1)
    message("FAIL: ${file} does not say ${text}")
    set(failed 1)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "the version ${VERSION} is not stated everywhere")
endif()
