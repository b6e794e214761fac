# Reproducible files: the same sources give the same bytes, whichever folder they are built in
# and whenever. Every time stamp that ends up in a file is KALMIRA_SOURCE_DATE_EPOCH: the
# packager's SOURCE_DATE_EPOCH, else the time of the last commit, else (in an exported tree,
# whose files carry that commit's time) the time of this file's last change.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(KALMIRA_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE KALMIRA_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
  endif()
  if(NOT KALMIRA_SOURCE_DATE_EPOCH)
    file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CMakeLists.txt KALMIRA_SOURCE_DATE_EPOCH "%s" UTC)
  endif()
endif()

# The build's folders stay out of the objects.
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-ffile-prefix-map=a=b KALMIRA_TAKES_FILE_PREFIX_MAP)
if(KALMIRA_TAKES_FILE_PREFIX_MAP)
  target_compile_options(kalmira_options INTERFACE
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
endif()

# A rule that writes OUTPUT (a SHA256SUMS file) for the files that follow, all in its folder.
function(kalmira_checksums output)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} -D OUTPUT=${output}
                             -P ${PROJECT_SOURCE_DIR}/cmake/write_checksums.cmake -- ${ARGN}
                     DEPENDS ${ARGN} VERBATIM)
endfunction()
