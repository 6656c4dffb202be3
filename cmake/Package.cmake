# What `make install` lays out and what scripts/package.sh packs into one Debian package: the
# admin tool on the PATH, the programs that `numorika-admin init` copies into an installation in
# the package's own folder, and the files of a desktop and of the system around them.
include(GNUInstallDirs)

# The date of this version, beside the version itself in the project() line.
set(NUMORIKA_RELEASE_DATE 2026-12-07)
set(NUMORIKA_RELEASE_TIME "Mon, 07 Dec 2026 00:00:00 +0000")
set(NUMORIKA_MAINTAINER "ヌモリカ開発 <numorika@example.com>")

install(TARGETS numorika-admin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS numorika_menu environment_setup numorika-demo-program
        RUNTIME DESTINATION ${NUMORIKA_PROGRAM_DIR})

# The manual page and the completion, written from the tool's table; Debian wants the page
# compressed, without a time stamp.
add_custom_command(
    OUTPUT ${NUMORIKA_DOCS_DIR}/numorika-admin.1.gz
    COMMAND gzip -9nc ${NUMORIKA_DOCS_DIR}/numorika-admin.1 > ${NUMORIKA_DOCS_DIR}/numorika-admin.1.gz
    DEPENDS ${NUMORIKA_DOCS_DIR}/numorika-admin.1)
configure_file(${CMAKE_SOURCE_DIR}/tools/package/changelog.in ${NUMORIKA_DOCS_DIR}/changelog @ONLY)
add_custom_command(
    OUTPUT ${NUMORIKA_DOCS_DIR}/changelog.gz
    COMMAND gzip -9nc ${NUMORIKA_DOCS_DIR}/changelog > ${NUMORIKA_DOCS_DIR}/changelog.gz
    DEPENDS ${NUMORIKA_DOCS_DIR}/changelog)
configure_file(${CMAKE_SOURCE_DIR}/tools/package/numorika.metainfo.xml.in
               ${NUMORIKA_DOCS_DIR}/org.numorika.admin.metainfo.xml @ONLY)

# The icon in the hicolor theme: the SVG as it is, PNGs drawn from it by rsvg-convert (librsvg2-bin).
set(icon_sizes 16 22 24 32 48 64 128 256)
set(icon_files)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
    foreach(size IN LISTS icon_sizes)
        set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/numorika.png)
        add_custom_command(
            OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
            COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
                    ${CMAKE_SOURCE_DIR}/src/resources/numorika.svg
            DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/numorika.svg)
        list(APPEND icon_files ${png})
        install(FILES ${png}
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
else()
    message(STATUS "rsvg-convert not found: the package would have no PNG icons")
endif()
add_custom_target(package_files ALL DEPENDS ${NUMORIKA_DOCS_DIR}/numorika-admin.1.gz
                                            ${NUMORIKA_DOCS_DIR}/changelog.gz ${icon_files})
add_dependencies(package_files admin_docs)

install(FILES ${NUMORIKA_DOCS_DIR}/numorika-admin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${NUMORIKA_DOCS_DIR}/numorika-admin.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME numorika-admin)
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/numorika.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/numorika.desktop.in
        DESTINATION ${CMAKE_INSTALL_DATADIR}/numorika)
install(FILES ${NUMORIKA_DOCS_DIR}/org.numorika.admin.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Debian 12 keeps the units of packages in /lib/systemd/system.
install(FILES "${CMAKE_SOURCE_DIR}/tools/systemd/numorika-backup@.service"
              "${CMAKE_SOURCE_DIR}/tools/systemd/numorika-backup@.timer"
        DESTINATION /lib/systemd/system)
install(FILES ${CMAKE_SOURCE_DIR}/tools/package/copyright ${NUMORIKA_DOCS_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/numorika)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME numorika)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "${NUMORIKA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ヌモリカ 販売管理の担当者別メニューと管理ツール")
# Under the summary, which CPack puts on the first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "numorika-admin (管理ツール) は共有インストールを作成し、確かめ、予定の
バックアップを実行し、担当者のメニューと暗証番号を扱います。
ヌモリカマイメニュ は ヌモリカ 販売管理の各プログラムを、担当者ごとの
3つのタブと24のボタンから条件値を付けて起動し、稼動履歴を記録し、
終了時に業務データをバックアップします。")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_NUMORIKA_PROGRAMS
    ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/numorika-admin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/ヌモリカマイメニュ
    ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/動作環境設定.exe
    ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/numorika-demo-program)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/PackageDepends.cmake)
# Loaded as plugins, so no linked library names them: the SQLite driver and the windows.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-psql, libqt6sql6-odbc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_SOURCE_DIR}/dist)
include(CPack)
