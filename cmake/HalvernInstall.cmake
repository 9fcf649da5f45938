# What `cmake --install` lays out, and so what the packages hold (scripts/package.sh).
#   Linux:   bin/halvern, lib/libhalvern.so.1 (+ the libhalvern.so link), lib/halvern/librapiemu.so,
#            include/halvern.h, lib/pkgconfig/halvern.pc, lib/cmake/Halvern/ (Halvern::halvern),
#            share/man/man1/halvern.1, share/doc/halvern/ (guide, sample), share/halvern/pascal/.
#   Windows: README.md (the kit's), LICENSE, CHANGELOG.md, bin/ (Halvern.dll, halvern.exe, rapiemu.dll),
#            include/, lib/ (Halvern.def, libHalvern.dll.a, Halvern.lib, CMake package), pascal/,
#            samples/, docs/.
# The Debian packages take their copyright and changelog from scripts/package.sh instead.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

target_include_directories(halvern INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

if(WIN32)
  set(HALVERN_INSTALL_DOCDIR docs)
  set(HALVERN_INSTALL_SAMPLEDIR samples)
  set(HALVERN_INSTALL_PASCALDIR pascal)
  set(HALVERN_INSTALL_EMULATORDIR ${CMAKE_INSTALL_BINDIR})
else()
  set(HALVERN_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/halvern)
  set(HALVERN_INSTALL_SAMPLEDIR ${HALVERN_INSTALL_DOCDIR}/examples)
  set(HALVERN_INSTALL_PASCALDIR ${CMAKE_INSTALL_DATAROOTDIR}/halvern/pascal)
  # A plug-in for HALVERN_RAPI_LIBRARY, not a library to link: kept out of the linker's path.
  set(HALVERN_INSTALL_EMULATORDIR ${CMAKE_INSTALL_LIBDIR}/halvern)
endif()
set(HALVERN_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Halvern)

# An installed halvern finds the library and the emulator from its own place, whatever the prefix; in
# the build tree (and the Windows package) both lie beside it and are found there first.
if(NOT WIN32)
  file(RELATIVE_PATH HALVERN_BIN_TO_LIB /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
  file(RELATIVE_PATH HALVERN_BIN_TO_EMULATOR /${CMAKE_INSTALL_BINDIR} /${HALVERN_INSTALL_EMULATORDIR})
  target_compile_definitions(
    halvern_host PRIVATE HALVERN_INSTALLED_ENGINE="${HALVERN_BIN_TO_LIB}/libhalvern.so.${PROJECT_VERSION_MAJOR}"
                         HALVERN_INSTALLED_EMULATOR="${HALVERN_BIN_TO_EMULATOR}/librapiemu.so")
endif()

install(TARGETS halvern EXPORT HalvernTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS halvern_host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET rapiemu)
  install(TARGETS rapiemu RUNTIME DESTINATION ${HALVERN_INSTALL_EMULATORDIR}
                          LIBRARY DESTINATION ${HALVERN_INSTALL_EMULATORDIR})
endif()
install(FILES include/halvern.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES pascal/Halvern.pas pascal/HalvernDynamic.pas pascal/HalvernDecl.inc pascal/HalvernHelpers.inc
        DESTINATION ${HALVERN_INSTALL_PASCALDIR})
install(FILES samples/host.c DESTINATION ${HALVERN_INSTALL_SAMPLEDIR})
install(FILES docs/host-guide.md DESTINATION ${HALVERN_INSTALL_DOCDIR})
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/docs/halvern.1)
  if(WIN32)
    install(FILES docs/halvern.1 DESTINATION ${HALVERN_INSTALL_DOCDIR})
  else()
    install(FILES docs/halvern.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endif()
if(WIN32)
  set(VERSION ${PROJECT_VERSION})
  configure_file(docs/kit-readme.md ${HALVERN_GENERATED_DIR}/README.md @ONLY)
  install(FILES ${HALVERN_GENERATED_DIR}/README.md LICENSE CHANGELOG.md DESTINATION .)
  install(FILES engine/Halvern.def DESTINATION ${CMAKE_INSTALL_LIBDIR})
  if(HALVERN_LLVM_DLLTOOL)
    install(FILES ${CMAKE_BINARY_DIR}/engine/Halvern.lib DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
else()
  # pkg-config: prefix found from the file's own place, so the tree may be moved.
  file(RELATIVE_PATH HALVERN_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
  configure_file(cmake/halvern.pc.in ${HALVERN_GENERATED_DIR}/halvern.pc @ONLY)
  install(FILES ${HALVERN_GENERATED_DIR}/halvern.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()

install(EXPORT HalvernTargets NAMESPACE Halvern:: DESTINATION ${HALVERN_INSTALL_CMAKEDIR})
configure_package_config_file(cmake/HalvernConfig.cmake.in ${HALVERN_GENERATED_DIR}/HalvernConfig.cmake
                              INSTALL_DESTINATION ${HALVERN_INSTALL_CMAKEDIR} PATH_VARS CMAKE_INSTALL_LIBDIR)
# A host built for 1.x runs on any later 1.x: the binary interface changes only with the major number.
write_basic_package_version_file(${HALVERN_GENERATED_DIR}/HalvernConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${HALVERN_GENERATED_DIR}/HalvernConfig.cmake ${HALVERN_GENERATED_DIR}/HalvernConfigVersion.cmake
        DESTINATION ${HALVERN_INSTALL_CMAKEDIR})
