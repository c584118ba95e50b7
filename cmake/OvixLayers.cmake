# Layers: one static library per source folder, each linking only the layers below it.
# `ovix_layer` also records which folders a layer's files may include from (its own and,
# transitively, those of its dependencies); CheckLayers.cmake reads that record and fails
# the build when a file includes a header of a layer it does not depend on.
#
#   ovix_layer(<folder> [QT] SOURCES <files...> [DEPS <folders...>] [LIBS <targets...>])
#
# The target is ovix_<folder>; DEPS name lower layers by folder, LIBS are third-party
# libraries (linked privately unless the layer's headers need them).

function(ovix_layer folder)
  cmake_parse_arguments(L "QT" "" "SOURCES;DEPS;LIBS;PUBLIC_LIBS" ${ARGN})
  set(target ovix_${folder})
  add_library(${target} STATIC ${L_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PRIVATE ovix_warnings ${L_LIBS} PUBLIC ${L_PUBLIC_LIBS})
  if(L_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
  endif()
  set(allowed ${folder})
  foreach(dep IN LISTS L_DEPS)
    target_link_libraries(${target} PUBLIC ovix_${dep})
    get_property(dep_allowed GLOBAL PROPERTY OVIX_LAYER_ALLOWED_${dep})
    list(APPEND allowed ${dep_allowed})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_property(GLOBAL PROPERTY OVIX_LAYER_ALLOWED_${folder} ${allowed})
  add_dependencies(${target} ovix_layer_check)
  string(REPLACE ";" "," allowed_csv "${allowed}")
  set_property(GLOBAL APPEND PROPERTY OVIX_LAYER_RULES "${folder}=${allowed_csv}")
endfunction()

# Writes the recorded rules for the check; call after every layer is declared.
function(ovix_write_layer_rules file)
  get_property(rules GLOBAL PROPERTY OVIX_LAYER_RULES)
  set(text "")
  foreach(rule IN LISTS rules)
    if(rule)
      string(APPEND text "${rule}\n")
    endif()
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()
