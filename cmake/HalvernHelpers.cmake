# halvern_folder_library(<target> <folder> [PLATFORM] [EXCLUDE file...])
# A static library of every .cpp in <folder> (not recursive); with PLATFORM also those of the folder's
# subfolder for the target platform (<folder>/posix or <folder>/win32, HALVERN_PLATFORM_DIR), where
# code that differs per platform lives instead of behind #ifdef.
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
