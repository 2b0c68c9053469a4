# Installation of the Linux programs (GNUInstallDirs) and the Debian package
# that CPack makes of it: quillon, quillon-gui, their manual pages, the desktop
# entry and AppStream metadata, the icon, the bash completion and the docs.
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
foreach(size 16 32)
  add_custom_command(OUTPUT ${generated}/quillon-${size}.png
    COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/ico-to-png.py ${CMAKE_SOURCE_DIR}/res/app.ico ${size}
            ${generated}/quillon-${size}.png
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/ico-to-png.py ${CMAKE_SOURCE_DIR}/res/app.ico VERBATIM)
  list(APPEND QUILLON_GENERATED ${generated}/quillon-${size}.png)
  install(FILES ${generated}/quillon-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps RENAME quillon.png)
endforeach()
add_custom_target(quillon_packaging_files ALL DEPENDS ${QUILLON_GENERATED})

install(TARGETS quillon quillon-gui RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${generated}/quillon.1.gz ${generated}/quillon-gui.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/quillon.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/com.ombrix.quillon.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quillon.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME quillon)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright ${generated}/changelog.gz
  DESTINATION ${QUILLON_DOC_DIR})

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
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
