# Writes the manual page of deckshift-cli with help2man, from the program's own --help, so that it
# always shows the sub-commands and options the program has. help2man reads the top-level help;
# this script adds one section per sub-command, made from that sub-command's --help, and the
# hand-written sections of the include file.
#
#   cmake -DCLI=path/to/deckshift-cli -DHELP2MAN=path/to/help2man -DINCLUDE=deckshift-cli.h2m
#         -DNAME="one-line description" -DOUTPUT=deckshift-cli.1 -P ManPage.cmake

foreach(var CLI HELP2MAN INCLUDE NAME OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ManPage.cmake: ${var} is not set")
  endif()
endforeach()

function(run_help out_var)
  execute_process(COMMAND "${CLI}" ${ARGN} --help
                  OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${CLI} ${ARGN} --help failed (${status})")
  endif()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# The lines of a text as a list. Brackets and semicolons would upset CMake's lists: they are
# encoded as <lb>, <rb> and <sc> until the line is taken from the list.
function(split_lines out_var text)
  string(REPLACE "[" "<lb>" text "${text}")
  string(REPLACE "]" "<rb>" text "${text}")
  string(REPLACE ";" "<sc>" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Text made safe for roff: backslashes, hyphens and a leading dot or quote.
function(roff_escape out_var text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# One item of a help listing: "  -o,--output TEXT Excludes: --register   description".
# Names in bold, the rest of the left column in italics.
function(roff_item out_var left description)
  string(REGEX MATCH "^[^ ]+" names "${left}")
  string(LENGTH "${names}" names_length)
  string(SUBSTRING "${left}" ${names_length} -1 rest)
  string(STRIP "${rest}" rest)
  string(REPLACE "," ";" names "${names}")
  set(bold "")
  foreach(name IN LISTS names)
    roff_escape(name "${name}")
    if(bold)
      string(APPEND bold ", ")
    endif()
    string(APPEND bold "\\fB${name}\\fR")
  endforeach()
  set(item ".TP\n${bold}")
  if(rest)
    roff_escape(rest "${rest}")
    string(APPEND item " \\fI${rest}\\fR")
  endif()
  roff_escape(description "${description}")
  set(${out_var} "${item}\n${description}\n" PARENT_SCOPE)
endfunction()

# The roff text of one sub-command's help.
function(subcommand_section out_var sub)
  run_help(help ${sub})
  split_lines(lines "${help}")
  set(roff "")
  set(left "")
  set(description "")
  set(summary "")
  set(usage "")
  foreach(line IN LISTS lines)
    string(REPLACE "<lb>" "[" line "${line}")
    string(REPLACE "<rb>" "]" line "${line}")
    string(REPLACE "<sc>" ";" line "${line}")
    if(line MATCHES "^Usage: (.*)$")
      set(usage "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^([A-Za-z ]+):$")
      # A heading such as "Positionals:" or "Options:": ends the item before it.
      if(left)
        roff_item(item "${left}" "${description}")
        string(APPEND roff "${item}")
        set(left "")
      endif()
    elseif(line MATCHES "^  ([^ ].*)$")
      if(left)
        roff_item(item "${left}" "${description}")
        string(APPEND roff "${item}")
      endif()
      # The left column ends at the first run of two or more blanks; a long one has the
      # description on the next line.
      set(entry "${CMAKE_MATCH_1}")
      if(entry MATCHES "^(.*[^ ])  +([^ ].*)$")
        set(left "${CMAKE_MATCH_1}")
        set(description "${CMAKE_MATCH_2}")
      else()
        set(left "${entry}")
        set(description "")
      endif()
    elseif(line MATCHES "^   +([^ ].*)$" AND left)
      # A description on its own line, or a description's next line.
      if(description)
        string(APPEND description " ")
      endif()
      string(APPEND description "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^[^ ]" AND NOT usage AND NOT summary)
      set(summary "${line}")
    endif()
  endforeach()
  if(left)
    roff_item(item "${left}" "${description}")
    string(APPEND roff "${item}")
  endif()
  if(NOT usage)
    message(FATAL_ERROR "${CLI} ${sub} --help shows no usage line")
  endif()
  roff_escape(usage "${usage}")
  roff_escape(summary "${summary}")
  set(${out_var} ".SS \"${sub}\"\n\\fB${usage}\\fR\n.PP\n${summary}\n${roff}" PARENT_SCOPE)
endfunction()

# The sub-commands, in the order the top-level help lists them.
run_help(help)
split_lines(lines "${help}")
set(subcommands "")
set(in_list FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^Subcommands:$")
    set(in_list TRUE)
  elseif(line MATCHES "^[^ ]")
    set(in_list FALSE)
  elseif(in_list AND line MATCHES "^  ([a-z0-9-]+)( |$)")
    list(APPEND subcommands "${CMAKE_MATCH_1}")
  endif()
endforeach()
if(NOT subcommands)
  message(FATAL_ERROR "${CLI} --help lists no sub-commands")
endif()

set(generated "[SUB-COMMANDS]\n")
foreach(sub IN LISTS subcommands)
  subcommand_section(section ${sub})
  string(APPEND generated "${section}")
endforeach()
# help2man ignores the lines before the first section of an include file; here they would land
# in the last generated section, so they are left out.
file(READ "${INCLUDE}" handwritten)
string(FIND "${handwritten}" "\n[" first_section)
if(first_section GREATER_EQUAL 0)
  math(EXPR first_section "${first_section} + 1")
  string(SUBSTRING "${handwritten}" ${first_section} -1 handwritten)
endif()
set(include_file "${OUTPUT}.h2m")
file(WRITE "${include_file}" "${generated}\n${handwritten}")

# The version line names the product ("deckshift 2.2.3"); the page is the command line's.
execute_process(COMMAND "${CLI}" --version OUTPUT_VARIABLE version RESULT_VARIABLE status
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0 OR NOT version MATCHES "([0-9][0-9.]*)$")
  message(FATAL_ERROR "${CLI} --version failed or shows no version: ${version}")
endif()
get_filename_component(program "${CLI}" NAME_WE)

execute_process(
  COMMAND "${HELP2MAN}" --no-info "--version-string=${program} ${CMAKE_MATCH_1}" --section=1 "--name=${NAME}" "--include=${include_file}"
          "--output=${OUTPUT}" "${CLI}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed (${status})")
endif()
