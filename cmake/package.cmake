# `cmake --build --preset mingw --target package` makes zelt-3.00-win64.zip (the mingw32 preset
# zelt-3.00-win32.zip): the program, the host tool, the README and the licence, side by side at the
# top of the archive. Beside each zip goes its checksum, zelt-3.00-win64.zip.sha256.
install(TARGETS zelt zelt-host RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zelt)
set(CPACK_PACKAGE_VENDOR "the zelt developers")
set(CPACK_PACKAGE_VERSION "3.00")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_PACKAGE_FILE_NAME "zelt-3.00-win64")
else()
  set(CPACK_PACKAGE_FILE_NAME "zelt-3.00-win32")
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/package_checksum.cmake)
include(CPack)
