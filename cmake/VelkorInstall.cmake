# Installation and packages.
#
# Layout under the prefix, relocatable (nothing records the prefix itself):
#   Linux    bin/velkor                          run path $ORIGIN/../lib
#            lib/libvelkor_host.so
#            lib/velkor/plugins/SOP_Velkor.so    run path $ORIGIN/../..
#   Windows  bin/velkor.exe, bin/libvelkor_host.dll, bin/SOP_Velkor.dll
#            (Windows finds DLLs beside the program, and nowhere relative)
# velkor looks for its plug-in beside itself, then in the plug-in folder
# relative to itself (VELKOR_PLUGIN_RELATIVE_DIR), so an installed copy
# needs no environment variable. A host application takes SOP_Velkor from
# the plug-in folder together with libvelkor_host.
#
# CPack builds a .deb on Linux and a .zip on Windows:
#   cmake --build build/release --target package

set(VELKOR_INSTALL_BINDIR bin)
if(WIN32)
  set(VELKOR_INSTALL_LIBDIR bin)
  set(VELKOR_INSTALL_PLUGINDIR bin)
else()
  set(VELKOR_INSTALL_LIBDIR lib)
  set(VELKOR_INSTALL_PLUGINDIR lib/velkor/plugins)
endif()

file(RELATIVE_PATH pluginFromProgram /${VELKOR_INSTALL_BINDIR} /${VELKOR_INSTALL_PLUGINDIR})
if(pluginFromProgram STREQUAL "")
  set(pluginFromProgram .)
endif()
target_compile_definitions(velkor_cli PRIVATE VELKOR_PLUGIN_RELATIVE_DIR="${pluginFromProgram}")

if(NOT WIN32)
  file(RELATIVE_PATH libFromProgram /${VELKOR_INSTALL_BINDIR} /${VELKOR_INSTALL_LIBDIR})
  file(RELATIVE_PATH libFromPlugin /${VELKOR_INSTALL_PLUGINDIR} /${VELKOR_INSTALL_LIBDIR})
  set_target_properties(velkor PROPERTIES INSTALL_RPATH "$ORIGIN/${libFromProgram}")
  set_target_properties(SOP_Velkor PROPERTIES INSTALL_RPATH "$ORIGIN/${libFromPlugin}")
endif()

install(TARGETS velkor RUNTIME DESTINATION ${VELKOR_INSTALL_BINDIR})
# Only the run-time part of the host library: no import library on Windows.
install(TARGETS velkor_host
  RUNTIME DESTINATION ${VELKOR_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${VELKOR_INSTALL_LIBDIR})
install(TARGETS SOP_Velkor
  RUNTIME DESTINATION ${VELKOR_INSTALL_PLUGINDIR}
  LIBRARY DESTINATION ${VELKOR_INSTALL_PLUGINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/velkor)

set(CPACK_PACKAGE_NAME velkor)
set(CPACK_PACKAGE_VENDOR "Velkor")
set(CPACK_PACKAGE_CONTACT "Velkor developers <velkor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ray tracing geometry node and its command-line host")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  # The shared libraries it links (simdjson, Imath, oneTBB, libstdc++)
  # become the package's dependencies through dpkg-shlibdeps; our own host
  # library is inside the package.
  find_program(VELKOR_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(VELKOR_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
  endif()
endif()
include(CPack)
