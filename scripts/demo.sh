#!/usr/bin/env bash
# The main job: a real compliance session against the stand-in agent, under Wine.
# Installs what is needed, builds, installs and starts TVKClientSim with the sample site,
# runs "Verimark -c" so you see progress and results, exports the response with
# "Verimark -x", stops the agent and says where the exported file is.
#   scripts/demo.sh [--agent-view 32]
# --agent-view 32 installs the agent's values in the 32-bit registry view only, as a
# 32-bit agent keeps them: the 64-bit tool finds them there.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$verimark_root"
view=()
case "${1:-}" in
  "") ;;
  --agent-view) [[ ${2:-} == 32 || ${2:-} == 64 ]] || { echo "usage: scripts/demo.sh [--agent-view 32|64]" >&2; exit 2; }
                view=(--view "$2") ;;
  *) echo "usage: scripts/demo.sh [--agent-view 32|64]" >&2; exit 2 ;;
esac

# The demo needs the x86-64 build only: no ARM64 toolchain, no browser.
export VERIMARK_ARM64=off VERIMARK_ARCHS=x86_64 VERIMARK_BROWSER=off
bash scripts/setup.sh
bash scripts/build.sh >/dev/null

bin=build/x86_64
use_wine_tree "$verimark_root/$bin" wine64
demo="$verimark_root/build/demo"
mkdir -p "$demo"
agent_log="$demo/agent.log"
: >"$agent_log"
export_file="$demo/response-export.xml"
rm -f "$export_file"

stop_all() {
  wine_run "$bin/agent/TVKClientSim.exe" stop >/dev/null 2>&1 || true
  [[ -n "${agent_pid:-}" ]] && wait "$agent_pid" 2>/dev/null || true
  stop_wine "$bin"
}
trap stop_all EXIT

url="http://myserver:52311/cgi-bin/tvkgather.exe/actionsite"
document="Workstation Baseline"

echo "== Installing the stand-in agent (registry values under HKEY_LOCAL_MACHINE)"
wine_run "$bin/agent/TVKClientSim.exe" uninstall >/dev/null
wine_run "$bin/agent/TVKClientSim.exe" install "${view[@]}" | tr -d '\r'
echo "== Starting it with the sample site (log: $agent_log)"
wine_run "$bin/agent/TVKClientSim.exe" run --data "$(winepath -w "$verimark_root/agent/sample")" >"$agent_log" 2>&1 &
agent_pid=$!
for _ in $(seq 1 200); do grep -q "running:" "$agent_log" 2>/dev/null && break; sleep 0.1; done

echo "== Verimark -c \"$url\" \"$document\""
# The tool writes in the ANSI code page (Windows-1252 here); shown as UTF-8 on this terminal.
wine_run "$bin/tool/Verimark.exe" -c "$url" "$document" | tr -d '\r' | iconv -f WINDOWS-1252 -t UTF-8
echo "== Verimark -x ... (export the agent's response document)"
wine_run "$bin/tool/Verimark.exe" -x "$url" "$document" "$(winepath -w "$export_file")" >/dev/null
[[ -s "$export_file" ]] || { echo "demo: the export did not arrive" >&2; exit 1; }
echo "== Stopping the agent"
stop_all
trap - EXIT
echo "The agent's response document was exported to: $export_file"
