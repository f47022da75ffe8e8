# Writes a manual page from a program's --help text, so that both say the same.
#   cmake -DPROGRAM=path -DNAME=zul -DSECTION=1 -DSUMMARY="..." -DVERSION=0.1 -DOUT=zul.1 -P ManPage.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help ERROR_VARIABLE help_err RESULT_VARIABLE rc)
if(help STREQUAL "")
  set(help "${help_err}")
endif()
if(help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help printed nothing (status ${rc})")
endif()
string(TOUPPER "${NAME}" upper)
# roff: a backslash is written \e; a line starting with . or ' is protected by \&.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
file(WRITE "${OUT}" ".TH ${upper} ${SECTION} \"\" \"zul-qrt510 ${VERSION}\" \"User Commands\"\n"
  ".SH NAME\n${NAME} \\- ${SUMMARY}\n"
  ".SH DESCRIPTION\n.nf\n${help}\n.fi\n"
  ".SH SEE ALSO\n"
  ".BR zulqrt (1),\n.BR zul (1),\n.BR qrtsim (1)\n")
