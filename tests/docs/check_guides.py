#!/usr/bin/env python3
"""Runs every example of the pattern guides through the tilemap command.

Each fenced "pattern" block (its info line may carry -i, -o and -m as the
command takes them, and -e utf-16le) is written to a file, the command makes
its map (input count 255 and as many output slots as the map shows unless
the block says otherwise), and the map must be the "map" block after it, so
the guides cannot drift from the program. Patterns with Korean text are
saved as UTF-8 with its mark, as the guides tell.

    check_guides.py TILEMAP GUIDE...
"""
import subprocess, sys, tempfile, os

tilemap, guides = sys.argv[1], sys.argv[2:]
failures = checked = 0
with tempfile.TemporaryDirectory() as scratch:
    for guide in guides:
        lines = open(guide, encoding="utf-8").read().split("\n")
        for n, line in enumerate(lines):
            if not line.startswith("```pattern"):
                continue
            options = line[len("```pattern"):].split()
            end = lines.index("```", n + 1)
            text = "".join(l + "\n" for l in lines[n + 1:end])
            assert lines[end + 1] == "```map", f"{guide}:{n + 1}: no map after the pattern"
            expected = [int(v) for v in lines[end + 2].split()]
            args = ["-i", "255", "-o", str(len(expected))]
            encoding = "utf-8-sig" if not text.isascii() else "utf-8"
            while options:
                key, value = options.pop(0), options.pop(0)
                if key == "-e":
                    encoding = value
                    text = "\ufeff" + text
                else:
                    args += [key, value]
            pattern, output = os.path.join(scratch, "p.map"), os.path.join(scratch, "out.bbl")
            with open(pattern, "wb") as f:
                f.write(text.encode(encoding))
            run = subprocess.run([tilemap, *args, pattern, output], capture_output=True)
            got = list(open(output, "rb").read()) if run.returncode == 0 else run.stderr
            checked += 1
            if got != expected:
                failures += 1
                print(f"{guide}:{n + 1}: expected {expected}, got {got}")
print(f"{checked} examples checked, {failures} wrong")
sys.exit(1 if failures or checked < 30 else 0)
