# add_program_icon(VAR NAME): draws the programs' icon (cmake/make_icon.sh) into NAME in the
# current binary folder at build time and sets VAR to its path, for a resource script to name.
function(add_program_icon var name)
  set(icon ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(
    OUTPUT ${icon}
    COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/make_icon.sh ${icon}
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/make_icon.sh
    COMMENT "Drawing ${name}")
  set(${var} ${icon} PARENT_SCOPE)
endfunction()
