# Desktop integration, install layout, the Debian package, the install test and the benchmark.

option(ZARN_BUILD_BENCH "Build the benchmark program zarn-bench" OFF)

# The metainfo carries the version, its release date and the addresses of this build.
configure_file(${PROJECT_SOURCE_DIR}/resources/zarn.metainfo.xml
               ${PROJECT_BINARY_DIR}/generated/zarn.metainfo.xml @ONLY)

install(FILES ${PROJECT_SOURCE_DIR}/resources/zarn.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/zarn.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_BINARY_DIR}/generated/zarn.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The changelog's newest entry is this version: the package's changelog must name it.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog zarn_changelog_head LIMIT_COUNT 1)
if(NOT zarn_changelog_head MATCHES "^zarn \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog begins with '${zarn_changelog_head}', "
                      "not an entry for zarn (${PROJECT_VERSION})")
endif()

# The manual pages carry the version and its date; they and the changelog go compressed as
# Debian's policy wants them: gzip -9, with no name or time stamp inside, so that two builds give
# the same bytes.
find_program(ZARN_GZIP gzip REQUIRED)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zarn.1 ${PROJECT_BINARY_DIR}/generated/doc/zarn.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zarn-shutdown.8
               ${PROJECT_BINARY_DIR}/generated/doc/zarn-shutdown.8 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/generated/doc/changelog
               COPYONLY)
set(zarn_gzipped)
foreach(document zarn.1 zarn-shutdown.8 changelog)
  set(gzipped ${PROJECT_BINARY_DIR}/generated/doc/${document}.gz)
  add_custom_command(OUTPUT ${gzipped}
    COMMAND ${ZARN_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/generated/doc/${document} > ${gzipped}
    DEPENDS ${PROJECT_BINARY_DIR}/generated/doc/${document} VERBATIM)
  list(APPEND zarn_gzipped ${gzipped})
endforeach()
add_custom_target(zarn_documents ALL DEPENDS ${zarn_gzipped})
install(FILES ${PROJECT_BINARY_DIR}/generated/doc/zarn.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/generated/doc/zarn-shutdown.8.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)
install(FILES ${PROJECT_BINARY_DIR}/generated/doc/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(ZARN_BUILD_TESTS)
  # Runs from inside a staged install: forThisSystem() must pick the helper installed beside it.
  add_executable(zarn-install-probe ${PROJECT_SOURCE_DIR}/tests/install/InstallProbe.cpp)
  target_link_libraries(zarn-install-probe PRIVATE zarn::shell zarn::options)
  set_target_properties(zarn-install-probe PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF
                        RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests/install)
  add_test(NAME install_layout
           COMMAND ${PROJECT_SOURCE_DIR}/tests/install/check-install.sh ${CMAKE_COMMAND}
                   ${PROJECT_BINARY_DIR} $<TARGET_FILE:zarn-install-probe>
                   ${CMAKE_INSTALL_FULL_LIBEXECDIR}/zarn/zarn-shutdown
                   ${PROJECT_VERSION} ${ZARN_RELEASE_DATE}
                   ${CMAKE_INSTALL_LIBDIR}/zarn/$<TARGET_FILE_NAME:zarn_web>)
  set_tests_properties(install_layout PROPERTIES TIMEOUT 120)
  add_test(NAME command_lines
           COMMAND ${PROJECT_SOURCE_DIR}/tests/install/command-lines.sh $<TARGET_FILE:zarn>
                   $<TARGET_FILE:zarn-shutdown> ${PROJECT_VERSION})
  set_tests_properties(command_lines PROPERTIES TIMEOUT 120)
  add_test(NAME system_accel COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/system/accel_test.py)
  set_tests_properties(system_accel PROPERTIES TIMEOUT 60)
endif()

if(ZARN_BUILD_BENCH)
  add_subdirectory(${PROJECT_SOURCE_DIR}/bench ${PROJECT_BINARY_DIR}/bench)
endif()

# The package belongs to this project only when it is built on its own; a parent project that
# pulls Zarn in keeps its own CPack set-up.
if(PROJECT_IS_TOP_LEVEL)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME zarn)
  set(CPACK_PACKAGE_VENDOR "${VendorName}")
  set(CPACK_PACKAGE_CONTACT "${VendorName} <${ContactEmailAddress}>")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "schedule a shut down, restart or sleep at a chosen time")
  set(CPACK_PACKAGE_HOMEPAGE_URL "${ProductWebPageURL}")
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VendorName} <${ContactEmailAddress}>")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # sudo carries the typed password to the helper. The probe is the helper's own --show.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "sudo")
  # Qt's own texts (its dialogs' buttons, the context menus) in the language of Zarn's.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
  # The summary above is the synopsis; CPack indents this body itself.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Zarn is a small desktop utility that schedules one power task for this
computer: shut down, restart or sleep, at a date and time you pick or a
number of hours and minutes from now, and cancels it again.
.
The task is handed to the operating system through sudo with the
administrator password; the helper zarn-shutdown waits for the deadline
(surviving suspend and clock changes) and then acts through systemd, also
after Zarn has quit. At its next start Zarn finds the waiting task again.")
  include(CPack)
endif()
