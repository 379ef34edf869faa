#!/usr/bin/env bash
# Builds and runs the program, building only what it runs: the desktop program when there is a display; without
# one, bulksms-cli for a demonstration send (a simulated modem on a pseudo-terminal, one message, and what the
# modem received). tools/test.sh builds everything else in the same build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  bash tools/build.sh bulksms
  exec "$build_dir/bulksms" "$@"
fi
bash tools/build.sh bulksms-cli
cli="$build_dir/cli/bulksms-cli"
echo "No display found: running the demonstration send instead."
work=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
"$cli" sim --link "$work/modem" --log "$work/received.jsonl" &
sim_pid=$!
for _ in $(seq 50); do [ -e "$work/modem" ] && break; sleep 0.1; done
echo "Simulated modem on $work/modem"
text="Hello from VRIX Bulk SMS { demo }"
echo "Sending: bulksms-cli send-one --port $work/modem --to +15551234567 --text '$text' --timing fast"
"$cli" send-one --port "$work/modem" --to +15551234567 --text "$text" --timing fast
echo "The modem received:"
cat "$work/received.jsonl"
