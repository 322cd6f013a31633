# Makes the Windows Installer package with wixl, which takes the files of a
# package only by paths relative to the folder it runs in. Called with:
#   WIXL, WXS, VERSION, ARCH (x86 or x64), BINDIR, README, ICON, OUTFILE, WORKDIR
file(MAKE_DIRECTORY ${WORKDIR})
get_filename_component(_outdir ${OUTFILE} DIRECTORY)
file(MAKE_DIRECTORY ${_outdir})
# wixl answers 0 even where it could not write its output.
file(REMOVE ${OUTFILE})
file(RELATIVE_PATH _bin ${WORKDIR} ${BINDIR})
file(RELATIVE_PATH _readme ${WORKDIR} ${README})
file(RELATIVE_PATH _icon ${WORKDIR} ${ICON})
execute_process(
  COMMAND ${WIXL} -a ${ARCH} -D Arch=${ARCH} -D Version=${VERSION} -D BinDir=${_bin}
          -D Readme=${_readme} -D Icon=${_icon} -o ${OUTFILE} ${WXS}
  WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE _result
  OUTPUT_VARIABLE _output
  ERROR_VARIABLE _output)
if(NOT _result EQUAL 0 OR NOT EXISTS ${OUTFILE})
  message(FATAL_ERROR "wixl could not make ${OUTFILE}:\n${_output}")
endif()
