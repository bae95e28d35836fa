# `make package`: a .deb of the program with its menu entry, icon and manual pages (CPack's DEB generator).
# Debian's documentation folder is named after the package, not the project.
set(CMAKE_INSTALL_DOCDIR share/doc/newsadder)
include(GNUInstallDirs)

install(TARGETS newsadder RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/newsadder.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/newsadder.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/newsadder-48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
    RENAME newsadder.png)
install(FILES data/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The queue sent with the window closed: `systemctl --user enable --now newsadder-due.timer`.
install(FILES data/newsadder-due.timer data/newsadder-due.service DESTINATION lib/systemd/user)
# Software centres list the program from it.
install(FILES data/newsadder.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
    RENAME invalid.newsadder.NewsAdder.metainfo.xml)

# Debian wants manual pages and the changelog compressed to the maximum and without a time stamp.
function(newsadder_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${source} > ${output}
        DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
endfunction()
set(compressed ${PROJECT_BINARY_DIR}/compressed)
file(MAKE_DIRECTORY ${compressed}/ru)
newsadder_gzip(data/newsadder.1 ${compressed}/newsadder.1.gz)
newsadder_gzip(data/newsadder.ru.1 ${compressed}/ru/newsadder.1.gz)
newsadder_gzip(data/changelog.Debian ${compressed}/changelog.Debian.gz)
add_custom_target(compressed_docs ALL DEPENDS
    ${compressed}/newsadder.1.gz ${compressed}/ru/newsadder.1.gz ${compressed}/changelog.Debian.gz)
install(FILES ${compressed}/newsadder.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${compressed}/ru/newsadder.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ru/man1)
install(FILES ${compressed}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME newsadder)
set(CPACK_PACKAGE_VENDOR "NewsAdder developers")
# The project has no public mail address yet; .invalid says so rather than inventing one.
set(CPACK_PACKAGE_CONTACT "NewsAdder developers <dev@newsadder.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "publishes short news items to a web site's news page")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "NewsAdder is a small desktop tool for the editor of a web site's news\n"
    "page, which is one HTML file on a server. The editor types a short news\n"
    "item, decorates it with HTML markup from buttons, picks its date and\n"
    "sends it: NewsAdder keeps a backup of the server's page, puts the item\n"
    "first on it and uploads the page back over SFTP, FTP over TLS, HTTPS or\n"
    "plain FTP. The interface is in Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "")
# Qt's own texts in Russian (buttons, file dialogs, the calendar), without which they stay English,
# WebP pictures in the preview, and the dictionaries of the spell checking.
if(NEWSADDER_QT STREQUAL "6")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-image-formats-plugins, hunspell-ru, hunspell-en-us")
else()
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qttranslations5-l10n, qt5-image-formats-plugins, hunspell-ru, hunspell-en-us")
endif()
include(CPack)
