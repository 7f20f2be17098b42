# The Debian package: what `cmake --install` puts under /usr, with the
# libraries it needs found by dpkg-shlibdeps from the binaries themselves.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talsk)
# CPack would make 0.1 into 0.1.1 from the missing patch number.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Talsk directory team <team@talsk.ru>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The licence forbids changing the program: not free software in Debian's sense.
set(CPACK_DEBIAN_PACKAGE_SECTION non-free/utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt's own texts (buttons, standard dialogs) in Russian; a recommendation, so
# that --no-install-recommends must leave it out on purpose.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://talsk.ru/spravochnik/)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "telephone directory of the town of Talsk
The residents, organizations and city dialling codes of Talsk, kept in
compressed base files (.btn) that may be protected by a key, searched as
you type in any of their fields or by a word anywhere in a record.
.
The window shows the results in a sortable grid and edits records; its
utilities convert base versions, change keys, merge bases and import
dBASE tables. talsk-cli does the same from the command line.")
include(CPack)
