# Runs `PROGRAM generate-docs KIND` into OUTPUT; with GZIP, also writes OUTPUT.gz as Debian
# installs manual pages (no name or time stamp in the header, so equal pages give equal files).
# cmake -DPROGRAM=... -DKIND=man|bash|zsh -DOUTPUT=... [-DGZIP=/usr/bin/gzip] -P GenerateDocs.cmake
execute_process(COMMAND "${PROGRAM}" generate-docs "${KIND}" OUTPUT_FILE "${OUTPUT}.new"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}.new")
  message(FATAL_ERROR "${PROGRAM} generate-docs ${KIND} failed: ${status}")
endif()
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
if(GZIP)
  execute_process(COMMAND "${GZIP}" -9 -n -c INPUT_FILE "${OUTPUT}" OUTPUT_FILE "${OUTPUT}.gz"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip of ${OUTPUT} failed: ${status}")
  endif()
endif()
