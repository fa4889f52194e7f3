# One interface target that carries the language standard, warnings and common
# definitions. Every target of the project links it.
add_library(larkspan_options INTERFACE)
target_compile_features(larkspan_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(larkspan_options INTERFACE -Wall -Wextra -Wpedantic)
if(DEFINED ENV{CI} AND NOT "$ENV{CI}" STREQUAL "")
  target_compile_options(larkspan_options INTERFACE -Werror)
endif()
target_compile_definitions(larkspan_options INTERFACE
  LARKSPAN_VERSION="${PROJECT_VERSION}")
if(LARKSPAN_SANITIZE)
  target_compile_options(larkspan_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(larkspan_options INTERFACE -fsanitize=address,undefined)
endif()
