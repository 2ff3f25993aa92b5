#!/usr/bin/env bash
# End-to-end test of the real program: its own Xvfb, settings and temporary folders, a recording
# xdg-open, and its picture services answered by a local server. Where namespaces can be made,
# the whole run is sealed in private network, mount and PID namespaces whose /etc/hosts points the
# services' names at 127.0.0.1, so the program goes unchanged to port 80 there; elsewhere the
# downloads go through an http_proxy on 127.0.0.1 instead.
#
#   tests/e2e/e2e_test.sh PROGRAM [ARTIFACTS_DIR]     (default: artifacts/e2e of the repository)
#   VELMORA_E2E_NETWORK=proxy tests/e2e/e2e_test.sh ... forces the proxy way
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARTIFACTS_DIR]" >&2; exit 2; }
program=$(realpath "$1")
artifacts=$(realpath -m "${2:-$here/../../artifacts/e2e}")
python=/usr/bin/python3

missing=()
for tool in "$python" Xvfb xauth xdotool xprop xwininfo xclip import openbox unshare ip timeout; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "e2e: missing ${missing[*]}; scripts/setup.sh installs them" >&2
  exit 1
fi
[ -x "$program" ] || { echo "e2e: no program at $program" >&2; exit 1; }

rm -rf "$artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT

# --kill-child: when unshare goes, so does the namespace's first process, and with it every
# process in the namespace (Xvfb, the program, the server) whatever way the run ends.
ns=(--net --mount --pid --fork --kill-child --mount-proc)
[ "$(id -u)" -eq 0 ] || ns=(--user --map-root-user "${ns[@]}")
driver=("$python" "$here/driver.py" --program "$program" --work "$work" --artifacts "$artifacts")

# The whole run has a bound below CTest's own time-out, so a hang still ends with our report.
if [ "${VELMORA_E2E_NETWORK:-}" != proxy ] && unshare "${ns[@]}" true 2>/dev/null; then
  # bash stays the namespace's first process, to reap what the program's opener leaves behind.
  timeout --kill-after=5 200 unshare "${ns[@]}" /bin/bash -c '"$@"; exit $?' e2e "${driver[@]}" --network namespace
else
  [ "${VELMORA_E2E_NETWORK:-}" = proxy ] ||
    echo "e2e: no namespaces here ($(unshare "${ns[@]}" true 2>&1 | head -1)); using a local proxy"
  timeout --kill-after=5 200 "${driver[@]}" --network proxy
fi
