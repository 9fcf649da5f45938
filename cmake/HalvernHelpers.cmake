# The layers (cmake/layers.txt): HALVERN_LAYERS, the library folders from the bottom up, and for each
# folder F, HALVERN_LAYER_LINKS_F, the folders below it whose libraries it links.
file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/layers.txt HALVERN_LAYER_LINES REGEX "^library[ \t]")
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/layers.txt)
set(HALVERN_LAYERS "")
foreach(line IN LISTS HALVERN_LAYER_LINES)
  string(REGEX REPLACE "[ \t]+" ";" words "${line}")
  list(POP_FRONT words kind folder)
  foreach(below IN LISTS words)
    if(NOT below IN_LIST HALVERN_LAYERS)
      message(FATAL_ERROR "cmake/layers.txt: ${folder} links ${below}, which is not a library below it")
    endif()
  endforeach()
  set(HALVERN_LAYER_LINKS_${folder} ${words})
  list(APPEND HALVERN_LAYERS ${folder})
endforeach()

# halvern_folder_library(<target> <folder> [PLATFORM] [EXCLUDE file...])
# A static library of every .cpp in <folder> (not recursive); with PLATFORM also those of the folder's
# subfolder for the target platform (<folder>/posix or <folder>/win32, HALVERN_PLATFORM_DIR), where
# code that differs per platform lives instead of behind #ifdef. It links the libraries of the folders
# cmake/layers.txt names for <folder>, which must have been made before it.
#
# Its users see only its own folder (and the public include/): the library's include directory is a
# folder of the build tree holding one link named after the source folder's top level. A library thus
# reaches the headers of exactly the libraries it links, and an include of a folder above it (one it
# does not link) fails to compile.
function(halvern_folder_library target folder)
  cmake_parse_arguments(ARG "PLATFORM" "" "EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(ARG_PLATFORM)
    file(GLOB platform_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/${HALVERN_PLATFORM_DIR}/*.cpp)
    list(APPEND sources ${platform_sources})
  endif()
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "/${ex}$")
  endforeach()
  if(NOT sources)
    # A folder that holds only headers so far still yields a linkable library.
    set(sources ${CMAKE_BINARY_DIR}/empty_${target}.cpp)
    file(WRITE ${sources} "// no sources yet\n")
  endif()
  add_library(${target} STATIC ${sources})
  string(REGEX REPLACE "/.*" "" top ${folder})
  set(view ${CMAKE_BINARY_DIR}/layers/${target})
  file(MAKE_DIRECTORY ${view})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${top} ${view}/${top} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${view} ${CMAKE_SOURCE_DIR}/include)
  if(NOT top IN_LIST HALVERN_LAYERS)
    message(FATAL_ERROR "${target}: cmake/layers.txt names no library ${top}")
  endif()
  set_property(GLOBAL PROPERTY HALVERN_LAYER_TARGET_${top} ${target})
  foreach(below IN LISTS HALVERN_LAYER_LINKS_${top})
    get_property(below_target GLOBAL PROPERTY HALVERN_LAYER_TARGET_${below})
    if(NOT below_target)
      message(FATAL_ERROR "${target}: the library of ${below} must be made before it")
    endif()
    target_link_libraries(${target} PUBLIC ${below_target})
  endforeach()
endfunction()

# halvern_test(<name> SOURCES ... LIBS ...)
# A GoogleTest program registered with CTest (run through the cross-compiling emulator under Wine).
function(halvern_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} halvern_gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    # Runs Windows code: the test command can leave these out where Wine cannot run (ctest -LE wine).
    set_property(TEST ${name} APPEND PROPERTY LABELS wine)
  endif()
endfunction()
