#!/usr/bin/env bash
# Stands for a check that could not be built: skips with the reason, fails in CI.
source "$(dirname "$0")/lib.sh"
skip_or_fail "$1"
