#!/usr/bin/env python3
"""Applies each deliberate fault of scripts/mutations/*.txt to the product
code in turn, rebuilds, runs the tests named for it and reports whether they
caught it. Run through scripts/mutate.sh, which provides the Wine session.

The tree must be clean where faults go: a run refuses files with changes of
their own, and puts every file back whatever ends it (an error, Ctrl+C, a
hang-up or a termination signal), so a stopped run never leaves a fault in
the tree."""
import glob, os, re, signal, subprocess, sys


class Stopped(Exception):
    pass


def stop(signum, frame):
    raise Stopped(f"signal {signum}")


def read_faults(flt):
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
                    config, regex = value.split(None, 1)
                    # Windows tests run in the build Wine runs here.
                    if config == "win32":
                        config = os.environ.get("TILEORDER_WINE_ARCH", "win32")
                    f["test"].append([config, regex])
                else:
                    f[key] = value
            if "name" in f and (not flt or re.search(flt, f["name"])):
                faults.append(f)
    return faults


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
        if r.returncode < 0:  # the tests were killed from outside: no verdict
            raise Stopped(f"the tests ended by signal {-r.returncode}")
        ok = ok and r.returncode == 0
    return ok


def main():
    flt = sys.argv[1] if len(sys.argv) > 1 else ""
    faults = read_faults(flt)
    files = sorted({f["file"] for f in faults})
    dirty = subprocess.run(["git", "status", "--porcelain", "--"] + files,
                           capture_output=True, text=True).stdout.strip()
    if dirty:
        print("mutate: these files have changes of their own; commit or stash them first:\n"
              + dirty, file=sys.stderr)
        return 2
    for s in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(s, stop)
    caught = bad = 0
    for f in faults:
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
    for c in sorted({c for f in faults for c, _ in f["test"]}):
        subprocess.run(["cmake", "--build", f"build/{c}"], stdout=subprocess.DEVNULL)
    print(f"mutate: {caught} of {len(faults)} faults caught")
    return 0 if bad == 0 else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (Stopped, KeyboardInterrupt) as e:
        print(f"mutate: stopped ({e or 'interrupted'}); the sources are as they were", file=sys.stderr)
        sys.exit(130)
