# What `cmake --install` puts under the prefix, and the Debian package CPack makes of it.
include(GNUInstallDirs)

# tarnavel-setup stands beside the programs, in the build tree as in the installed tree: it
# places the programs it finds beside itself.
foreach(program TnvCueLine FleetValuer UninstallTarnavel tarnavel-setup)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

# Man pages and the changelog are installed compressed, as Debian wants them; -n keeps the
# archives the same from build to build.
find_program(TNV_GZIP gzip REQUIRED)
set(TNV_GZIPPED)
function(tnv_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${TNV_GZIP} -9nc ${source} > ${output}
        DEPENDS ${source} VERBATIM)
    set(TNV_GZIPPED ${TNV_GZIPPED} ${output} PARENT_SCOPE)
endfunction()

foreach(page TnvCueLine FleetValuer UninstallTarnavel tarnavel-setup)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1
                   @ONLY)
    tnv_gzip(${PROJECT_BINARY_DIR}/man/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
    install(FILES ${PROJECT_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(TNV_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tarnavel-tools)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/doc/changelog @ONLY)
tnv_gzip(${PROJECT_BINARY_DIR}/doc/changelog ${PROJECT_BINARY_DIR}/doc/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${TNV_DOC_DIR})
add_custom_target(tnv_docs ALL DEPENDS ${TNV_GZIPPED})

install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/tnv-cueline.desktop
              ${PROJECT_SOURCE_DIR}/resources/desktop/fleetvaluer.desktop
              ${PROJECT_SOURCE_DIR}/resources/desktop/uninstall-tarnavel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/mime/tarnavel-cueline.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# AppStream metainfo, one component a program, for software centres. Its release date is the
# changelog's latest entry's, so the two never disagree.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog TNV_TRAILER REGEX "^ -- " LIMIT_COUNT 1)
if(NOT TNV_TRAILER MATCHES ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "packaging/changelog: no date in the entry's trailer line")
endif()
set(TNV_MONTHS Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND TNV_MONTHS ${CMAKE_MATCH_2} TNV_MONTH)
if(TNV_MONTH LESS 0)
    message(FATAL_ERROR "packaging/changelog: no month named ${CMAKE_MATCH_2}")
endif()
math(EXPR TNV_MONTH "${TNV_MONTH} + 101") # 101..112: the month with a leading zero after "1"
string(SUBSTRING ${TNV_MONTH} 1 2 TNV_MONTH)
set(TNV_RELEASE_DATE ${CMAKE_MATCH_3}-${TNV_MONTH}-${CMAKE_MATCH_1})
foreach(component cueline fleetvaluer uninstaller)
    set(metainfo org.tarnavel.${component}.metainfo.xml)
    configure_file(${PROJECT_SOURCE_DIR}/resources/metainfo/${metainfo}.in
                   ${PROJECT_BINARY_DIR}/metainfo/${metainfo} @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/metainfo/${metainfo}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endforeach()

# Icons: the drawings, and PNG sizes rendered from them at build time by rsvg-convert
# (librsvg2-bin, which scripts/setup installs for exactly this).
set(TNV_ICONS tnv-cueline fleetvaluer uninstall-tarnavel)
set(TNV_ICON_SIZES 16 32 48 64 128 256)
find_program(TNV_RSVG_CONVERT rsvg-convert)
if(NOT TNV_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert renders the icons: install librsvg2-bin (scripts/setup does)")
endif()
set(TNV_ICON_PNGS)
foreach(icon IN LISTS TNV_ICONS)
    set(svg ${PROJECT_SOURCE_DIR}/resources/icons/${icon}.svg)
    install(FILES ${svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size IN LISTS TNV_ICON_SIZES)
        set(png ${PROJECT_BINARY_DIR}/icons/${size}/${icon}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}
            COMMAND ${TNV_RSVG_CONVERT} --width ${size} --height ${size}
                    --keep-aspect-ratio --output ${png} ${svg}
            DEPENDS ${svg} VERBATIM)
        list(APPEND TNV_ICON_PNGS ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
endforeach()
add_custom_target(tnv_icons ALL DEPENDS ${TNV_ICON_PNGS})

set(CPACK_PACKAGE_NAME tarnavel-tools)
set(CPACK_PACKAGE_VENDOR "Tarnavel")
set(CPACK_PACKAGE_CONTACT "Tarnavel tools maintainers <tools@tarnavel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Tarnavel add-on tools: crew pack editor, aircraft price browser, uninstaller")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
file(READ ${PROJECT_SOURCE_DIR}/packaging/description.txt CPACK_PACKAGE_DESCRIPTION)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation2, xdg-utils")
# Qt's Wayland platform, for a Wayland desktop without X11.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
