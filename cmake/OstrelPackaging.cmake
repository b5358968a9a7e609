# Packages made by CPack from the install rules (./ostrel.sh package). Each
# platform picks its own generator; the common fields come first.
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VENDOR Brenvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the barcode conversion table of KOV OCR controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "Builds and edits the 512-entry barcode conversion table of a KOV OCR vision-sensor controller, keeps it in CSV/text files or 64 KiB binary images, and reads or writes the controller's table over RS-232C or USB.")
set(CPACK_PACKAGE_CONTACT "Brenvik <support@brenvik.example>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY KOV-Ostrel)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)   # ostrel_<version>_<arch>.deb
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # The libraries come from dpkg-shlibdeps; Qt's window-system plugins are a package of their own.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n")
  # The udev rule takes effect without a reboot; a controller already plugged in is replugged by hand.
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/deb/postinst)
endif()
if(WIN32)
  include(OstrelWindowsPackage)   # NSIS installer and portable zip
endif()

include(CPack)
