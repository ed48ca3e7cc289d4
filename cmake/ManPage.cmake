# Writes the manual page of a program from its usage text, so that the page
# and the program's --help never disagree. Run as a script at build time:
#   cmake -DUSAGE=app/usage.txt -DNAME=coastdown -DOUTPUT=coastdown.1 -DVERSION=1.0.2 -P cmake/ManPage.cmake
#   cmake -DPROGRAM=build/sim/coastdown-sim -DNAME=coastdown-sim -DOUTPUT=coastdown-sim.1 ... -P cmake/ManPage.cmake
# USAGE names a file holding the usage text; PROGRAM a program whose --help
# prints it. With GZIP (the gzip program) the page is written compressed, as
# OUTPUT.gz, without a name or time stamp in it, so the same text gives the
# same bytes.
# The usage text's layout makes the page: the usage lines are the synopsis,
# the first paragraph the description and the name line; an indented line
# is kept as it is (the field and option tables); after the description, a
# paragraph that opens with "word:" (example:, Exit status:) becomes a
# section of that title, and the one that opens with "Options" the section
# OPTIONS.
foreach(required NAME OUTPUT VERSION)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "ManPage.cmake needs -D${required}=...")
  endif()
endforeach()

if(DEFINED PROGRAM)
  execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
  endif()
elseif(DEFINED USAGE)
  file(READ "${USAGE}" text)
else()
  message(FATAL_ERROR "ManPage.cmake needs -DUSAGE=... or -DPROGRAM=...")
endif()
# The text becomes a list of lines; list separators and brackets in it are
# stood in for until each line is written.
string(REPLACE ";" "@SEMICOLON@" text "${text}")
string(REPLACE "[" "@OPEN@" text "${text}")
string(REPLACE "]" "@CLOSE@" text "${text}")
string(REGEX REPLACE "\n+$" "" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

# Roff: backslashes and hyphens are written as escapes, and a line must not
# open with a control character.
function(roff_escape line out)
  string(REPLACE "\\" "\\e" line "${line}")
  string(REPLACE "-" "\\-" line "${line}")
  string(REPLACE "@SEMICOLON@" ";" line "${line}")
  string(REPLACE "@OPEN@" "[" line "${line}")
  string(REPLACE "@CLOSE@" "]" line "${line}")
  if(line MATCHES "^[.']")
    set(line "\\&${line}")
  endif()
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

set(synopsis "")
set(name "")
set(body "")
set(stage usage)      # usage, then description, then the rest
set(preformatted OFF)  # inside .nf for indented lines
set(paragraph_open OFF)
foreach(line IN LISTS lines)
  if(stage STREQUAL "usage")
    if(line STREQUAL "")
      set(stage description)
      continue()
    endif()
    string(REGEX REPLACE "^[Uu]sage: +" "" line "${line}")
    string(REGEX REPLACE "^ +" "" line "${line}")
    roff_escape("${line}" line)
    string(APPEND synopsis "${line}\n")
    continue()
  endif()

  if(line STREQUAL "")
    if(preformatted)
      string(APPEND body ".fi\n.RE\n")
      set(preformatted OFF)
    endif()
    set(paragraph_open OFF)
    if(stage STREQUAL "description")
      set(stage rest)
    endif()
    continue()
  endif()

  if(stage STREQUAL "description")
    string(APPEND name " ${line}")
  endif()

  if(line MATCHES "^ ")
    if(NOT preformatted)
      if(NOT paragraph_open)
        string(APPEND body ".PP\n")
        set(paragraph_open ON)
      endif()
      string(APPEND body ".RS 2\n.nf\n")
      set(preformatted ON)
    endif()
    # The text's own indent of two is the block's; the rest is alignment.
    if(line MATCHES "^  ")
      string(SUBSTRING "${line}" 2 -1 line)
    endif()
    roff_escape("${line}" line)
    string(APPEND body "${line}\n")
    continue()
  endif()
  if(preformatted)
    string(APPEND body ".fi\n.RE\n")
    set(preformatted OFF)
  endif()

  if(NOT paragraph_open)
    if(stage STREQUAL "rest" AND line MATCHES "^([A-Za-z][a-z ]*)( \\([^)]*\\))?: *(.*)$")
      string(TOUPPER "${CMAKE_MATCH_1}" title)
      set(line "${CMAKE_MATCH_3}")
      string(APPEND body ".SH ${title}\n")
      if(line STREQUAL "")
        # A heading of its own line: what follows is the section's first paragraph.
        set(paragraph_open OFF)
        continue()
      endif()
    elseif(line MATCHES "^Options ")
      string(APPEND body ".SH OPTIONS\n")
    elseif(NOT stage STREQUAL "description" OR NOT body STREQUAL "")
      string(APPEND body ".PP\n")
    endif()
    set(paragraph_open ON)
  endif()
  roff_escape("${line}" line)
  string(APPEND body "${line}\n")
endforeach()
if(preformatted)
  string(APPEND body ".fi\n.RE\n")
endif()

# The name line: the first sentence of the description up to a colon, in
# the usual form.
string(STRIP "${name}" name)
string(REGEX REPLACE "\\. .*$" "" name "${name}")
string(REGEX REPLACE ":.*$" "" name "${name}")
string(REGEX REPLACE " \\([^)]*\\)" "" name "${name}")
string(REGEX REPLACE "\\.$" "" name "${name}")
string(SUBSTRING "${name}" 0 1 first)
string(TOLOWER "${first}" first)
string(SUBSTRING "${name}" 1 -1 rest)
roff_escape("${first}${rest}" name)

if(NAME STREQUAL "coastdown")
  set(see_also "\\fBcoastdown\\-sim\\fR(1), the simulator of test folders;\n")
else()
  set(see_also "\\fBcoastdown\\fR(1), the analysis of the test folders it writes;\n")
endif()
string(TOUPPER "${NAME}" title)
string(REPLACE "-" "\\-" roff_name "${NAME}")
file(WRITE "${OUTPUT}"
  ".\\\" Made from the usage text of ${NAME} when it is built.\n"
  ".TH ${title} 1 \"\" \"coastdown ${VERSION}\" \"User Commands\"\n"
  ".SH NAME\n"
  "${roff_name} \\- ${name}\n"
  ".SH SYNOPSIS\n"
  ".nf\n"
  "${synopsis}"
  ".fi\n"
  ".SH DESCRIPTION\n"
  "${body}"
  ".SH SEE ALSO\n"
  "${see_also}"
  "the README in the documentation folder of the package.\n")
if(DEFINED GZIP)
  execute_process(COMMAND "${GZIP}" -9nf "${OUTPUT}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GZIP} -9nf ${OUTPUT} failed (${status})")
  endif()
endif()
