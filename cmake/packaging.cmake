# Installation of the Linux programs (GNUInstallDirs) and the Debian package
# that CPack makes of it: quillon, quillon-gui, their manual pages, the desktop
# entry and AppStream metadata, the icons, the bash completion and the docs
# (the catalogues of translations are installed by po/).
include(GNUInstallDirs)

set(QUILLON_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillon)
set(generated ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${generated})

# Compressed without a name or time stamp, so the same page gives the same bytes.
function(quillon_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${source} ${output}
    DEPENDS ${source} VERBATIM)
endfunction()

set(QUILLON_GENERATED)
foreach(page quillon quillon-gui)
  quillon_gzip(${CMAKE_SOURCE_DIR}/man/${page}.1 ${generated}/${page}.1.gz)
  list(APPEND QUILLON_GENERATED ${generated}/${page}.1.gz)
endforeach()
quillon_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${generated}/changelog.gz)
list(APPEND QUILLON_GENERATED ${generated}/changelog.gz)
# The icon: at 16 and 32 pixels res/app.ico itself; from 48 pixels up (menus,
# software centres) and scalable, the same design in vectors.
foreach(size 16 32)
  add_custom_command(OUTPUT ${generated}/quillon-${size}.png
    COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/ico-to-png.py ${CMAKE_SOURCE_DIR}/res/app.ico ${size}
            ${generated}/quillon-${size}.png
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/ico-to-png.py ${CMAKE_SOURCE_DIR}/res/app.ico VERBATIM)
endforeach()
find_program(QUILLON_RSVG_CONVERT rsvg-convert REQUIRED)
add_custom_command(OUTPUT ${generated}/quillon.svg
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/make-svg-icon.py ${generated}/quillon.svg
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-svg-icon.py ${CMAKE_SOURCE_DIR}/tools/make-icon.py VERBATIM)
list(APPEND QUILLON_GENERATED ${generated}/quillon.svg)
foreach(size 48 64 128 256)
  add_custom_command(OUTPUT ${generated}/quillon-${size}.png
    COMMAND ${QUILLON_RSVG_CONVERT} --width=${size} --height=${size} --output=${generated}/quillon-${size}.png
            ${generated}/quillon.svg
    DEPENDS ${generated}/quillon.svg VERBATIM)
endforeach()
foreach(size 16 32 48 64 128 256)
  list(APPEND QUILLON_GENERATED ${generated}/quillon-${size}.png)
  install(FILES ${generated}/quillon-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps RENAME quillon.png)
endforeach()
install(FILES ${generated}/quillon.svg DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
add_custom_target(quillon_packaging_files ALL DEPENDS ${QUILLON_GENERATED})

install(TARGETS quillon quillon-gui RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${generated}/quillon.1.gz ${generated}/quillon-gui.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/quillon.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/com.ombrix.quillon.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quillon.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME quillon)
# The README with the pictures it shows and the pages it links, at the same
# relative paths; its licence is the package's copyright file.
file(READ ${CMAKE_SOURCE_DIR}/README.md readme)
string(REPLACE "[LICENSE](LICENSE)" "[copyright](copyright)" readme "${readme}")
file(WRITE ${generated}/README.md "${readme}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/README.md)
install(FILES ${generated}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright ${generated}/changelog.gz
  DESTINATION ${QUILLON_DOC_DIR})
string(REGEX MATCHALL "\\(docs/[^)]+\\)" readme_links "${readme}")
foreach(link ${readme_links})
  string(REGEX REPLACE "^\\((.*)\\)$" "\\1" target "${link}")
  install(FILES ${CMAKE_SOURCE_DIR}/${target} DESTINATION ${QUILLON_DOC_DIR}/docs)
endforeach()

# The Debian package. Directories are made 0755 whatever the umask of the
# machine that builds it.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR Ombrix)
set(CPACK_PACKAGE_CONTACT "Ombrix <quillon@ombrix.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rename MP3 files after the title and artist in their ID3 tags")
# The summary line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillon renames each MP3 file in its own folder after the song title and
artist in its ID3v1 or ID3v2 tag: to the title alone, to title and artist,
or to artist and title. Nothing but the file's name is changed, an existing
file is never replaced, and every file gets one outcome line.
.
The package holds two programs: quillon, for the command line, with a dry
run and an undo of the last run's renames; and quillon-gui, a small Qt
window that renames the files dropped on it from a file manager.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The log lines and the dialog are Japanese in a Japanese locale, and
# Japanese tags give Japanese file names in any: on a desktop with no CJK font
# they would be rows of boxes.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
