#!/usr/bin/env bash
# The main job: builds the component and asks it about real registry keys under Wine.
source "$(dirname "$0")/common.sh"
trap stop_prefix EXIT

build x86 -DBUILD_TESTING=OFF
sh cmake/wine-run.sh wine build/x86/bin/KeyProbe.exe "$@"
