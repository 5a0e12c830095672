# Run by CPack after it has made the zip, before the zip is moved into the
# output folder: writes SHA256SUMS there, one "<hash>  <name>" line (the form
# sha256sum -c reads) for the new zip and for every other release zip of
# this version already in that folder, sorted by name.
set(sums "")
set(names "")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name "${package}" NAME)
  file(SHA256 "${package}" hash)
  list(APPEND names "${name}")
  list(APPEND sums "${name}|${hash}")
endforeach()
file(GLOB others RELATIVE "${CPACK_OUTPUT_FILE_PREFIX}"
     "${CPACK_OUTPUT_FILE_PREFIX}/${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-*.zip")
foreach(name IN LISTS others)
  if(NOT name IN_LIST names)
    file(SHA256 "${CPACK_OUTPUT_FILE_PREFIX}/${name}" hash)
    list(APPEND sums "${name}|${hash}")
  endif()
endforeach()
list(SORT sums)
set(text "")
foreach(entry IN LISTS sums)
  string(REPLACE "|" ";" pair "${entry}")
  list(GET pair 0 name)
  list(GET pair 1 hash)
  string(APPEND text "${hash}  ${name}\n")
endforeach()
file(WRITE "${CPACK_OUTPUT_FILE_PREFIX}/SHA256SUMS" "${text}")
