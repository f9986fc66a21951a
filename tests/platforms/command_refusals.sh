#!/usr/bin/env bash
# Bad input refused as on Linux: a missing module, a text file named like a module, a module
# without a PiPL, and (in a build without image I/O) a command that writes an image file each
# give one line on standard error and exit status 2.
#   command_refusals.sh WORK_FOLDER NO_PIPL_MODULE MODULE_SUFFIX COMMAND...
set -uo pipefail
work=$1
no_pipl=$2
suffix=$3
shift 3
mkdir -p "$work"
printf 'not a module\n' >"$work/text$suffix"

failed=0
expect() {  # what the line must say, then the command's arguments
  local says=$1
  shift
  local err status
  err=$("$@" 2>&1 >/dev/null)
  status=$?
  if [[ $status -ne 2 || $(printf '%s\n' "$err" | wc -l) -ne 1 || $err != *"$says"* ]]; then
    echo "REFUSAL: '$*' gave status $status and: $err"
    failed=1
  fi
}
expect "cannot open" "$@" about --module "$work/missing$suffix"
expect "not a" "$@" about --module "$work/text$suffix"
expect "(not an effect module)" "$@" about --module "$no_pipl"
if [[ ${JF_NO_IMAGE_IO:-} == 1 ]]; then
  expect "this build has no image I/O" "$@" render --sample "$work/out.png"
fi
((failed == 0)) && echo "refusals: one line and status 2 for each"
exit "$failed"
