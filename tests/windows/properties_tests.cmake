# The properties dialog driven in-process over the real main window, and its
# template read back from the linked resources.
foreach(t properties_dialog_test properties_template_test properties_first_open_test)
  add_executable(${t} ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp)
  target_link_libraries(${t} PRIVATE quillon_shell quillon_resources quillon_test_support GTest::gtest
                                     GTest::gtest_main)
  target_include_directories(${t} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_LIST_DIR})
endforeach()
add_test(NAME properties_dialog COMMAND properties_dialog_test)
add_test(NAME properties_template COMMAND properties_template_test)
# The dialog's working copy lives as long as the process, and these cases are
# about its first opening: one process each.
add_test(NAME properties_first_open_emptied_store
  COMMAND properties_first_open_test --gtest_filter=PropertiesFirstOpening.EmptiedStore*)
add_test(NAME properties_first_open_missing_value
  COMMAND properties_first_open_test --gtest_filter=PropertiesFirstOpening.MissingPrimaryTag*)
set_tests_properties(properties_dialog properties_first_open_emptied_store properties_first_open_missing_value
  PROPERTIES TIMEOUT 300)
quillon_uses_wine(properties_dialog properties_template properties_first_open_emptied_store
  properties_first_open_missing_value)
