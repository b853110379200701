# The Windows release: oske-<version>-win64.zip with one folder that runs on a clean Windows.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME oske-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
# The folder itself is the install: no /usr inside it.
unset(CPACK_PACKAGING_INSTALL_PREFIX)
