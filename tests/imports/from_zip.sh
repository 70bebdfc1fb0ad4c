#!/usr/bin/env bash
# Runs a check on one file of a zip, as the zip holds it: the file's path goes last.
# Usage: from_zip.sh ZIP MEMBER COMMAND [ARG...]
set -euo pipefail
zip=$1 member=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" "$member" -d "$work"
"$@" "$work/$member"
