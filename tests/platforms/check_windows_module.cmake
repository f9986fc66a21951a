# Fails unless the Windows module MODULE exports EntryPointFunc alone and imports from nothing
# but the system's KERNEL32 and msvcrt (its C++ runtime is linked in), as `OBJDUMP -p` reads it.
execute_process(COMMAND "${OBJDUMP}" -p "${MODULE}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(TRANSFORM imports TOLOWER)
list(SORT imports)
if(NOT imports STREQUAL "kernel32.dll;msvcrt.dll")
  message(FATAL_ERROR "${MODULE} imports from: ${imports} (expected KERNEL32.dll and msvcrt.dll)")
endif()

# The export names follow the "[Ordinal/Name Pointer] Table" heading, one "[   n] name" a line.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${MODULE} exports nothing")
endif()
string(SUBSTRING "${dump}" ${at} -1 table)
string(REGEX MATCH "Table\n(\t\\[ *[0-9]+\\] [^\n]+\n)+" table "${table}")
string(REGEX MATCHALL "\\] [^\n]+" exports "${table}")
list(TRANSFORM exports REPLACE "^\\] " "")
if(NOT exports STREQUAL "EntryPointFunc")
  message(FATAL_ERROR "${MODULE} exports: ${exports} (expected EntryPointFunc alone)")
endif()
message(STATUS "${MODULE}: exports ${exports}; imports ${imports}")
