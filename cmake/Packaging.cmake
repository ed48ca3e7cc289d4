# What is shipped: the three programs linked to stand alone, the manual page,
# the install layout and the packages (CPack: .tar.gz and .deb on Linux,
# .zip for Windows). Included at the end of the top-level CMakeLists.txt,
# when every target exists.
#   cmake --build build && cmake --install build --prefix /opt/coastdown
#   cd build && cpack

# The simulator and the importer are shipped beside the analysis and linked
# the same way, so that each package holds programs that need only the
# system's own libraries (on Windows: no MinGW runtime DLLs next to the .exe
# files).
if(COASTDOWN_STATIC AND NOT COASTDOWN_SANITIZE AND NOT COASTDOWN_FUZZ)
  target_link_options(coastdown-sim PRIVATE -static)
  target_link_options(coastdown-import PRIVATE -static)
endif()

# The Windows build's test of its file layer, run under Wine, not shipped.
include(${CMAKE_CURRENT_LIST_DIR}/WindowsFileLayerTest.cmake)

include(GNUInstallDirs)
if(WIN32)
  # A zip is unpacked into one folder: the programs, the README and the
  # licence at its top, the example beside them.
  set(COASTDOWN_INSTALL_BINDIR .)
  set(COASTDOWN_INSTALL_DOCDIR .)
else()
  set(COASTDOWN_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(COASTDOWN_INSTALL_DOCDIR ${CMAKE_INSTALL_DOCDIR})
endif()

install(TARGETS coastdown coastdown-sim coastdown-import RUNTIME DESTINATION ${COASTDOWN_INSTALL_BINDIR})
install(FILES README.md LICENSE DESTINATION ${COASTDOWN_INSTALL_DOCDIR})
install(DIRECTORY examples/light-wind examples/speed-only DESTINATION ${COASTDOWN_INSTALL_DOCDIR}/examples)

# A manual page for each program, made from its usage text by a CMake
# script: the analysis' from app/usage.txt, the simulator's from what the
# built coastdown-sim prints for --help. Compressed with gzip -9n where
# gzip is found, as distributions ship them. Windows has no manual pages.
if(NOT WIN32)
  find_program(COASTDOWN_GZIP gzip)
  if(COASTDOWN_GZIP)
    set(man_suffix .gz)
    set(man_gzip -DGZIP=${COASTDOWN_GZIP})
  else()
    message(STATUS "gzip not found: the manual pages are installed uncompressed")
    set(man_suffix "")
    set(man_gzip "")
  endif()
  set(COASTDOWN_MAN_PAGES ${CMAKE_BINARY_DIR}/coastdown.1${man_suffix} ${CMAKE_BINARY_DIR}/coastdown-sim.1${man_suffix}
                          ${CMAKE_BINARY_DIR}/coastdown-import.1${man_suffix})
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/coastdown.1${man_suffix}
    COMMAND ${CMAKE_COMMAND} -DUSAGE=${CMAKE_SOURCE_DIR}/app/usage.txt -DNAME=coastdown
            -DOUTPUT=${CMAKE_BINARY_DIR}/coastdown.1 -DVERSION=${PROJECT_VERSION} ${man_gzip}
            -P ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/app/usage.txt ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Writing the manual page coastdown.1 from app/usage.txt"
    VERBATIM)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/coastdown-sim.1${man_suffix}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:coastdown-sim> -DNAME=coastdown-sim
            -DOUTPUT=${CMAKE_BINARY_DIR}/coastdown-sim.1 -DVERSION=${PROJECT_VERSION} ${man_gzip}
            -P ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS coastdown-sim ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Writing the manual page coastdown-sim.1 from coastdown-sim --help"
    VERBATIM)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/coastdown-import.1${man_suffix}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:coastdown-import> -DNAME=coastdown-import
            -DOUTPUT=${CMAKE_BINARY_DIR}/coastdown-import.1 -DVERSION=${PROJECT_VERSION} ${man_gzip}
            -P ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS coastdown-import ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Writing the manual page coastdown-import.1 from coastdown-import --help"
    VERBATIM)
  add_custom_target(coastdown_man_pages ALL DEPENDS ${COASTDOWN_MAN_PAGES})
  install(FILES ${COASTDOWN_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The copyright file a Debian package carries, in the machine-readable
  # format, made from LICENSE so that the licence is written once. The
  # format names the MIT licence Expat.
  file(READ ${CMAKE_SOURCE_DIR}/LICENSE license)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
  if(NOT license MATCHES "Copyright \\(c\\) ([^\n]*)\n+(.*[^\n])\n*$")
    message(FATAL_ERROR "LICENSE has no line \"Copyright (c) YEAR HOLDER\"")
  endif()
  set(copyright_holder "${CMAKE_MATCH_1}")
  # The licence text as the format writes it: each line indented by one
  # blank, an empty line as a lone full stop.
  string(REPLACE "\n" "\n " license_text " ${CMAKE_MATCH_2}")
  string(REPLACE "\n \n" "\n .\n" license_text "${license_text}")
  file(WRITE ${CMAKE_BINARY_DIR}/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: coastdown\n"
    "\n"
    "Files: *\n"
    "Copyright: ${copyright_holder}\n"
    "License: Expat\n"
    "\n"
    "License: Expat\n"
    "${license_text}\n")
  install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION ${COASTDOWN_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME coastdown)
set(CPACK_PACKAGE_VENDOR "the coastdown developers")
# Who answers for a package: "Name <address>". The project has no address
# of its own; whoever builds packages for others sets theirs.
set(COASTDOWN_PACKAGE_CONTACT "the coastdown developers" CACHE STRING "Maintainer of the packages, Name <address>")
set(CPACK_PACKAGE_CONTACT "${COASTDOWN_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Road-load coefficients from vehicle coastdown runs")
# Lines of at most 80 characters, as a Debian package description has them.
set(CPACK_PACKAGE_DESCRIPTION "coastdown turns the coastdown runs of a test folder into road-load
coefficients and writes a plain-text report; coastdown-sim writes simulated
test folders of known road load; coastdown-import turns data loggers' CSV
exports into test folders.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # coastdown-<version>-win64.zip
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  # Linked statically the programs need no other package; linked
  # dynamically the dependencies are read from them.
  if(NOT COASTDOWN_STATIC OR COASTDOWN_SANITIZE OR COASTDOWN_FUZZ)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
endif()
include(CPack)
