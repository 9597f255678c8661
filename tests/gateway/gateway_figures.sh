#!/usr/bin/env bash
# tests/gateway/gateway_figures.sh [PRESET]: prints the gateway's measured figures
# (native build, default preset "native"): a cached feed while another
# city's fetch hangs, a request behind 200 silent sockets, the upstream
# calls in a simulated hour of 429s, the CPU used while accept fails for
# want of descriptors, and a write-dir run for the shipped cities.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/${1:-native}"
feed="$build/app/nimbrel-feed"
python=/usr/bin/python3
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { "$python" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() { for _ in $(seq 200); do "$python" -c "import socket,sys; socket.create_connection(('127.0.0.1',$1),1)" 2>/dev/null && return 0; sleep 0.05; done; return 1; }

# The in-process figures come from the tests that check them.
(cd "$build/tests" && ./gateway_tests \
  --gtest_filter='ServeLoop.AnswersFromTheCache*:ServeLoop.AnswersARealRequest*:UpstreamTerms.AnUpstream*' |
  grep '^figure:' | sed 's/^figure: //')

# Accept failing: six descriptors leave two for clients; forty connect.
port=$(free_port)
(ulimit -n 6; exec "$feed" --listen "127.0.0.1:$port" --idle-exit 0) &
gateway=$!
pids+=($gateway)
wait_port "$port"
"$python" - "$port" <<'PY' &
import socket, sys, time
held = [socket.create_connection(("127.0.0.1", int(sys.argv[1]))) for _ in range(40)]
time.sleep(30)
PY
pids+=($!)
sleep 1
ticks() { awk '{print $14 + $15}' "/proc/$gateway/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep 5
after=$(ticks)
echo "CPU while accept fails (EMFILE), 5 s: $(awk -v t=$((after - before)) -v hz="$hz" 'BEGIN{printf "%.1f", 100 * t / hz / 5}') % of a core"
kill "$gateway"

# A write-dir run for the shipped cities against a loopback fake.
"$python" "$root/tests/gateway/fake_upstream.py" --port-file "$work/port" --start "$(date -u +%F)" &
pids+=($!)
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.05; done
start=$(date +%s.%N)
"$feed" --write-dir "$work/site" --once --upstream "http://127.0.0.1:$(cat "$work/port")/v1/forecast" 2>&1 | sed 's/^/  /'
end=$(date +%s.%N)
echo "write-dir run for $(ls "$work/site/xml" | wc -l) cities: $(awk -v a="$start" -v b="$end" 'BEGIN{printf "%.1f", b - a}') s"
