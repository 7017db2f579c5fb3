# Installing Orvex as a desktop application, and its Debian package (cpack -G DEB).
include(GNUInstallDirs)

install(TARGETS orvex orvexctl orvex-camsim orvex-tracewin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(ORVEX_DESKTOP ${CMAKE_SOURCE_DIR}/resources/desktop)
install(FILES ${ORVEX_DESKTOP}/net.orvex.Orvex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORVEX_DESKTOP}/net.orvex.Orvex.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ORVEX_DESKTOP}/net.orvex.Orvex.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${ORVEX_DESKTOP}/net.orvex.Orvex-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME net.orvex.Orvex.png)
endforeach()

# Manual pages, compressed as Debian installs them.
find_program(GZIP gzip REQUIRED)
set(ORVEX_MAN_PAGES orvex orvexctl orvex-camsim orvex-tracewin)
set(ORVEX_MAN_OUTPUTS "")
foreach(page ${ORVEX_MAN_PAGES})
  set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/man/${page}.1 > ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/man/${page}.1 VERBATIM)
  list(APPEND ORVEX_MAN_OUTPUTS ${out})
endforeach()
add_custom_target(orvex_man_pages ALL DEPENDS ${ORVEX_MAN_OUTPUTS})
install(FILES ${ORVEX_MAN_OUTPUTS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Shell completion, written by orvexctl itself from its option table.
set(ORVEX_BASH_COMPLETION ${CMAKE_BINARY_DIR}/completion/orvexctl)
set(ORVEX_ZSH_COMPLETION ${CMAKE_BINARY_DIR}/completion/_orvexctl)
add_custom_command(OUTPUT ${ORVEX_BASH_COMPLETION} ${ORVEX_ZSH_COMPLETION}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/completion
  COMMAND $<TARGET_FILE:orvexctl> completion bash > ${ORVEX_BASH_COMPLETION}
  COMMAND $<TARGET_FILE:orvexctl> completion zsh > ${ORVEX_ZSH_COMPLETION}
  DEPENDS orvexctl VERBATIM)
add_custom_target(orvex_completion ALL DEPENDS ${ORVEX_BASH_COMPLETION} ${ORVEX_ZSH_COMPLETION})
install(FILES ${ORVEX_BASH_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${ORVEX_ZSH_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)

# The JSON Schema of each orvexctl report.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/packaging/schema/ DESTINATION ${CMAKE_INSTALL_DATADIR}/orvex/schema
        FILES_MATCHING PATTERN "*.schema.json")

# The package's own documents.
set(ORVEX_CHANGELOG ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${ORVEX_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
  COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog > ${ORVEX_CHANGELOG}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(orvex_changelog ALL DEPENDS ${ORVEX_CHANGELOG})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${ORVEX_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvex)

set(CPACK_PACKAGE_NAME orvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orvex developers")
set(CPACK_PACKAGE_CONTACT "The Orvex developers <developers@orvex.net>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find IP cameras on the local network and upgrade their firmware")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n")
# The summary above is the synopsis; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Orvex lists the IP cameras that answer on the local network, shows and
changes their network settings, opens their web pages, exports the camera
list and upgrades their firmware, by a file upload or through a firmware
server. The window speaks English and Simplified Chinese.

The package also holds orvexctl, the same engine on the command line,
orvex-camsim, virtual cameras for demonstrations and tests, and
orvex-tracewin, the viewer of the programs' diagnostic traces.")
include(CPack)
