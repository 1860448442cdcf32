# Writes the man page of slopecrush-render with help2man, from its --help and --version plus
# slopecrush-render.h2m, and compresses it the way Debian wants (gzip -9n: no name or time inside,
# so the same program always gives the same bytes).
#   cmake -DHELP2MAN=... -DGZIP=... -DPROGRAM=... -DINCLUDE=... -DOUTPUT=<page>.1.gz -P manpage.cmake
foreach(variable HELP2MAN GZIP PROGRAM INCLUDE OUTPUT)
  if(NOT ${variable})
    message(FATAL_ERROR "manpage.cmake: ${variable} is not set")
  endif()
endforeach()
if(NOT OUTPUT MATCHES "\\.gz$")
  message(FATAL_ERROR "manpage.cmake: OUTPUT must end in .gz, not ${OUTPUT}")
endif()
string(REGEX REPLACE "\\.gz$" "" page "${OUTPUT}")
# Nothing of an earlier page survives a failed run.
file(REMOVE "${OUTPUT}" "${page}")

execute_process(
  COMMAND "${HELP2MAN}" --no-info --section=1 --include=${INCLUDE}
          "--name=render audio files through the SlopeCrush plug-in" --output=${page} "${PROGRAM}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${page}")
  message(FATAL_ERROR "help2man failed (${result}) on ${PROGRAM}")
endif()

# help2man knows no exit status section and makes the help's "Exit status:" list a subsection
# of OPTIONS; it is the last thing there, so it becomes the section that follows OPTIONS.
file(READ "${page}" text)
set(subsection ".SS \"Exit status:\"")
string(FIND "${text}" "${subsection}" at)
if(at EQUAL -1)
  file(REMOVE "${page}")
  message(FATAL_ERROR "the help of ${PROGRAM} has no \"Exit status:\" list any more; "
                      "update manpage.cmake")
endif()
string(REPLACE "${subsection}" ".SH \"EXIT STATUS\"" text "${text}")
file(WRITE "${page}" "${text}")

execute_process(COMMAND "${GZIP}" -9nf "${page}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${page}" "${OUTPUT}")
  message(FATAL_ERROR "gzip failed (${result}) on ${page}")
endif()
