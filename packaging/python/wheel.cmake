# The Python package `kalmira` (src/python/kalmira: the binding and its GDAL driver) with a
# library for one platform, as a folder the tests import and as a wheel for pip.
#
# The binding is plain Python over the C interface, so a wheel needs no build backend: it is the
# package's files, a METADATA and a WHEEL file, zipped by `python3 -m wheel pack` (Debian's
# python3-wheel), which writes the RECORD and takes SOURCE_DATE_EPOCH for its time stamps. Its
# tag is py3-none-PLATFORM: any Python 3, no Python ABI, one platform's library.

# kalmira_python_package(LIBRARY_TARGET PLATFORM_TAG): the folder python/kalmira with the
# library, and the target kalmira_wheel making kalmira-VERSION-py3-none-PLATFORM_TAG.whl.
function(kalmira_python_package library platform)
  set(package ${PROJECT_BINARY_DIR}/python/kalmira)
  set(sources ${PROJECT_SOURCE_DIR}/src/python/kalmira/__init__.py
              ${PROJECT_SOURCE_DIR}/src/python/kalmira/ogr_KALMIRA.py
              ${PROJECT_SOURCE_DIR}/src/python/kalmira/virtual_file.py)
  add_custom_target(kalmira_python_package ALL
                    COMMAND ${CMAKE_COMMAND} -E make_directory ${package}
                    COMMAND ${CMAKE_COMMAND} -E copy ${sources} $<TARGET_FILE:${library}> ${package}
                    DEPENDS ${library} ${sources} VERBATIM)

  set(staging ${PROJECT_BINARY_DIR}/python/wheel)
  set(info ${staging}/kalmira-${PROJECT_VERSION}.dist-info)
  set(wheel ${PROJECT_BINARY_DIR}/kalmira-${PROJECT_VERSION}-py3-none-${platform}.whl)
  set(KALMIRA_WHEEL_TAG py3-none-${platform})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/python/WHEEL.in ${info}/WHEEL @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/python/METADATA.in ${info}/METADATA @ONLY)
  add_custom_command(OUTPUT ${wheel}
                     COMMAND ${CMAKE_COMMAND} -E rm -rf ${staging}/kalmira
                     COMMAND ${CMAKE_COMMAND} -E copy_directory ${package} ${staging}/kalmira
                     COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${KALMIRA_SOURCE_DATE_EPOCH}
                             ${KALMIRA_PYTHON} -m wheel pack --dest-dir ${PROJECT_BINARY_DIR} ${staging} > /dev/null
                     DEPENDS kalmira_python_package ${info}/WHEEL ${info}/METADATA VERBATIM)
  add_custom_target(kalmira_wheel DEPENDS ${wheel})
  set(KALMIRA_WHEEL ${wheel} CACHE INTERNAL "The wheel kalmira_wheel makes")
endfunction()
