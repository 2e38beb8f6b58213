# Run by CPack after it made the zip: writes its SHA-256 beside it in the build folder, as
# "HASH *NAME" (the form sha256sum -c reads), so that a download can be checked before it is run.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name "${package}" NAME)
  file(SHA256 "${package}" hash)
  file(WRITE "${CPACK_PACKAGE_DIRECTORY}/${name}.sha256" "${hash} *${name}\n")
  message(STATUS "Checksum: ${CPACK_PACKAGE_DIRECTORY}/${name}.sha256")
endforeach()
