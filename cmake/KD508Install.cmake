# What `cmake --install` puts where, and the Debian packages CPack makes of it:
#   bugwalk        the program (component "program")
#   libkd508-dev   the runtime's static libraries, kd508.h, the CMake package and kd508.pc
#                  (component "development")
# The libraries are static: a program built on the runtime is one file that needs only the
# system's Qt, FreeType, fontconfig and libpng, and the runtime's internals are no ABI to keep.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# What a program on the runtime links: the layer's main() (kept out when the program has its
# own), the runtime, and on Linux the on-screen presenter and the layer under it. The order is
# the order of the link line: each library before the ones it needs.
add_library(kd508 INTERFACE)
if(WIN32)
  set(kd508_libraries kd508_runtime)
else()
  set(kd508_libraries kd508_entry kd508_runtime kd508_presenter_qt kd508_platform)
endif()
target_link_libraries(kd508 INTERFACE ${kd508_libraries})
if(MINGW)
  # A program on the runtime is one executable that needs only the DLLs every Windows has.
  target_link_options(kd508 INTERFACE -static)
endif()
add_library(KD508::kd508 ALIAS kd508)

set(kd508_cmake_dir "${CMAKE_INSTALL_LIBDIR}/cmake/KD508")
install(TARGETS kd508 ${kd508_libraries} EXPORT KD508Targets
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT development)
install(FILES "${PROJECT_SOURCE_DIR}/runtime/include/kd508.h"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}" COMPONENT development)
install(EXPORT KD508Targets NAMESPACE KD508:: DESTINATION "${kd508_cmake_dir}" COMPONENT development)

configure_package_config_file("${PROJECT_SOURCE_DIR}/packaging/KD508Config.cmake.in"
  "${PROJECT_BINARY_DIR}/KD508Config.cmake" INSTALL_DESTINATION "${kd508_cmake_dir}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/KD508ConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/KD508Config.cmake" "${PROJECT_BINARY_DIR}/KD508ConfigVersion.cmake"
  DESTINATION "${kd508_cmake_dir}" COMPONENT development)

if(NOT WIN32)
  configure_file("${PROJECT_SOURCE_DIR}/packaging/kd508.pc.in" "${PROJECT_BINARY_DIR}/kd508.pc" @ONLY)
  install(FILES "${PROJECT_BINARY_DIR}/kd508.pc"
    DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig" COMPONENT development)
endif()

if(TARGET bugwalk)
  install(TARGETS bugwalk RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT program)
endif()

# Debian wants the licence of each package beside its documentation, and a manual page for
# every program.
foreach(package bugwalk libkd508-dev)
  if(package STREQUAL "bugwalk")
    set(component program)
  else()
    set(component development)
  endif()
  install(FILES "${PROJECT_BINARY_DIR}/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}"
    COMPONENT ${component})
  install(FILES "${PROJECT_BINARY_DIR}/changelog.gz" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}"
    COMPONENT ${component})
endforeach()
configure_file("${PROJECT_SOURCE_DIR}/packaging/copyright.in" "${PROJECT_BINARY_DIR}/copyright" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in" "${PROJECT_BINARY_DIR}/changelog" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/packaging/bugwalk.1.in" "${PROJECT_BINARY_DIR}/bugwalk.1" @ONLY)
find_program(GZIP_PROGRAM gzip)
foreach(plain changelog bugwalk.1)
  if(GZIP_PROGRAM)
    # -n keeps the time out of the file, so that the package is the same for the same sources.
    execute_process(COMMAND "${GZIP_PROGRAM}" -9 -n -c "${PROJECT_BINARY_DIR}/${plain}"
      OUTPUT_FILE "${PROJECT_BINARY_DIR}/${plain}.gz")
  endif()
endforeach()
install(FILES "${PROJECT_BINARY_DIR}/bugwalk.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT program)

set(CPACK_PACKAGE_NAME "kd508")
set(CPACK_PACKAGE_VENDOR "The KD508 authors")
set(CPACK_PACKAGE_CONTACT "The KD508 authors <kd508@example.org>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small desktop graphics runtime and the bug-walk program")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL program development)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME bugwalk)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SHLIBDEPS ON)
# Text needs a face fontconfig can find; the metric-compatible faces come first.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "fontconfig, fonts-liberation2 | fonts-dejavu-core")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION "bugs walking along a path, steered by nine buttons
 Up to eleven bugs walk in front of a backdrop in one window, while a second
 window shows the messages of the KD508 runtime under them. The program
 records and plays back scripts of its events.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libkd508-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "qt6-base-dev (>= 6.2), libfreetype-dev, libfontconfig-dev, libpng-dev, libxcb1-dev, pkg-config, fontconfig, fonts-liberation2 | fonts-dejavu-core")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "KD508 graphics runtime: static libraries and header
 Windows, an off-screen canvas, an event wait with animation ticks, a Run
 menu, script recording and playback, a palette of 24 colours, shapes and
 text, for small programs in C and C++. With a CMake package (KD508::kd508)
 and a pkg-config file (kd508).")
include(CPack)
