# The shell's windows driven in-process: main window, log window, drops. The
# resources are linked in so that the templates, strings and pictures load
# from the test itself; one test also starts the built quillon.exe.
quillon_test(shell_test
  ${CMAKE_CURRENT_LIST_DIR}/shell_main_window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_log_window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_drop_test.cpp)
target_link_libraries(shell_test PRIVATE quillon_shell quillon_resources)
target_include_directories(shell_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(shell_test PRIVATE QUILLON_EXE="$<TARGET_FILE:quillon>")
add_dependencies(shell_test quillon)
set_tests_properties(shell_test PROPERTIES TIMEOUT 300)

# Not a test: the shell with one scripted drop, for the screenshots in docs/
# (scripts/shell-screenshots.sh).
add_executable(shell_demo ${CMAKE_CURRENT_LIST_DIR}/shell_demo.cpp)
target_link_libraries(shell_demo PRIVATE quillon_shell quillon_resources quillon_test_support)
target_include_directories(shell_demo PRIVATE ${CMAKE_CURRENT_LIST_DIR})
