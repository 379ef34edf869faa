# The Debian package, made by CPack from the build's own binaries into a scratch folder: what it holds, its
# control fields, that its programs run, and that lintian finds no error in it.
#   cmake -DCPACK=<cpack> -DBUILD=<build folder> -DSOURCE=<source folder> -DWORK=<scratch folder> -P CheckPackage.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}):\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run(${CPACK} --config ${BUILD}/CPackConfig.cmake -G DEB -B ${WORK})
file(GLOB packages ${WORK}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${WORK}, found: ${packages}")
endif()
message(STATUS "package: ${packages}")

run(dpkg-deb --contents ${packages})
set(expected
  ./usr/bin/bulksms
  ./usr/bin/bulksms-cli
  ./usr/share/applications/vrix-bulk-sms.desktop
  ./usr/share/icons/hicolor/scalable/apps/vrix-bulk-sms.svg
  ./usr/share/metainfo/vrix-bulk-sms.metainfo.xml
  ./usr/share/man/man1/bulksms-cli.1.gz
  ./usr/share/man/man1/bulksms.1.gz
  ./usr/share/bash-completion/completions/bulksms-cli
  ./usr/share/doc/vrix-bulk-sms/copyright
  ./usr/share/doc/vrix-bulk-sms/changelog.Debian.gz)
if(EXISTS ${SOURCE}/docs/user-guide.html)
  list(APPEND expected ./usr/share/bulksms/user-guide.html
    "./usr/share/doc/vrix-bulk-sms/user-guide.html -> ../../bulksms/user-guide.html")
endif()
foreach(path IN LISTS expected)
  string(FIND "${out}" " ${path}\n" at)
  if(at EQUAL -1)
    string(FIND "${out}" " ${path} " at)
  endif()
  if(at EQUAL -1)
    message(FATAL_ERROR "the package lacks ${path}:\n${out}")
  endif()
endforeach()
if(out MATCHES "/usr/local/|/build/|/home/")
  message(FATAL_ERROR "the package holds files outside the package's own places:\n${out}")
endif()

run(dpkg-deb --field ${packages} Package Version Depends Section)
foreach(field "Package: vrix-bulk-sms" "Version: [0-9.]+-[0-9]+" "Depends: .*libqt6core6" "Depends: .*libqt6widgets6"
    "Depends: .*qt6-qpa-plugins" "Section: comm")
  if(NOT out MATCHES "${field}")
    message(FATAL_ERROR "the control fields lack '${field}':\n${out}")
  endif()
endforeach()

# The installed programs run from the package's own tree (stripped, without the build's run paths).
run(dpkg-deb --extract ${packages} ${WORK}/root)
run(${WORK}/root/usr/bin/bulksms-cli --version)
if(NOT out MATCHES "^bulksms-cli \\(VRIX Bulk SMS\\) ")
  message(FATAL_ERROR "bulksms-cli --version printed: ${out}")
endif()
run(gzip -dc ${WORK}/root/usr/share/man/man1/bulksms-cli.1.gz)
if(NOT out MATCHES "\\.SH \"EXIT STATUS\"" OR NOT out MATCHES "\\.SS \"udev\\\\-rule\"")
  message(FATAL_ERROR "the manual page lacks its exit status or a command:\n${out}")
endif()

find_program(LINTIAN lintian)
if(NOT LINTIAN)
  message(FATAL_ERROR "lintian is missing: bash tools/deps.sh installs it")
endif()
execute_process(COMMAND ${LINTIAN} --fail-on error --tag-display-limit 0 ${packages}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "lintian:\n${out}${err}")
if(NOT rc EQUAL 0 OR out MATCHES "(^|\n)E: ")
  message(FATAL_ERROR "lintian reports errors")
endif()
