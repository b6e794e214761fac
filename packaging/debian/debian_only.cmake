# Run by CPack in its staging folder before it makes the Debian packages, one a component: Debian
# wants manual pages and the changelog compressed, reproducibly, and a copyright file beside the
# changelog of each package.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*.1")
list(FILTER pages INCLUDE REGEX "/share/man/")  # not libkalmira.so.1
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9n ${page} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} key)
  set(doc "${CPACK_TEMPORARY_DIRECTORY}/${component}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/${CPACK_DEBIAN_${key}_PACKAGE_NAME}")
  file(MAKE_DIRECTORY ${doc})
  file(COPY ${CPACK_KALMIRA_COPYRIGHT} DESTINATION ${doc})
  execute_process(COMMAND gzip -9nc ${CPACK_KALMIRA_CHANGELOG} OUTPUT_FILE ${doc}/changelog.gz
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
