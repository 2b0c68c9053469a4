# Run with -DFOLDER=DIR after system_text_win32_test: the folder must hold
# exactly the renamed file, its name spelled in UTF-8 on the Linux side.
file(GLOB names RELATIVE "${FOLDER}" "${FOLDER}/*")
set(expected "日本語 - ソ.mp3")
if(NOT names STREQUAL expected)
  string(HEX "${names}" got_hex)
  string(HEX "${expected}" expected_hex)
  message(FATAL_ERROR "${FOLDER} holds [${names}] (${got_hex}), expected [${expected}] (${expected_hex})")
endif()
message(STATUS "found ${expected}")
