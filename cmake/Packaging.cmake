# Installation (`cmake --install`) and the Debian package (`cpack -G DEB`): both programs, the desktop entry
# with its icon, the AppStream metadata, the manual pages, the bash completion, the user guide, and the
# copyright and changelog Debian policy asks for.
include(GNUInstallDirs)

set(BULKSMS_PACKAGE_NAME vrix-bulk-sms)
set(BULKSMS_PACKAGE_RELEASE 1)
# The owner's address goes here; .invalid marks the place until then.
set(BULKSMS_PACKAGE_MAINTAINER "VRIX Bulk SMS developers <bulksms@vrix.invalid>")
set(BULKSMS_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${BULKSMS_PACKAGE_NAME})
# The program looks for its user guide in <prefix>/share/bulksms beside <prefix>/bin.
set(BULKSMS_DATA_DIR ${CMAKE_INSTALL_DATADIR}/bulksms)
set(dist ${CMAKE_SOURCE_DIR}/dist)
set(generated ${CMAKE_BINARY_DIR}/dist)

# Dates in the generated files follow SOURCE_DATE_EPOCH when it is set, so that a package can be rebuilt
# byte for byte.
string(TIMESTAMP BULKSMS_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP BULKSMS_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(RELEASE_DATE ${BULKSMS_RELEASE_DATE})
configure_file(${dist}/vrix-bulk-sms.metainfo.xml.in ${generated}/vrix-bulk-sms.metainfo.xml @ONLY)
set(PACKAGE_NAME ${BULKSMS_PACKAGE_NAME})
set(PACKAGE_VERSION ${PROJECT_VERSION}-${BULKSMS_PACKAGE_RELEASE})
set(PACKAGE_MAINTAINER ${BULKSMS_PACKAGE_MAINTAINER})
set(PACKAGE_DATE ${BULKSMS_CHANGELOG_DATE})
configure_file(${dist}/changelog.Debian.in ${generated}/changelog.Debian @ONLY)

# Compressed as Debian policy wants them (gzip -9, no name or time stamp inside).
add_custom_command(OUTPUT ${generated}/changelog.Debian.gz ${generated}/bulksms.1.gz
  COMMAND gzip -9 -n -c ${generated}/changelog.Debian > ${generated}/changelog.Debian.gz
  COMMAND gzip -9 -n -c ${dist}/bulksms.1 > ${generated}/bulksms.1.gz
  DEPENDS ${generated}/changelog.Debian ${dist}/bulksms.1
  VERBATIM)
add_custom_target(bulksms-package-docs ALL DEPENDS ${generated}/changelog.Debian.gz ${generated}/bulksms.1.gz)

if(TARGET bulksms)
  install(TARGETS bulksms RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS bulksms-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${dist}/vrix-bulk-sms.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist}/vrix-bulk-sms.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${generated}/vrix-bulk-sms.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/cli/bulksms-cli.1.gz ${generated}/bulksms.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/cli/bulksms-cli.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME bulksms-cli)
install(FILES ${dist}/copyright ${generated}/changelog.Debian.gz DESTINATION ${BULKSMS_DOC_DIR})

# The user guide, when the source tree has it: beside the program's data, and linked from the documentation
# folder where users look for it. Pictures it refers to live in docs/user-guide/ when there are any.
if(EXISTS ${CMAKE_SOURCE_DIR}/docs/user-guide.html)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/user-guide.html DESTINATION ${BULKSMS_DATA_DIR})
  if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/docs/user-guide)
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/user-guide DESTINATION ${BULKSMS_DATA_DIR})
  endif()
  file(RELATIVE_PATH guide_link /${BULKSMS_DOC_DIR} /${BULKSMS_DATA_DIR}/user-guide.html)
  install(CODE "
    set(doc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${BULKSMS_DOC_DIR}\")
    file(MAKE_DIRECTORY \"\${doc}\")
    file(CREATE_LINK \"${guide_link}\" \"\${doc}/user-guide.html\" SYMBOLIC)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${BULKSMS_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "VRIX Bulk SMS")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${BULKSMS_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "send SMS in bulk through GSM modems and phones")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BULKSMS_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${BULKSMS_PACKAGE_MAINTAINER})
# CPack puts the summary first; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "VRIX Bulk SMS sends text messages in bulk through GSM modems and mobile
phones on serial ports, one or several at a time. Recipient lists come from
text files and Excel workbooks; exclusion lists, templates, quotas, pauses and
retry passes are kept; every attempt can be logged and exported.

The package holds the desktop program (bulksms) and the command line
(bulksms-cli) for scripts.")
# The libraries' packages come from dpkg-shlibdeps; Qt's window system plugins are only recommended by Qt.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6sql6-psql") # the run journal needs the SQLite driver plugin, gateways the PostgreSQL one
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
include(CPack)
