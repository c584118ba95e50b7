# Installation and the Debian package (`cmake --build <dir> --target package`, or
# scripts/package for a Release build into dist/): the two programs, the udev rule, the
# desktop entry with its icon, the AppStream metadata, the manual pages, the translations
# and the documentation.

include(GNUInstallDirs)

# Update with the version in the top CMakeLists.txt: the release the metadata and the
# package's changelog announce.
set(OVIX_RELEASE_DATE 2026-12-11)
set(OVIX_RELEASE_DATE_RFC2822 "Fri, 11 Dec 2026 00:00:00 +0000")
set(OVIX_APP_ID org.ovix.Ovix)

set(OVIX_PACKAGE_MAINTAINER "The OVIX developers <maintainers@users.noreply.c-seed-4c65be84.example>"
    CACHE STRING "Maintainer field of the Debian package")

# The udev rule goes where udev's own pkg-config file says rules live (Debian 12:
# /lib/udev/rules.d, the same folder as /usr/lib/udev/rules.d on a merged /usr), so a
# rule in /etc/udev/rules.d can still override it; scripts/setup uses the same place.
find_package(PkgConfig QUIET)
set(_udevdir "")
if(PKG_CONFIG_FOUND)
  pkg_get_variable(_udevdir udev udevdir)
endif()
if(_udevdir)
  set(_rules_dir "${_udevdir}/rules.d")
else()
  set(_rules_dir "/etc/udev/rules.d")
endif()
set(OVIX_UDEV_RULES_DIR "${_rules_dir}" CACHE PATH "Folder the udev rule is installed into")

set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_gen ${PROJECT_BINARY_DIR}/packaging)

# Files generated from templates: the version goes into the metadata, the manual pages
# and the changelog.
set(CPACK_PACKAGE_CONTACT "${OVIX_PACKAGE_MAINTAINER}")
configure_file(${_pkg}/${OVIX_APP_ID}.metainfo.xml.in ${_gen}/${OVIX_APP_ID}.metainfo.xml @ONLY)
configure_file(${_pkg}/changelog.in ${_gen}/changelog @ONLY)
configure_file(${_pkg}/man/ovix.1 ${_gen}/man/ovix.1 @ONLY)
configure_file(${_pkg}/man/ovixctl.1 ${_gen}/man/ovixctl.1 @ONLY)

# Compressed the way Debian ships them (-n: no name or time stamp, so the bytes depend
# only on the text).
set(_gz_outputs "")
foreach(f man/ovix.1 man/ovixctl.1 changelog)
  add_custom_command(OUTPUT ${_gen}/${f}.gz
    COMMAND gzip -9nc ${_gen}/${f} > ${_gen}/${f}.gz
    DEPENDS ${_gen}/${f}
    COMMENT "Compressing ${f}"
    VERBATIM)
  list(APPEND _gz_outputs ${_gen}/${f}.gz)
endforeach()

# The icon: one SVG, and PNGs rasterised from it for desktops that want fixed sizes.
set(OVIX_ICON_SIZES 16 22 24 32 48 64 128 256)
find_program(RSVG_CONVERT rsvg-convert)
set(_png_outputs "")
if(RSVG_CONVERT)
  foreach(size IN LISTS OVIX_ICON_SIZES)
    set(png ${_gen}/icons/${size}x${size}/${OVIX_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_gen}/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${_pkg}/icons/${OVIX_APP_ID}.svg
      DEPENDS ${_pkg}/icons/${OVIX_APP_ID}.svg
      COMMENT "Rasterising the icon at ${size} px"
      VERBATIM)
    list(APPEND _png_outputs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(WARNING "rsvg-convert not found (Debian: librsvg2-bin): the PNG icons are left out of the installation")
endif()
add_custom_target(ovix_package_files ALL DEPENDS ${_gz_outputs} ${_png_outputs})

install(TARGETS ovix ovixctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (the package's) also drops the compiler's notes, as Debian's dh_strip does.
set(_strip_notes [[
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program ovix ovixctl)
      execute_process(COMMAND "@CMAKE_STRIP@" --remove-section=.comment --remove-section=.note
                              "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_BINDIR@/${program}"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()
]])
string(CONFIGURE "${_strip_notes}" _strip_notes @ONLY)
install(CODE "${_strip_notes}")
install(FILES ${_pkg}/70-ovix.rules DESTINATION ${OVIX_UDEV_RULES_DIR})
install(FILES ${_pkg}/${OVIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_gen}/${OVIX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg}/icons/${OVIX_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_gen}/man/ovix.1.gz ${_gen}/man/ovixctl.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The programs carry their translations built in; the compiled catalogue is installed
# as well for translators and other tools.
install(FILES ${OVIX_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/ovix/translations)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${_pkg}/copyright ${_gen}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ovix)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ovix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control console for a six-channel car-audio signal processor")
set(CPACK_PACKAGE_DESCRIPTION
"OVIX tunes a six-channel car-audio signal processor connected by USB: front
left and right, rear left and right and two subwoofers, each with a 31-band
equaliser, high-pass and low-pass crossovers, gain, delay and polarity, and a
master volume. The console shows each channel's response as a graph with
draggable filter handles, links channel pairs, stores and recalls programs on
the processor and saves them as preset files. Its interface is in English and
Chinese.

The command-line tool ovixctl lists processors, prints their state and moves
preset files to and from them. A built-in simulated processor lets both be
tried without the hardware. The package's udev rule lets the user at the
console open the processor without root.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries come from dpkg-shlibdeps; what the programs load at run time without
# linking it is named here: Qt's platform plugins (xcb, wayland, offscreen), Qt's own
# Chinese texts for its standard dialogs, and the fonts the console draws with (Arial's
# metrics from Liberation, Chinese from Noto CJK).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation2, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_pkg}/postinst ${_pkg}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
