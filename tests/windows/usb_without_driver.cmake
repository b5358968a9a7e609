# ostrel-cli.exe recv --port usb on a machine without ftd2xx.dll: exit 1, why the
# driver cannot be used, then the known message (the tool's last line).
execute_process(COMMAND ${WINE_RUN} ${CLI} recv --port usb out.csv
                RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_VARIABLE out)
string(REPLACE "\r\n" "\n" err "${err}")
message("${err}")
if(NOT status EQUAL 1)
  message(FATAL_ERROR "exit status ${status}, expected 1")
endif()
if(NOT err MATCHES "ftd2xx\\.dll cannot be loaded \\([^\n]+\\); install FTDI's D2XX driver\nnot found KOV in USB ports\n$")
  message(FATAL_ERROR "the missing driver is not named after the known message")
endif()
