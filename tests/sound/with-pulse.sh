#!/usr/bin/env bash
# Runs a command against a private PulseAudio server that has only a null
# sink and a null source (Qt does not offer a sink's monitor as an input),
# and stops the server afterwards, also when the command fails.
#
# The server must be up before the command starts: Qt does not notice a
# sound server that appears after its first look for audio devices. A
# silent stream keeps the null sink playing in real time; an idle null sink
# renders ahead, and recordings of its monitor lose data.
set -uo pipefail

sink=quorvel_test_sink
state=${HOME:?}/pulse-server
mkdir -p "$state"

# A server left behind by a run that was killed outright.
if [[ -f $state/pid ]]; then
  old=$(cat "$state/pid")
  if [[ -r /proc/$old/cmdline ]] && tr '\0' ' ' <"/proc/$old/cmdline" | grep -q pulseaudio; then
    kill "$old" 2>/dev/null || true
  fi
  rm -f "$state/pid"
fi

runtime=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-pulse.XXXXXX")
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
export PULSE_SERVER=unix:$runtime/pulse/native
export QUORVEL_TEST_SINK=$sink
unset PULSE_SINK PULSE_SOURCE

keepalive=
child=
cleanup() {
  if [[ -n $child ]]; then
    kill "$child" 2>/dev/null
    wait "$child" 2>/dev/null
  fi
  if [[ -n $keepalive ]]; then
    kill "$keepalive" 2>/dev/null
    wait "$keepalive" 2>/dev/null
  fi
  if [[ -f $runtime/pulse/pid ]]; then
    pid=$(cat "$runtime/pulse/pid")
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
  fi
  rm -f "$state/pid"
  rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Its output goes to a log, not to the test's output: a server that
# outlived its test would otherwise hold the test's output open.
log=$state/server.log
if ! pulseaudio -D -n --exit-idle-time=-1 --log-level=error \
    --load="module-null-sink sink_name=$sink" \
    --load="module-null-source source_name=quorvel_test_source" \
    --load="module-native-protocol-unix auth-anonymous=1" >"$log" 2>&1; then
  echo "with-pulse: the sound server did not start:" >&2
  cat "$log" >&2
  exit 1
fi
cp "$runtime/pulse/pid" "$state/pid" 2>/dev/null

for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 && break
  sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
  echo "with-pulse: the sound server does not answer" >&2
  exit 1
fi

pacat --playback --raw --rate=48000 --channels=1 --format=s16le --device="$sink" </dev/zero >>"$log" 2>&1 &
keepalive=$!
sleep 2.5

# In the background, so that a signal to this script is handled at once
# rather than after the command.
"$@" &
child=$!
wait "$child"
status=$?
child=
exit "$status"
