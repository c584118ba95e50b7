# Fails when a source file includes a header from a layer its own layer does not depend on
# (a records file including a link header, the simulator including the link worker, ...).
#
#   cmake -DRULES=<rules file> -DSOURCE_DIR=<src folder> -P CheckLayers.cmake
#
# The rules file has one line per layer: <folder>=<allowed folder>,<allowed folder>,...
# Only includes of the form "folder/File.h" naming a known layer folder are checked.

if(NOT RULES OR NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers.cmake needs RULES and SOURCE_DIR")
endif()

file(STRINGS "${RULES}" lines)
set(layers "")
foreach(line IN LISTS lines)
  string(REGEX MATCH "^([^=]+)=(.*)$" _ "${line}")
  set(folder "${CMAKE_MATCH_1}")
  string(REPLACE "," ";" allowed "${CMAKE_MATCH_2}")
  list(APPEND layers ${folder})
  set(ALLOWED_${folder} ${allowed})
endforeach()

set(errors "")
foreach(folder IN LISTS layers)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(f IN LISTS files)
    file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(inc IN LISTS includes)
      string(REGEX MATCH "\"([^\"/]+)/[^\"]*\"" _ "${inc}")
      set(target_folder "${CMAKE_MATCH_1}")
      list(FIND layers "${target_folder}" known)
      list(FIND ALLOWED_${folder} "${target_folder}" ok)
      if(known GREATER_EQUAL 0 AND ok LESS 0)
        file(RELATIVE_PATH rel "${SOURCE_DIR}" "${f}")
        string(STRIP "${inc}" inc)
        list(JOIN ALLOWED_${folder} ", " allowed_text)
        list(APPEND errors "${rel}: ${inc} — layer '${folder}' may include only: ${allowed_text}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(errors)
  list(JOIN errors "\n  " text)
  message(FATAL_ERROR "Layer check failed (a layer includes a layer above it):\n  ${text}")
endif()
