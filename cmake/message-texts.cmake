# Turns src/base/messages.txt (UTF-8, one `kName = text` a line) into a C++
# file of code-page-932 byte arrays. Run as
#   cmake -DSOURCE=<messages.txt> -DHEADER=<messages.h> -DOUTPUT=<file.cpp>
#         -P message-texts.cmake
# The names must be exactly those the header declares: a text missing or
# left over stops the build and is named.
# Each text goes through iconv alone, without transliteration, so a
# character code page 932 cannot hold stops the build and names the text.
# The bytes must also read back as the very same text: a character that only
# has a look-alike in code page 932 (a yen sign becoming a backslash, a wave
# dash becoming the full-width tilde) would show as something else on
# Windows, so it stops the build too.
cmake_minimum_required(VERSION 3.20)

find_program(QB_ICONV iconv REQUIRED)
file(READ "${SOURCE}" content)
set(work "${OUTPUT}.work")
file(MAKE_DIRECTORY "${work}")

function(fail why)
  file(REMOVE_RECURSE "${work}")
  # Indented, so that CMake prints the line as it is instead of wrapping it.
  message(FATAL_ERROR "  ${SOURCE}:${line_number}: ${why}")
endfunction()

set(definitions "")
set(names "")
set(table "")
set(count 0)
set(line_number 0)
# Walked by hand rather than as a CMake list, so that `;` and `[` in a text
# stay plain characters.
while(NOT content STREQUAL "")
  math(EXPR line_number "${line_number} + 1")
  string(FIND "${content}" "\n" end)
  if(end EQUAL -1)
    set(line "${content}")
    set(content "")
  else()
    string(SUBSTRING "${content}" 0 ${end} line)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${content}" ${end} -1 content)
  endif()
  # A file checked out with CR LF line ends reads the same as with LF.
  string(REGEX REPLACE "\r$" "" line "${line}")
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(NOT line MATCHES "^(k[A-Za-z0-9]+) = (.+)$")
    fail("not `kName = text`")
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(text "${CMAKE_MATCH_2}")
  if("${name}" IN_LIST names)
    fail("${name} is written twice")
  endif()
  # A blank (space, tab, full-width space) at either end of a text cannot be
  # seen in an editor, and editors add and strip them unasked: refused, so
  # that a text never changes unseen.
  if(text MATCHES "^[ \t]" OR text MATCHES "[ \t]$" OR
     text MATCHES "^　" OR text MATCHES "　$")
    fail("${name} begins or ends with a blank")
  endif()
  string(REPLACE "\\r" "\r" text "${text}")
  string(REPLACE "\\n" "\n" text "${text}")
  string(FIND "${text}" "\\" stray)
  if(NOT stray EQUAL -1)
    fail("${name}: a backslash other than \\r or \\n")
  endif()
  file(WRITE "${work}/utf8.txt" "${text}")
  execute_process(
    COMMAND "${QB_ICONV}" -f UTF-8 -t CP932 "${work}/utf8.txt"
    OUTPUT_FILE "${work}/cp932.txt"
    ERROR_VARIABLE iconv_error
    RESULT_VARIABLE iconv_status)
  if(NOT iconv_status EQUAL 0)
    fail("${name} does not convert to code page 932: ${iconv_error}")
  endif()
  execute_process(
    COMMAND "${QB_ICONV}" -f CP932 -t UTF-8 "${work}/cp932.txt"
    OUTPUT_FILE "${work}/back.txt"
    RESULT_VARIABLE iconv_status)
  # Compared as hexadecimal: a plain file(READ) would drop the CR of CR LF.
  file(READ "${work}/utf8.txt" written HEX)
  file(READ "${work}/back.txt" back HEX)
  if(NOT iconv_status EQUAL 0 OR NOT back STREQUAL written)
    fail("${name} does not read back the same from code page 932")
  endif()
  file(READ "${work}/cp932.txt" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
  string(APPEND definitions "extern const char ${name}[] = \"${escaped}\";\n")
  string(APPEND table "    {\"${name}\", ${name}},\n")
  list(APPEND names "${name}")
  math(EXPR count "${count} + 1")
endwhile()
file(REMOVE_RECURSE "${work}")

file(STRINGS "${HEADER}" declarations REGEX "^extern const char k[A-Za-z0-9]+\\[\\];")
set(declared "")
foreach(declaration IN LISTS declarations)
  string(REGEX REPLACE "^extern const char (k[A-Za-z0-9]+).*$" "\\1" declared_name "${declaration}")
  list(APPEND declared "${declared_name}")
endforeach()
set(missing ${declared})
set(extra ${names})
if(names)
  list(REMOVE_ITEM missing ${names})
endif()
if(declared)
  list(REMOVE_ITEM extra ${declared})
endif()
if(missing OR extra)
  message(FATAL_ERROR "  ${SOURCE}: texts missing: [${missing}]\n"
                      "  texts not declared in ${HEADER}: [${extra}]")
endif()

file(WRITE "${OUTPUT}.tmp"
  "// Generated from src/base/messages.txt by cmake/message-texts.cmake: edit those.\n"
  "#include \"base/messages.h\"\n\n"
  "namespace qb {\nnamespace msg {\n\n"
  "${definitions}\n"
  "extern const NamedText kAllTexts[] = {\n${table}};\n"
  "extern const std::size_t kAllTextCount = ${count};\n\n"
  "}  // namespace msg\n}  // namespace qb\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
