# Packages made by CPack from the install rules. Each platform picks its own
# generator; the common fields come first.
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VENDOR Brenvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the barcode conversion table of KOV OCR controllers")
set(CPACK_PACKAGE_INSTALL_DIRECTORY KOV-Ostrel)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

if(WIN32)
  include(OstrelWindowsPackage)
endif()

include(CPack)
