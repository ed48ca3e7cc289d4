# Writes the manual page coastdown.1 from the usage text, so that the page
# and `coastdown --help` never disagree. Run as a script at build time:
#   cmake -DUSAGE=app/usage.txt -DOUTPUT=coastdown.1 -DVERSION=1.0.2 -P cmake/ManPage.cmake
# The usage text's layout makes the page: the usage lines are the synopsis,
# the first paragraph the description and the name line; an indented line
# is kept as it is (the field and option tables); a paragraph that opens
# with "word:" (example:, exit status:) becomes a section of that title, and
# the one that opens with "Options" the section OPTIONS.
foreach(required USAGE OUTPUT VERSION)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "ManPage.cmake needs -D${required}=...")
  endif()
endforeach()

file(READ "${USAGE}" text)
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
    string(REGEX REPLACE "^usage: +" "" line "${line}")
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
    if(line MATCHES "^([a-z][a-z ]*): *(.*)$")
      string(TOUPPER "${CMAKE_MATCH_1}" title)
      set(line "${CMAKE_MATCH_2}")
      string(APPEND body ".SH ${title}\n")
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

# The name line: the first sentence of the description, in the usual form.
string(STRIP "${name}" name)
string(REGEX REPLACE "\\. .*$" "" name "${name}")
string(REGEX REPLACE " \\([^)]*\\)" "" name "${name}")
string(REGEX REPLACE "\\.$" "" name "${name}")
string(SUBSTRING "${name}" 0 1 first)
string(TOLOWER "${first}" first)
string(SUBSTRING "${name}" 1 -1 rest)
roff_escape("${first}${rest}" name)

file(WRITE "${OUTPUT}"
  ".\\\" Made from the usage text (app/usage.txt) when coastdown is built.\n"
  ".TH COASTDOWN 1 \"\" \"coastdown ${VERSION}\" \"User Commands\"\n"
  ".SH NAME\n"
  "coastdown \\- ${name}\n"
  ".SH SYNOPSIS\n"
  ".nf\n"
  "${synopsis}"
  ".fi\n"
  ".SH DESCRIPTION\n"
  "${body}"
  ".SH SEE ALSO\n"
  "\\fBcoastdown\\-sim \\-\\-help\\fR, the simulator of test folders;\n"
  "the README in the documentation folder of the package.\n")
