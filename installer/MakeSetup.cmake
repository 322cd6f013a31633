# Makes the installer from a bin folder: cmake -DMAKENSIS=... -DVERSION=...
# -DARCH=x86|amd64 -DBINDIR=... -DSRCDIR=... -DOUTFILE=... -P MakeSetup.cmake
# The SHA-256 of each stand-in goes into the installer, which notes it for
# every stand-in it puts down: setup and uninstaller tell our stand-in from a
# library the product put in its place by that content, not by the path.
foreach(_var MAKENSIS VERSION ARCH BINDIR SRCDIR OUTFILE)
  if(NOT DEFINED ${_var})
    message(FATAL_ERROR "MakeSetup.cmake needs -D${_var}=...")
  endif()
endforeach()
file(SHA256 ${BINDIR}/standin/ZEBQt.dll _qt_sha256)
file(SHA256 ${BINDIR}/standin/ZEBScanP.dll _scanp_sha256)
get_filename_component(_outdir ${OUTFILE} DIRECTORY)
file(MAKE_DIRECTORY ${_outdir})
# With a certificate (-DSIGN_PFX= -DSIGN_PASSWORD_FILE= [-DSIGN_TIMESTAMP_URL=])
# makensis signs the uninstaller it writes into the setup, and the setup.
set(_sign)
if(SIGN_PFX)
  set(_sign -DSIGN_SCRIPT=${CMAKE_CURRENT_LIST_DIR}/sign-file.sh -DSIGN_PFX=${SIGN_PFX}
            -DSIGN_PASSWORD_FILE=${SIGN_PASSWORD_FILE} -DSIGN_TIMESTAMP_URL=${SIGN_TIMESTAMP_URL})
endif()
execute_process(
  COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DARCH=${ARCH} -DBINDIR=${BINDIR} -DSRCDIR=${SRCDIR}
          -DOUTFILE=${OUTFILE} -DQT_SHA256=${_qt_sha256} -DSCANP_SHA256=${_scanp_sha256} ${_sign}
          ${CMAKE_CURRENT_LIST_DIR}/Quarantine.nsi
  RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
  message(FATAL_ERROR "makensis failed (${_result})")
endif()
