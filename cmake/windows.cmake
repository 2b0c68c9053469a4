# The Windows program: the shell as a library (so that tests can drive its
# windows in-process), the resources as objects linked into whatever needs
# them, and quillon.exe itself. The toolchain links the C/C++ runtime
# statically, so the program needs no DLL beyond the system's.
enable_language(RC)

# Resources end up in the image only when linked as objects: a static library
# member that no symbol refers to would be dropped.
add_library(quillon_resources OBJECT ${CMAKE_SOURCE_DIR}/res/quillon.rc)
target_include_directories(quillon_resources PRIVATE ${CMAKE_SOURCE_DIR}/res ${CMAKE_BINARY_DIR}/generated)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/quillon.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_BINARY_DIR}/generated/quillon_version.h;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/app.ico;${CMAKE_SOURCE_DIR}/res/idle.bmp;${CMAKE_SOURCE_DIR}/res/busy.bmp;${CMAKE_SOURCE_DIR}/res/quillon.manifest")

# Everything of the shell but the entry point.
file(GLOB QUILLON_SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/shell/*.cpp)
list(FILTER QUILLON_SHELL_SOURCES EXCLUDE REGEX "winmain\\.cpp$")
add_library(quillon_shell STATIC ${QUILLON_SHELL_SOURCES})
target_include_directories(quillon_shell PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/shell ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(quillon_shell PUBLIC quillon_core user32 gdi32 shell32 advapi32)

# WIN32: the GUI subsystem (-mwindows), so no console opens with the window.
add_executable(quillon WIN32 ${CMAKE_SOURCE_DIR}/shell/winmain.cpp)
target_link_libraries(quillon PRIVATE quillon_shell quillon_resources)
# The shipped build carries no symbols.
target_link_options(quillon PRIVATE $<$<CONFIG:MinSizeRel,Release>:-s>)

# The same sources give the same quillon.exe: no link time in the PE header.
target_link_options(quillon PRIVATE -Wl,--no-insert-timestamp)
