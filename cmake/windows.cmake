# The Windows program: the shell, its resources, and a static C/C++ runtime so
# that it needs no DLL beyond the system's.
enable_language(RC)
set(QUILLON_SHELL_SOURCES)
file(GLOB QUILLON_SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/shell/*.cpp)
list(FILTER QUILLON_SHELL_SOURCES EXCLUDE REGEX "winmain\\.cpp$")
if(QUILLON_SHELL_SOURCES)
  add_library(quillon_shell STATIC ${QUILLON_SHELL_SOURCES})
  target_include_directories(quillon_shell PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/shell ${CMAKE_SOURCE_DIR}/res)
  target_link_libraries(quillon_shell PUBLIC quillon_core quillon_settings user32 gdi32 shell32 advapi32)
endif()
