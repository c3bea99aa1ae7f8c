#!/usr/bin/env bash
# Runs a test against its own system bus and fake BlueZ, and stops both
# when the test ends, however it ends.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
dir="$(mktemp -d "${TMPDIR:-/tmp}/quorvel-ble.XXXXXX")"
bus_pid=""
fake_pid=""
cleanup() {
  [[ -n "$fake_pid" ]] && kill "$fake_pid" 2>/dev/null || true
  [[ -n "$bus_pid" ]] && kill "$bus_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

sed "s|@DIR@|$dir|" "$here/system-bus.conf.in" > "$dir/bus.conf"
dbus-daemon --config-file="$dir/bus.conf" --nofork --nopidfile --print-address=1 > "$dir/address" &
bus_pid=$!
for _ in $(seq 100); do [[ -s "$dir/address" ]] && break; sleep 0.05; done
[[ -s "$dir/address" ]] || { echo "with-fake-bluez: the bus did not start" >&2; exit 1; }
export DBUS_SYSTEM_BUS_ADDRESS="$(head -n1 "$dir/address")"
# Qt would otherwise pick its kernel ATT backend, which needs a radio.
export BLUETOOTH_FORCE_DBUS_LE_VERSION=5.64

/usr/bin/python3 "$here/fake_bluez.py" > "$dir/fake.out" 2> "$dir/fake.err" &
fake_pid=$!
for _ in $(seq 200); do grep -q READY "$dir/fake.out" 2>/dev/null && break; sleep 0.05; done
grep -q READY "$dir/fake.out" || { echo "with-fake-bluez: the fake did not start" >&2; cat "$dir/fake.err" >&2; exit 1; }

status=0
"$@" || status=$?
if [[ $status -ne 0 && -s "$dir/fake.err" ]]; then
  echo "--- fake BlueZ stderr ---" >&2
  cat "$dir/fake.err" >&2
fi
exit $status
