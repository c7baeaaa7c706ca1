#!/usr/bin/env bash
# tovexcfg: a sample folder written through the store shows the expected
# fields, and never a password.
# usage: show_test.sh WORK_FOLDER TOVEXCFG [RUNNER]   (RUNNER: the Wine wrapper)
set -euo pipefail
work=$1 tool=$2 runner=${3:-}
rm -rf "$work" && mkdir -p "$work" && cd "$work"
run() { if [ -n "$runner" ]; then "$runner" "$tool" "$@"; else "$tool" "$@"; fi; }
fail() { echo "FAIL: $*" >&2; exit 1; }

run sample config || fail "sample"
run show config | tr -d '\r' > show.json || fail "show"
expect() { grep -qF -- "$1" show.json || fail "missing $1 in: $(cat show.json)"; }
expect '"settingsFile": true'
expect '"hostName": {"offset": 0, "value": "mail.sample.example"}'
expect '"passwordEncryption": {"offset": 187, "value": 1}'
expect '"webPort": {"offset": 1036, "value": 32000}'
expect '"domainCount": {"offset": 7020, "value": 2}'
expect '"consoleLayout": {"offset": 21428, "value": "advanced.xml"}'
expect '"groupWarePasswordSet": {"offset": 26838, "value": true}'
expect '{"index": 0, "name": "sample.example", "bindingFlag": false, "binding": "", "administrator": "admin@Sample.Example", "reservedNames": "postmaster;admin;administrator;supervisor;hostmaster;webmaster;abuse"'
expect '{"index": 1, "name": "other.example", "bindingFlag": true, "binding": "192.0.2.25"'
expect '{"position": 0, "type": 0, "aliases": "admin;postmaster", "userName": "admin", "mailboxPath": "Sample.Example\\admin\\", "passwordSet": true}'
! grep -q "sample password" show.json || fail "a password is shown"
if command -v python3 >/dev/null; then
  python3 -c 'import json,sys; json.load(open("show.json"))' || fail "not JSON"
fi
run show missing-folder >/dev/null 2>&1 && fail "a missing folder is not an error"
run >/dev/null 2>&1 && fail "no arguments is not a usage error"
echo "tovexcfg show: ok"
