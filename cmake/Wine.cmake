# Runs cross-built programs under Wine, in a private prefix inside the build tree.
#   ORVANE_RUN      the command prefix (also the tests' emulator)
#   ORVANE_RUN_IN_PREFIX  the same without the loader, to pick another (wine for 32-bit)
#   wine_prefix     a target that creates the prefix once
set(ORVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Private Wine prefix")
set(ORVANE_RUN_IN_PREFIX /usr/bin/env WINEPREFIX=${ORVANE_WINEPREFIX} WINEARCH=${ORVANE_WINEARCH}
                         WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
                         sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
set(ORVANE_RUN ${ORVANE_RUN_IN_PREFIX} ${ORVANE_WINE})
set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVANE_RUN})

set(stamp ${ORVANE_WINEPREFIX}/.orvane-ready)
add_custom_command(
  OUTPUT ${stamp}
  COMMAND ${ORVANE_RUN} wineboot --init
  # Without a window manager Wine lingers over each closed window unless it manages none.
  COMMAND ${ORVANE_RUN} reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f
  COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
  COMMENT "Creating the Wine prefix"
  VERBATIM)
add_custom_target(wine_prefix ALL DEPENDS ${stamp})
