#!/usr/bin/env bash
# A description line far larger than the memory the converter may use: it must report the failed
# read, create no target and end with status 1. Usage: memory_limit_test.sh KALMIRA
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
{ printf '[DESCRIPTION]\r\nP1='; head -c 300000000 /dev/zero | tr '\0' x; printf ',b,c\r\n'; } > big.bcr
printf 'Konvertierung von\r\n  big.bcr\r\nFehler beim Lesen von big.bcr\r\nBitte mit Return best\xe4tigen \r\n' > expected
(ulimit -v 200000 && exec "$1" big.bcr < /dev/null > actual)
status=$?
[ "$status" -eq 1 ] || { echo "status $status, not 1"; exit 1; }
cmp expected actual || exit 1
[ ! -e big.asc ] || { echo "a target was created"; exit 1; }
