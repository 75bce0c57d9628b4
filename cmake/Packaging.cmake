# Debian packages of the install components (make package, cpack -G DEB):
#   lib   -> libquillon0     the shared library
#   dev   -> libquillon-dev  headers, the CMake package, quillon.pc, the unversioned link
#   print -> quillon-print   the command, its manual page and bash completion
# Dependencies come from the binaries (dpkg-shlibdeps); the library package records its
# shlibs so the command's dependency on it is found the same way.

# The prefix is found from where the file lies, so an unpacked or relocated tree works too.
file(RELATIVE_PATH QUILLON_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" QUILLON_PC_TO_PREFIX "${QUILLON_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/quillon.pc.in ${PROJECT_BINARY_DIR}/quillon.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quillon.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# Each package carries the copyright file and a compressed changelog of its own, as Debian's
# policy asks.
configure_file(${PROJECT_SOURCE_DIR}/cmake/package/changelog.in
    ${PROJECT_BINARY_DIR}/package/changelog.Debian @ONLY)
find_program(GZIP_EXECUTABLE gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/package/changelog.Debian.gz
    COMMAND ${GZIP_EXECUTABLE} -9nkf ${PROJECT_BINARY_DIR}/package/changelog.Debian
    DEPENDS ${PROJECT_BINARY_DIR}/package/changelog.Debian)
add_custom_target(quillon_package_changelog ALL
    DEPENDS ${PROJECT_BINARY_DIR}/package/changelog.Debian.gz)
foreach(component_package IN ITEMS "lib;libquillon0" "dev;libquillon-dev" "print;quillon-print")
    list(GET component_package 0 component)
    list(GET component_package 1 package)
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/package/copyright
        ${PROJECT_BINARY_DIR}/package/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "The Quillon developers")
set(CPACK_PACKAGE_CONTACT "The Quillon developers <quillon@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL lib dev print)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillon.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# quillon-print links the library of this build, which dpkg-shlibdeps finds here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/src)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libquillon0)
# dpkg's trigger refreshes the linker cache once for all packages that ask for it.
file(WRITE ${PROJECT_BINARY_DIR}/package/lib/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/package/lib/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Each description's first line is its package's summary; CPack puts a common summary before
# them unless that is its own default.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_NAME} built using CMake")
set(CPACK_DEBIAN_LIB_DESCRIPTION "Report printing for Qt applications - library
Quillon lays a grid that holds a report's data out on pages: column fitting,
column bands for wide grids, repeated header rows and fixed columns, merged
cells, titles, header and footer lines, page numbers and logos. It prints to a
printer through CUPS, to PDF files and to a preview window.")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libquillon-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libquillon0 (= ${PROJECT_VERSION}-1), qt6-base-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION "Report printing for Qt applications - development files
Quillon lays a grid that holds a report's data out on pages and prints it to a
printer, a PDF file or a preview window.

This package holds the headers, the CMake package (find_package(Quillon)) and
the pkg-config file (quillon.pc).")
set(CPACK_DEBIAN_PRINT_PACKAGE_NAME quillon-print)
set(CPACK_DEBIAN_PRINT_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PRINT_DESCRIPTION "Report printing for Qt applications - command-line tool
quillon-print prints a grid file (CSV or JSON) as a report: to a printer, a
PDF file or PNG pictures of its pages, with the report's stored page format.")

include(CPack)
