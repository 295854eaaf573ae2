# Checks the include direction between the folders of src/, so that a wrong include fails the
# tests rather than waiting for a reviewer:
#   platform <- util <- catalogue <- collect, browse <- program <- app
# collect and browse never include each other, only app includes Qt, and the core includes POSIX
# headers only in platform/*_posix.cpp (MinGW-w64 has unistd.h, dirent.h and pthread.h too, so the
# cross-build alone would let POSIX calls into the core). In app/, neither window reaches the other.
# Run as: cmake -DSOURCE_DIR=<repository> -P tests/layering.cmake
cmake_minimum_required(VERSION 3.21)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(allowed_platform platform)
set(allowed_util platform util)
set(allowed_catalogue platform util catalogue)
set(allowed_collect platform util catalogue collect)
set(allowed_browse platform util catalogue browse)
set(allowed_program platform util catalogue collect browse program)
set(allowed_app platform util catalogue collect browse program app)
set(folders platform util catalogue collect browse program app)
set(posix_headers "unistd|fcntl|dirent|pthread|langinfo|dlfcn|pwd|grp|poll|termios|mntent|libgen|sys/[a-z_]+")

set(faults "")
set(checked 0)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/${folder}/*.h ${SOURCE_DIR}/src/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
        set(target ${CMAKE_MATCH_1})
        if(target IN_LIST folders AND NOT target IN_LIST allowed_${folder})
          string(APPEND faults "  ${source}: ${folder} may not include ${target} (${line})\n")
        endif()
      endif()
      if(NOT folder STREQUAL "app" AND line MATCHES "#[ \t]*include[ \t]*<Q[A-Za-z]")
        string(APPEND faults "  ${source}: Qt in the core (${line})\n")
      endif()
      if(NOT folder STREQUAL "app" AND NOT source MATCHES "^src/platform/[a-z_]+_posix\\.cpp$"
         AND line MATCHES "#[ \t]*include[ \t]*<(${posix_headers})\\.h>")
        string(APPEND faults "  ${source}: a POSIX header outside platform/*_posix.cpp (${line})\n")
      endif()
    endforeach()
  endforeach()
endforeach()

# The two windows know each other only through their coordinator (app/main_windows): neither
# includes the other's header nor names the other's class.
foreach(pair "collection_window;global_list_window;TForm2" "global_list_window;collection_window;TForm1")
  list(GET pair 0 window)
  list(GET pair 1 other)
  list(GET pair 2 other_class)
  file(GLOB window_sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/app/${window}*)
  foreach(source IN LISTS window_sources)
    file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "#[ \t]*include[ \t]*\"${other}\\.h\"|(^|[^A-Za-z0-9_])${other_class}([^A-Za-z0-9_]|$)")
    foreach(line IN LISTS lines)
      string(APPEND faults "  ${source}: one window reaches the other (${line})\n")
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source found under ${SOURCE_DIR}/src")
endif()
if(faults)
  message(FATAL_ERROR "Includes against the layering:\n${faults}")
endif()
message(STATUS "${checked} files follow the layering")
