# The Windows installer talsk-VERSION-win64.exe, made by NSIS from what
# `cmake --install` lays out: installed per machine into Program Files, a
# Start menu entry with the program's icon, an uninstaller, and base files
# (.btn) opened by the program.
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME talsk)
set(CPACK_PACKAGE_VENDOR "Talsk directory team")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME talsk-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Talsk)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Talsk)
set(CPACK_STRIP_FILES ON)
# The NSIS lines below are written into the installer script as they stand.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_NSIS_PACKAGE_NAME "Тальский телефонный справочник")
set(CPACK_NSIS_DISPLAY_NAME "Тальский телефонный справочник")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_URL_INFO_ABOUT https://talsk.ru/spravochnik/)
set(CPACK_NSIS_CONTACT "team@talsk.ru")
set(CPACK_NSIS_INSTALLED_ICON_NAME talsk.exe)
set(CPACK_NSIS_MUI_ICON ${TALSK_ICO})
set(CPACK_NSIS_MUI_UNIICON ${TALSK_ICO})
# A 64-bit installer (it runs where the program runs, wine64 alone too), with
# Cyrillic names in the Start menu and in the list of installed programs.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# An earlier copy is removed first, without asking when installing silently.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

# The programs lie in the folder itself, not in bin\ where CPack's own
# shortcuts point.
set(CPACK_NSIS_CREATE_ICONS_EXTRA "
  CreateShortCut '$SMPROGRAMS\\$STARTMENU_FOLDER\\Тальский телефонный справочник.lnk' '$INSTDIR\\talsk.exe' '' '$INSTDIR\\talsk.exe' 0
")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "
  Delete '$SMPROGRAMS\\$MUI_TEMP\\Тальский телефонный справочник.lnk'
")

# .btn files open in the program, with its icon.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr HKCR '.btn' '' 'Talsk.BaseFile'
  WriteRegStr HKCR 'Talsk.BaseFile' '' 'База телефонного справочника'
  WriteRegStr HKCR 'Talsk.BaseFile\\DefaultIcon' '' '$INSTDIR\\talsk.exe,0'
  WriteRegStr HKCR 'Talsk.BaseFile\\shell\\open\\command' '' '\"$INSTDIR\\talsk.exe\" \"%1\"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  ReadRegStr $0 HKCR '.btn' ''
  StrCmp $0 'Talsk.BaseFile' 0 +2
    DeleteRegKey HKCR '.btn'
  DeleteRegKey HKCR 'Talsk.BaseFile'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
")
include(CPack)
