# Makes numberwell.html: TEMPLATE with the program's SCRIPT inlined and ICON
# as the favicon's data URL, so the page is one file that fetches nothing.
#   cmake -DTEMPLATE=... -DSCRIPT=... -DICON=... -DNAME=... -DDESCRIPTION=... -DOUT=... -P page.cmake
execute_process(COMMAND base64 -w0 ${ICON} OUTPUT_VARIABLE icon COMMAND_ERROR_IS_FATAL ANY)
file(READ ${TEMPLATE} page)
file(READ ${SCRIPT} script)
string(FIND "${script}" "</script" inside)
if(NOT inside EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} holds \"</script\": it cannot be inlined as it is")
endif()
# The script last, so nothing in it is taken for a placeholder.
string(REPLACE "@NW_NAME@" "${NAME}" page "${page}")
string(REPLACE "@NW_DESCRIPTION@" "${DESCRIPTION}" page "${page}")
string(REPLACE "@NW_ICON_URL@" "data:image/png;base64,${icon}" page "${page}")
string(REPLACE "@NW_SCRIPT@" "${script}" page "${page}")
file(WRITE ${OUT} "${page}")
