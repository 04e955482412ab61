#!/bin/sh
# Runs a command in a Wine prefix of its own: wine-prefix.sh <folder> <command> [args...].
# The prefix is a new copy of <folder>/template, made in <folder>, with a wineserver of its
# own that ends with the command. It is removed when the command succeeds and kept, with
# its registry saved, when it fails. ORVANE_WINEDEBUG, when set, is the command's WINEDEBUG.
# wine-prefix.sh --wait <folder>: waits until the prefixes of the commands that succeeded
# are gone.
if [ "$1" = --wait ]; then
  for _ in $(seq 600); do
    ls "$2"/*/.ending >/dev/null 2>&1 || exit 0
    sleep 0.1
  done
  echo "wine-prefix.sh: prefixes in $2 still ending after a minute" >&2
  exit 1
fi
folder=$(cd "$1" && pwd) || exit 1; shift
template=$folder/template
[ -f "$template/system.reg" ] || { echo "wine-prefix.sh: no template prefix in $folder" >&2; exit 1; }

# Named after the test for a kept prefix: the gtest filter, else the CMake script.
name=run
for arg; do
  case $arg in
    --gtest_filter=*) name=${arg#--gtest_filter=} ;;
    *.cmake) name=$(basename "$arg" .cmake) ;;
  esac
done
name=$(printf %s "$name" | tr -c 'A-Za-z0-9._-' _)
prefix=$(mktemp -d "$folder/$name.XXXXXX") || exit 1

sh "$(dirname "$0")/wine-copy-prefix.sh" "$template" "$prefix" || { rm -rf "$prefix"; exit 1; }

export WINEPREFIX="$prefix"
# The copy is what it is: a WINEARCH meant for another prefix would only be refused.
unset WINEARCH
export WINEDEBUG="${ORVANE_WINEDEBUG:--all}"
# Neither Mono and Gecko nor the menu entries Wine updates as each session starts.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
"$@"
status=$?
if [ $status -ne 0 ]; then
  # Every program still running there ends, and the server saves the registry.
  wineserver -k -w </dev/null >/dev/null 2>&1
  echo "wine-prefix.sh: exit $status; the Wine prefix is kept in $prefix" >&2
  exit $status
fi
# The server ends with the prefix's last program, once Wine's own services have stopped;
# that wait need not hold up the caller. wine-prefix.sh --wait <folder> waits for it.
touch "$prefix/.ending"
(wineserver -k -w; rm -rf "$prefix") </dev/null >/dev/null 2>&1 &
exit 0
