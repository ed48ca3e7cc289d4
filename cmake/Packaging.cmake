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
install(DIRECTORY examples/light-wind DESTINATION ${COASTDOWN_INSTALL_DOCDIR}/examples)

# The manual page is made from the usage text by a CMake script, so the
# build runs no program of its own; Windows has no manual pages.
if(NOT WIN32)
  set(COASTDOWN_MAN_PAGE ${CMAKE_BINARY_DIR}/coastdown.1)
  add_custom_command(OUTPUT ${COASTDOWN_MAN_PAGE}
    COMMAND ${CMAKE_COMMAND} -DUSAGE=${CMAKE_SOURCE_DIR}/app/usage.txt -DOUTPUT=${COASTDOWN_MAN_PAGE}
            -DVERSION=${PROJECT_VERSION} -P ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/app/usage.txt ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Writing the manual page coastdown.1 from app/usage.txt"
    VERBATIM)
  add_custom_target(coastdown_man_page ALL DEPENDS ${COASTDOWN_MAN_PAGE})
  install(FILES ${COASTDOWN_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_PACKAGE_NAME coastdown)
set(CPACK_PACKAGE_VENDOR "the coastdown developers")
set(CPACK_PACKAGE_CONTACT "the coastdown developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Road-load coefficients from vehicle coastdown runs")
set(CPACK_PACKAGE_DESCRIPTION
    "coastdown turns the coastdown runs of a test folder into road-load coefficients and writes a plain-text report; coastdown-sim writes simulated test folders of known road load; coastdown-import turns data loggers' CSV exports into test folders.")
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
