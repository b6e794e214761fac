# Run by CPack in its staging folder before it makes the Debian package: Debian wants manual
# pages and the changelog compressed, reproducibly, and a copyright file beside the changelog.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/*.1")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9n ${page} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set(doc "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/kalmira")
file(MAKE_DIRECTORY ${doc})
file(COPY ${CPACK_KALMIRA_COPYRIGHT} DESTINATION ${doc})
execute_process(COMMAND gzip -9nc ${CPACK_KALMIRA_CHANGELOG} OUTPUT_FILE ${doc}/changelog.gz
                COMMAND_ERROR_IS_FATAL ANY)
