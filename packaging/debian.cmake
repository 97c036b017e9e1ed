# The Debian package: `cpack -G DEB` in the build folder (./dev package does it).

# The package lays files out where this build installs them, so the service's ExecStart
# and the files agree; Debian wants them under /usr.
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    message(STATUS "Install prefix ${CMAKE_INSTALL_PREFIX}: a Debian package wants /usr")
endif()

# The changelog's newest entry names the version being packaged; a version bump needs an
# entry of its own.
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^quillon \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/debian/changelog: the newest entry is not version "
                        "${PROJECT_VERSION}; add one for it")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Zelk42 Software")
set(CPACK_PACKAGE_CONTACT "Zelk42 Software <quillon@zelk42.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "networked draw-and-guess party game")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
# Packages land where `cpack -B` says, by default the build folder.
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_OUTPUT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackConfig.cmake)
set(CPACK_SOURCE_OUTPUT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.zelk42.com/quillon/")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries the programs link come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Links in the chat and the help pages open through the desktop's xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/prerm
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)
# Each paragraph of the long description starts on a line of its own; CPack indents the
# lines and marks the empty ones with " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Quillon is a party game for up to ten players around a table on the
network. In turn each player draws a phrase on the board while the others
race to type the answer; whoever guesses first and the drawer both score.
Players chat beside the board, may watch instead of play, and keep
snapshots of the drawings they like.

The package holds the game (quillon), a small launcher that hosts or joins
a table (quillon-lobby), and a dedicated host (quillon-host) with a systemd
service template that runs one table per port.]=])

include(CPack)
