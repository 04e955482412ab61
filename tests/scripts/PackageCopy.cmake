# The release's second build for Package.Reproducible: the sources copied to COPY, without
# build folders and Git's, and built there from scratch by scripts/package.sh, unsigned, at
# the default version and the time EPOCH. STATUS gets the epoch, package.sh's exit status and
# its output, once it ends. The test runs it itself, or the test command runs it ahead,
# beside the builds, and the test takes that copy.
#   -DSOURCE=<project root> -DCOPY=<where the copy goes> -DEPOCH=<time> -DSTATUS=<file>
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
foreach(var ORVANE_PACKAGE_VERSION ORVANE_SIGN_PFX ORVANE_SIGN_PASSWORD ORVANE_TIMESTAMP_URL)
  unset(ENV{${var}})
endforeach()
file(REMOVE "${STATUS}")
file(REMOVE_RECURSE "${COPY}")
file(COPY "${SOURCE}/" DESTINATION "${COPY}" PATTERN "build" EXCLUDE PATTERN ".git" EXCLUDE)
execute_process(COMMAND bash scripts/package.sh WORKING_DIRECTORY "${COPY}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(WRITE "${STATUS}.new" "${EPOCH}\n${status}\n${output}")
file(RENAME "${STATUS}.new" "${STATUS}")
