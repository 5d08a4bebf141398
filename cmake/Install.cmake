# What `cmake --install` puts under the prefix, and the Debian package CPack makes of it.
include(GNUInstallDirs)

# tarnavel-setup stands beside the programs, in the build tree as in the installed tree.
configure_file(${PROJECT_SOURCE_DIR}/setup/tarnavel-setup ${PROJECT_BINARY_DIR}/bin/tarnavel-setup
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

foreach(program TnvCueLine FleetValuer UninstallTarnavel)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
install(PROGRAMS ${PROJECT_BINARY_DIR}/bin/tarnavel-setup DESTINATION ${CMAKE_INSTALL_BINDIR})

foreach(page TnvCueLine FleetValuer UninstallTarnavel tarnavel-setup)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1
                   @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/tnv-cueline.desktop
              ${PROJECT_SOURCE_DIR}/resources/desktop/fleetvaluer.desktop
              ${PROJECT_SOURCE_DIR}/resources/desktop/uninstall-tarnavel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/mime/tarnavel-cueline.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# Icons: the drawings, and PNG sizes rendered from them at build time.
set(TNV_ICONS tnv-cueline fleetvaluer uninstall-tarnavel)
set(TNV_ICON_SIZES 16 32 48 64 128 256)
find_program(TNV_CONVERT convert)
set(TNV_ICON_PNGS)
foreach(icon IN LISTS TNV_ICONS)
    set(svg ${PROJECT_SOURCE_DIR}/resources/icons/${icon}.svg)
    install(FILES ${svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    if(TNV_CONVERT)
        foreach(size IN LISTS TNV_ICON_SIZES)
            set(png ${PROJECT_BINARY_DIR}/icons/${size}/${icon}.png)
            add_custom_command(OUTPUT ${png}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}
                COMMAND ${TNV_CONVERT} -background none ${svg} -resize ${size}x${size} ${png}
                DEPENDS ${svg} VERBATIM)
            list(APPEND TNV_ICON_PNGS ${png})
            install(FILES ${png}
                    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
        endforeach()
    endif()
endforeach()
add_custom_target(tnv_icons ALL DEPENDS ${TNV_ICON_PNGS})

set(CPACK_PACKAGE_NAME tarnavel-tools)
set(CPACK_PACKAGE_VENDOR "Tarnavel")
set(CPACK_PACKAGE_CONTACT "Tarnavel tools maintainers <tools@tarnavel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Tarnavel add-on tools: crew pack editor, aircraft price browser, uninstaller")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation2, xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
