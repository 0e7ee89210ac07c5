#!/usr/bin/env bash
# Mutation check for the test suites: applies each deliberate fault listed in
# scripts/mutations/*.txt to the product code, one at a time, rebuilds, runs
# the tests named for it and reports whether they caught it (failed). The
# source file is put back after every fault. A tool for the team, not for CI.
#
#   bash scripts/mutate.sh [REGEX]   only the faults whose name matches REGEX
#
# A fault is a block of lines, blocks separated by blank lines:
#   name: runs: a range's count one short
#   file: engine/runs.cpp
#   from: exact text that occurs exactly once in the file
#   to:   its replacement (blanks after the colon are not part of either)
# Lines of "from" or "to" that follow without a key continue its text.
#   test: native engine_test        (configuration and CTest regex; repeatable)
# The configurations must already be built (scripts/build.sh).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
filter=${1:-}

# Windows tests need the virtual display and one Wine session for the run.
if [ -z "${MUTATE_INNER:-}" ] && grep -qh '^test: *win32' scripts/mutations/*.txt; then
  bash scripts/wine-prefix.sh >/dev/null
  MUTATE_INNER=1 exec xvfb-run -a -s '-screen 0 1280x1024x24' \
    bash scripts/wine-session.sh bash "$0" "$@"
fi

python3 - "$filter" <<'PY'
import glob, os, re, subprocess, sys
flt = sys.argv[1]
faults = []
for path in sorted(glob.glob("scripts/mutations/*.txt")):
    for block in re.split(r"\n\s*\n", open(path, encoding="utf-8").read()):
        f = {"test": []}
        last = None
        for line in block.splitlines():
            if line.startswith("#"):
                continue
            key, _, value = line.partition(":")
            if key not in ("name", "file", "from", "to", "test"):
                if last in ("from", "to"):  # a continuation line of the text
                    f[last] += "\n" + line
                continue
            value = value.lstrip(" ")
            last = key
            if key == "test":
                f["test"].append(value.split(None, 1))
            else:
                f[key] = value
        if "name" in f and (not flt or re.search(flt, f["name"])):
            faults.append(f)

def run_tests(tests):
    """True when every named test passes."""
    ok = True
    for config, regex in tests:
        build = subprocess.run(["cmake", "--build", f"build/{config}"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if build.returncode != 0:
            return None
        r = subprocess.run(["ctest", "--test-dir", f"build/{config}", "-R", regex],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        ok = ok and r.returncode == 0
    return ok

caught = 0
bad = 0
for i, f in enumerate(faults, 1):
    src = open(f["file"], encoding="utf-8").read()
    n = src.count(f["from"])
    if n != 1:
        print(f"STALE   {f['name']}  ({f['file']}: text found {n} times)", flush=True)
        bad += 1
        continue
    try:
        with open(f["file"], "w", encoding="utf-8") as out:
            out.write(src.replace(f["from"], f["to"]))
        result = run_tests(f["test"])
    finally:
        with open(f["file"], "w", encoding="utf-8") as out:
            out.write(src)
    if result is None:
        print(f"NOBUILD {f['name']}", flush=True)
        bad += 1
    elif result:
        print(f"MISSED  {f['name']}", flush=True)
        bad += 1
    else:
        print(f"caught  {f['name']}", flush=True)
        caught += 1

configs = sorted({c for f in faults for c, _ in f["test"]})
for c in configs:
    subprocess.run(["cmake", "--build", f"build/{c}"], stdout=subprocess.DEVNULL)
print(f"mutate: {caught} of {len(faults)} faults caught")
sys.exit(0 if bad == 0 else 1)
PY
