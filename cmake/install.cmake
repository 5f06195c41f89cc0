# What `cmake --install` puts where, the manual pages, and the Debian package (`cpack -G DEB`).
include(GNUInstallDirs)

# The player names the installed sample when it finds no production; relative to itself first, this
# path only when it has been moved away from its prefix.
set_source_files_properties(${CMAKE_SOURCE_DIR}/app/sample_location.cpp PROPERTIES COMPILE_DEFINITIONS
  "VELMORA_INSTALLED_DATA_DIR=\"${CMAKE_INSTALL_FULL_DATADIR}/velmora\"")

install(TARGETS velmora demotool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/production/demo.dat ${CMAKE_BINARY_DIR}/production/demo.ogg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)

# The manual pages are the programs' own --help and --version, so the option lists are written once.
find_program(VELMORA_HELP2MAN help2man)
find_program(VELMORA_GZIP gzip)
if(VELMORA_HELP2MAN AND VELMORA_GZIP)
  set(MAN_DIR ${CMAKE_BINARY_DIR}/man)
  file(MAKE_DIRECTORY ${MAN_DIR})
  set(MAN_PAGES)
  foreach(page velmora:6:real-time\ demo\ player demotool:1:pack\ and\ inspect\ demo\ packages)
    string(REPLACE ":" ";" page "${page}")
    list(GET page 0 program)
    list(GET page 1 section)
    list(GET page 2 summary)
    set(extra ${CMAKE_SOURCE_DIR}/packaging/${program}.h2m)
    add_custom_command(OUTPUT ${MAN_DIR}/${program}.${section}.gz
      COMMAND ${VELMORA_HELP2MAN} --no-info --no-discard-stderr --section ${section} --name ${summary}
              --include ${extra} --output ${MAN_DIR}/${program}.${section} $<TARGET_FILE:${program}>
      COMMAND ${VELMORA_GZIP} -9nf ${MAN_DIR}/${program}.${section}
      DEPENDS ${program} ${extra}
      COMMENT "Writing the manual page of ${program}" VERBATIM)
    install(FILES ${MAN_DIR}/${program}.${section}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
    list(APPEND MAN_PAGES ${MAN_DIR}/${program}.${section}.gz)
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${MAN_PAGES})
else()
  message(STATUS "help2man or gzip not found: no manual pages (scripts/install-deps.sh installs help2man)")
endif()

# The desktop entry starts the installed sample; its paths are the prefix at install time, which for the
# Debian package is /usr (hence CPACK_SET_DESTDIR below).
install(CODE "
  set(VELMORA_PLAYER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/velmora\")
  set(VELMORA_SAMPLE \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/velmora\")
  configure_file(\"${CMAKE_SOURCE_DIR}/packaging/velmora.desktop.in\"
                 \"${CMAKE_BINARY_DIR}/packaging/velmora.desktop\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/packaging/velmora.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
")
install(FILES ${CMAKE_SOURCE_DIR}/packaging/velmora.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
# Debian wants a changelog beside the copyright; the release entry is written from the version.
set(VELMORA_MAINTAINER "Velmora developers <velmora@example.org>" CACHE STRING
  "Maintainer of the Debian package and signer of its changelog entry")
set(CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog)
set(CHANGELOG_HEAD "velmora (${PROJECT_VERSION}) unstable; urgency=medium")
if(EXISTS ${CHANGELOG})
  file(STRINGS ${CHANGELOG} CHANGELOG_OLD LIMIT_COUNT 1)
endif()
# Dated when the version is first built, so that reconfiguring does not rebuild the package's files.
if(NOT "${CHANGELOG_OLD}" STREQUAL "${CHANGELOG_HEAD}")
  string(TIMESTAMP VELMORA_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(WRITE ${CHANGELOG} "${CHANGELOG_HEAD}\n\n  * Release ${PROJECT_VERSION}.\n\n"
    " -- ${VELMORA_MAINTAINER}  ${VELMORA_RELEASE_DATE}\n")
endif()
add_custom_command(OUTPUT ${CHANGELOG}.gz
  COMMAND ${VELMORA_GZIP} -9nkf ${CHANGELOG}
  DEPENDS ${CHANGELOG} VERBATIM)
add_custom_target(changelog ALL DEPENDS ${CHANGELOG}.gz)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright ${CHANGELOG}.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)

# The installed-program tests install the build.
if(TARGET gl_tests)
  add_dependencies(gl_tests changelog)
  if(TARGET manual_pages)
    add_dependencies(gl_tests manual_pages)
  endif()
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VELMORA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time demo player")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velmora loads LightWave 3D scenes, objects and envelopes from one data
package and renders them with OpenGL in time with an Ogg music track, in a
window, full screen, or frame by frame into pictures or a video. It comes
with a sample production, and demotool packs and inspects productions.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian keeps that section for programs in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The libraries the programs link come from dpkg-shlibdeps; the GL drivers are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libsdl2-2.0-0, libsdl2-mixer-2.0-0, libgtk-3-0, libvorbisfile3, zlib1g, libjpeg62-turbo, libgl1, libgl1-mesa-dri")
# --video runs ffmpeg.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
include(CPack)
