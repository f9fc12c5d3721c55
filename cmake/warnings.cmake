# Warnings are errors for all of our own code.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)
# gcc 12 at -O3 reports -Wrestrict falsely inside std::string's operator+
# (a known fault of that compiler's inliner): keep the warning, but do not let
# it stop a Release build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-error=restrict)
endif()
