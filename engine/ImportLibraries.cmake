# Import libraries for hosts that link Halvern.dll at build time, written after the DLL is linked:
#   libHalvern.dll.a  MinGW format, replacing the one the linker writes beside the DLL;
#   Halvern.lib       Microsoft format, for the Microsoft and LLVM linkers (needs llvm-dlltool).
# halvern.h declares every export __stdcall, so an x86 host's objects ask for decorated symbols
# (_EngineInit@8) while the DLL exports undecorated names. The linker's own import library holds only
# the undecorated symbols, so a host would need a stdcall fix-up to link; these libraries map each
# decorated symbol onto the undecorated export instead (--kill-at). x64 has no decoration: the same
# table without the "@bytes".
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # "EngineInit = EngineInit@8 @34" becomes "EngineInit@8 @34".
  file(READ ${CMAKE_CURRENT_SOURCE_DIR}/Halvern.def HALVERN_IMPORT_DEF)
  string(REGEX REPLACE "\n([ \t]*)[A-Za-z_][A-Za-z0-9_]*[ \t]*=[ \t]*([A-Za-z_][A-Za-z0-9_]*@[0-9]+)" "\n\\1\\2"
                       HALVERN_IMPORT_DEF "${HALVERN_IMPORT_DEF}")
  set(HALVERN_IMPORT_DEF_FILE ${CMAKE_CURRENT_BINARY_DIR}/HalvernImport.def)
  file(GENERATE OUTPUT ${HALVERN_IMPORT_DEF_FILE}
       CONTENT "; Made from Halvern.def: the decorated symbols, exported undecorated.\n${HALVERN_IMPORT_DEF}")
  set(HALVERN_DLLTOOL_MACHINE i386)
  set(HALVERN_LLVM_MACHINE i386)
else()
  set(HALVERN_IMPORT_DEF_FILE ${CMAKE_CURRENT_BINARY_DIR}/Halvern64.def)
  set(HALVERN_DLLTOOL_MACHINE i386:x86-64)
  set(HALVERN_LLVM_MACHINE i386:x86-64)
endif()

get_filename_component(HALVERN_MINGW_PREFIX ${CMAKE_C_COMPILER} NAME)
string(REGEX REPLACE "-gcc.*$" "" HALVERN_MINGW_PREFIX "${HALVERN_MINGW_PREFIX}")
find_program(HALVERN_DLLTOOL NAMES ${HALVERN_MINGW_PREFIX}-dlltool REQUIRED)
find_program(HALVERN_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-16 llvm-dlltool-15 llvm-dlltool-14)

set(HALVERN_MS_IMPORT_LIBRARY ${CMAKE_CURRENT_BINARY_DIR}/Halvern.lib)
set(HALVERN_IMPORT_COMMANDS
    COMMAND ${HALVERN_DLLTOOL} --machine ${HALVERN_DLLTOOL_MACHINE} --kill-at --input-def ${HALVERN_IMPORT_DEF_FILE}
            --dllname Halvern.dll --output-lib $<TARGET_LINKER_FILE:halvern>)
if(HALVERN_LLVM_DLLTOOL)
  list(APPEND HALVERN_IMPORT_COMMANDS COMMAND ${HALVERN_LLVM_DLLTOOL} -m ${HALVERN_LLVM_MACHINE} -k -D Halvern.dll
       -d ${HALVERN_IMPORT_DEF_FILE} -l ${HALVERN_MS_IMPORT_LIBRARY})
else()
  message(WARNING "llvm-dlltool not found (Debian package llvm): Halvern.lib is not built")
endif()
add_custom_command(TARGET halvern POST_BUILD ${HALVERN_IMPORT_COMMANDS}
                   BYPRODUCTS ${HALVERN_MS_IMPORT_LIBRARY}
                   COMMENT "Writing the import libraries of Halvern.dll" VERBATIM)
