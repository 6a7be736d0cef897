# The executable answers --help, --version and a bare start without a display.
execute_process(COMMAND ${VELLUM} --help OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Usage:")
  message(FATAL_ERROR "--help: exit ${rc}, output: ${out}")
endif()
execute_process(COMMAND ${VELLUM} --version OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^Vellum Version [0-9]+\\.[0-9][0-9]\n$")
  message(FATAL_ERROR "--version: exit ${rc}, output: ${out}")
endif()
