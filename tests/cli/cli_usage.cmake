# The executable answers --help, --version and a bare start without a display.
execute_process(COMMAND ${VELLUM} --help OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Usage:")
  message(FATAL_ERROR "--help: exit ${rc}, output: ${out}")
endif()
execute_process(COMMAND ${VELLUM} --version OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^Vellum Version [0-9]+\\.[0-9][0-9]\n$")
  message(FATAL_ERROR "--version: exit ${rc}, output: ${out}")
endif()

# A failed decompile: the message and the error trail on stderr, exit status 1, and the trail in
# the data folder's log.
set(work ${CMAKE_CURRENT_BINARY_DIR}/cli_usage)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
set(ENV{VELLUM_DATA_DIR} ${work}/data)
file(WRITE ${work}/notes.txt "not an executable")
execute_process(COMMAND ${VELLUM} -Decompile ${work}/notes.txt -Output:${work}/p
  ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Failed to decompile the file\n.*notes.txt\n\nError 0x80004005"
   OR NOT err MATCHES "is not unrecognized")
  message(FATAL_ERROR "failed decompile: exit ${rc}, stderr: ${err}")
endif()
file(READ ${work}/data/vellum.log log)
if(NOT log MATCHES "^[0-9][0-9]/[0-9][0-9]/[0-9][0-9][0-9][0-9] [0-9:]+ -- Decompile .*notes.txt failed"
   OR NOT log MATCHES "is not unrecognized")
  message(FATAL_ERROR "the failed decompile is not in the log: ${log}")
endif()

# Without a display the window does not start: one clear line and exit status 1.
if(HAVE_GUI)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
    --unset=QT_QPA_PLATFORM ${VELLUM} ${DATA}/resources.dll ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "^vellum: no display found.*vellum --help")
    message(FATAL_ERROR "start without a display: exit ${rc}, stderr: ${err}")
  endif()
endif()

# Usage errors exit with 2.
execute_process(COMMAND ${VELLUM} -Decompile ${work}/notes.txt ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 2)
  message(FATAL_ERROR "Decompile without -Output: exit ${rc}")
endif()
execute_process(COMMAND ${VELLUM} -Bogus ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 2 OR NOT err MATCHES "unknown option -Bogus")
  message(FATAL_ERROR "unknown option: exit ${rc}, stderr: ${err}")
endif()

# Extract every icon group: numbered files, and a named group under its name.
execute_process(COMMAND ${VELLUM} -Extract:0 -Type:IconGroup -Source:${DATA}/resources.dll
  -Output:${work}/all.ico RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS ${work}/all00001.ico OR NOT EXISTS ${work}/allAPP.ico)
  message(FATAL_ERROR "extract all: exit ${rc}, stderr: ${err}")
endif()
file(GLOB leftovers ${work}/data/extract-*)
if(leftovers)
  message(FATAL_ERROR "the extract work folder was left behind: ${leftovers}")
endif()
# A destination folder that does not exist yet is made, parents included.
execute_process(COMMAND ${VELLUM} -Extract:1 -Type:IconGroup -Source:${DATA}/resources.dll
  -Output:${work}/new/deeper/one.ico RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS ${work}/new/deeper/one.ico)
  message(FATAL_ERROR "extract into a new folder: exit ${rc}, stderr: ${err}")
endif()
execute_process(COMMAND ${VELLUM} -Extract:0 -Type:Icon -Source:${DATA}/icons.icl
  -Output:${work}/ne/all/a.ico RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS ${work}/ne/all/a00001.ico)
  message(FATAL_ERROR "extract from an icon library into a new folder: exit ${rc}, stderr: ${err}")
endif()
execute_process(COMMAND ${VELLUM} -Extract:77 -Type:Icon -Source:${DATA}/resources.dll
  -Output:${work}/none.ico RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR EXISTS ${work}/none.ico)
  message(FATAL_ERROR "extract of a missing icon: exit ${rc}")
endif()

# Colorize: each file that fails is named on stderr with its reason; a file of another kind is
# skipped; the summary goes to stdout.
file(MAKE_DIRECTORY ${work}/colorize)
file(WRITE ${work}/colorize/look.ini "[Colorize]\nHue=256\n")
file(WRITE ${work}/colorize/broken.bmp "MZ not a bitmap")
execute_process(COMMAND ${VELLUM} -Colorize:${work}/colorize/look.ini -Output:${work}/colorize
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 1 OR NOT err MATCHES "colorize/broken.bmp was not colorized \\(0x80004005\\):\n.*broken.bmp is not a bitmap"
   OR NOT out MATCHES "Colorized 0 file\\(s\\); 1 skipped .* 1 failed")
  message(FATAL_ERROR "colorize with a broken file: exit ${rc}, stdout: ${out}, stderr: ${err}")
endif()
