# Copies the shipped data folder to build/share/larkspan so that the programs
# find it at ../share/larkspan relative to build/bin, as after installation.
file(GLOB_RECURSE LARKSPAN_DATA_FILES CONFIGURE_DEPENDS
  RELATIVE ${CMAKE_SOURCE_DIR}/data ${CMAKE_SOURCE_DIR}/data/*)
set(LARKSPAN_DATA_OUTPUTS)
foreach(relative IN LISTS LARKSPAN_DATA_FILES)
  set(output "${LARKSPAN_SHARE_DIR}/${relative}")
  add_custom_command(OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            "${CMAKE_SOURCE_DIR}/data/${relative}" "${output}"
    DEPENDS "${CMAKE_SOURCE_DIR}/data/${relative}"
    VERBATIM)
  list(APPEND LARKSPAN_DATA_OUTPUTS "${output}")
endforeach()
add_custom_target(larkspan_data ALL DEPENDS ${LARKSPAN_DATA_OUTPUTS})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION share/larkspan)
