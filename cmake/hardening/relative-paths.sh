#!/usr/bin/env bash
# relative-paths.sh SOURCE_DIR BINARY_DIR COMPILER ARGS...: runs the compiler with each path
# under the source or the build folder written relative to the build folder, where the build
# runs it. clang before 16 writes its whole command line into the CodeView debug information,
# and so into the PDB: so it names no folder of this machine. The prefix maps, which name the
# folders themselves, have nothing left to map.
set -eu
src=$1 bin=$2 compiler=$3
shift 3
up=$(realpath --relative-to="$bin" "$src")
for arg; do
  shift
  case $arg in -ffile-prefix-map=*) continue ;; esac
  arg=${arg//"$bin/"/}
  arg=${arg//"$bin"/.}
  arg=${arg//"$src/"/"$up/"}
  set -- "$@" "$arg"
done
exec "$compiler" -fdebug-compilation-dir=. -fcoverage-compilation-dir=. "$@"
