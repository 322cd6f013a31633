# Stages the bin folder of a newer build for the upgrade tests:
# cmake -DBINDIR=<this build's bin> -DSTAGE=<folder> -P StageUpgrade.cmake
# The program as it is, and stand-ins with bytes behind their image: they
# load as before, but their content, and so their SHA-256, is not this
# build's, as a newer version's would not be.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/standin)
file(COPY ${BINDIR}/Quarantine.exe ${BINDIR}/Quarantine.com DESTINATION ${STAGE})
foreach(_library ZEBQt.dll ZEBScanP.dll)
  file(COPY ${BINDIR}/standin/${_library} DESTINATION ${STAGE}/standin)
  file(APPEND ${STAGE}/standin/${_library} "a newer build")
endforeach()
