# cmake -DSOURCE_DIR=<src> -P include_rules.cmake
# Fails naming every include that crosses between the data format and the
# system: data/ includes no system header, io/ includes nothing of data/.
set(rules
  "data|#[ \t]*include[ \t]*<(sys/[^>]*|unistd\\.h|fcntl\\.h|windows\\.h|io\\.h)>"
  "io|#[ \t]*include[ \t]*\"data/")
set(broken "")
foreach(rule ${rules})
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(SUBLIST parts 1 -1 pattern_parts)
  list(JOIN pattern_parts "|" pattern)
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    message(FATAL_ERROR "no sources under ${SOURCE_DIR}/${folder}")
  endif()
  foreach(source ${sources})
    file(STRINGS ${source} lines REGEX "${pattern}")
    foreach(line ${lines})
      string(APPEND broken "\n  ${source}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(broken)
  message(FATAL_ERROR "includes across the io/ boundary:${broken}")
endif()
