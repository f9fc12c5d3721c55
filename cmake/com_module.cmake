# kvn_add_com_module(name SOURCES... LIBS...): an add-in module, a shared
# library that shows only the four exports it marks KVN_COM_EXPORT; the static
# libraries it links stay inside it.
function(kvn_add_com_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "lib" CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE "LINKER:--exclude-libs,ALL")
  if(NOT KVN_SANITIZE AND NOT KVN_SANITIZE_THREAD)
    target_link_options(${name} PRIVATE "LINKER:--no-undefined")
  endif()
endfunction()
