# One interface target that carries the language standard, warnings and common
# definitions. Every target of the project links it.
add_library(larkspan_options INTERFACE)
target_compile_features(larkspan_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(larkspan_options INTERFACE -Wall -Wextra -Wpedantic)
# GCC 12 reports impossible overlaps in inlined std::string concatenation at
# -O3 (a known false positive of that release); it would fail optimised builds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(larkspan_options INTERFACE -Wno-restrict)
endif()
if(DEFINED ENV{CI} AND NOT "$ENV{CI}" STREQUAL "")
  target_compile_options(larkspan_options INTERFACE -Werror)
endif()
target_compile_definitions(larkspan_options INTERFACE
  LARKSPAN_VERSION="${PROJECT_VERSION}")
if(LARKSPAN_SANITIZE STREQUAL "thread")
  target_compile_options(larkspan_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(larkspan_options INTERFACE -fsanitize=thread)
elseif(LARKSPAN_SANITIZE)
  target_compile_options(larkspan_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(larkspan_options INTERFACE -fsanitize=address,undefined)
endif()
