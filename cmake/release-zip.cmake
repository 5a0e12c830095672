# Makes one release zip and writes SHA256SUMS beside it. Run as
#   cmake -DEXE=<Quenbrook.exe> -DGUIDE=<Quenbrook.txt> -DLICENSE=<LICENSE.txt>
#         -DZIP=<release folder>/Quenbrook-<version>-<arch>.zip
#         -DSTAGE=<scratch folder> -DSOURCE_DIR=<source tree> -P release-zip.cmake
#
# The zip holds one folder, Quenbrook, and the three files in it, and depends
# on nothing but their bytes: the entries stand in a fixed order (the folder,
# then the files sorted by name), every entry carries one time, that of the
# last commit (or SOURCE_DATE_EPOCH when it is set), written as UTC, modes
# are set here rather than taken from the umask, and no owner, access time or
# other extra field is stored (Info-ZIP's zip -X). So two builds of one
# commit give the same zip, wherever and by whomever they are built.
#
# SHA256SUMS then gets one "<hash>  <name>" line (the form sha256sum -c reads)
# for every zip of this version in the release folder, sorted by name, so
# that the win64 and win32 builds, made one after the other into one folder,
# share one list.
cmake_minimum_required(VERSION 3.20)

foreach(input EXE GUIDE LICENSE ZIP STAGE SOURCE_DIR)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "release-zip.cmake: -D${input}=... is missing")
  endif()
endforeach()
find_program(QB_ZIP zip)
find_program(QB_TOUCH touch)
if(NOT QB_ZIP OR NOT QB_TOUCH)
  message(FATAL_ERROR "release-zip.cmake needs zip and touch: run scripts/install-deps.sh")
endif()

# The time of every entry.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(
    COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_VARIABLE git_error
    RESULT_VARIABLE git_status)
  if(NOT git_status EQUAL 0)
    message(FATAL_ERROR "  the time of the last commit is not to be had in ${SOURCE_DIR} "
                        "(${git_status}: ${git_error}): set SOURCE_DATE_EPOCH to the "
                        "release's time in seconds since 1970")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: '${epoch}'")
endif()

# The folder as it unpacks, with modes of its own.
set(folder "${STAGE}/Quenbrook")
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${folder}")
set(read_only OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(runnable ${read_only} OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
file(COPY_FILE "${EXE}" "${folder}/Quenbrook.exe")
file(COPY_FILE "${GUIDE}" "${folder}/Quenbrook.txt")
file(COPY_FILE "${LICENSE}" "${folder}/LICENSE.txt")
file(CHMOD "${folder}" "${folder}/Quenbrook.exe" PERMISSIONS ${runnable})
file(CHMOD "${folder}/Quenbrook.txt" "${folder}/LICENSE.txt" PERMISSIONS ${read_only})

set(entries LICENSE.txt Quenbrook.exe Quenbrook.txt)
list(SORT entries)
list(TRANSFORM entries PREPEND "Quenbrook/")
list(PREPEND entries "Quenbrook/")
execute_process(
  COMMAND "${QB_TOUCH}" -d "@${epoch}" ${entries}
  WORKING_DIRECTORY "${STAGE}"
  RESULT_VARIABLE touch_status)
if(NOT touch_status EQUAL 0)
  message(FATAL_ERROR "could not set the entries' time")
endif()

# zip adds to an archive that exists: it writes a new one and replaces the
# zip only once it is whole. The DOS time in each entry is local time, hence
# TZ=UTC0.
get_filename_component(release_dir "${ZIP}" DIRECTORY)
get_filename_component(zip_name "${ZIP}" NAME)
file(MAKE_DIRECTORY "${release_dir}")
set(new_zip "${STAGE}/${zip_name}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC0 "${QB_ZIP}" -X -q -9 "${new_zip}" ${entries}
  WORKING_DIRECTORY "${STAGE}"
  RESULT_VARIABLE zip_status)
if(NOT zip_status EQUAL 0)
  message(FATAL_ERROR "zip failed for ${zip_name}")
endif()
file(RENAME "${new_zip}" "${ZIP}")
file(REMOVE_RECURSE "${STAGE}")

string(REGEX REPLACE "^(Quenbrook-[0-9.]+-).*$" "\\1" prefix "${zip_name}")
file(GLOB zips RELATIVE "${release_dir}" "${release_dir}/${prefix}*.zip")
list(SORT zips)
set(sums "")
foreach(name IN LISTS zips)
  file(SHA256 "${release_dir}/${name}" hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${release_dir}/SHA256SUMS.tmp" "${sums}")
file(RENAME "${release_dir}/SHA256SUMS.tmp" "${release_dir}/SHA256SUMS")
message(STATUS "${ZIP}")
