#!/usr/bin/env bash
# Measures the trial of suggestions on a folder of photographs (default
# ../shared/photos) with the presets, against an older program that shows
# untried suggestions:
#   - of the failures where some cell of the default grid gets further than
#     the presets, the share that gets a suggestion;
#   - of the suggestions shown, the share that get past their stage when followed;
#   - the time the trial adds to a failure (median, maximum);
#   - the failures by stage, and by the stage the best suggestion reaches;
#   - where the module size came from, and how many failures got a measure
#     of the finder candidates' edges and were called blurred.
#
#   bench/trial-measures.sh NEW_CLI [OLD_CLI] [FOLDER]
# Needs python3.
set -euo pipefail
new=$(realpath -- "$1")
old=${2:+$(realpath -- "$2")}
folder=${3:-$(dirname "$(realpath "$0")")/../../shared/photos}
python3 - "$new" "${old:-}" "$folder" <<'PYTHON'
import glob, json, os, statistics, subprocess, sys, time
new, old, folder = sys.argv[1], sys.argv[2], sys.argv[3]
order = ["binarization", "finder search", "version", "corners", "sampling", "format", "codewords", "data", "decoded"]
rank = {s: i for i, s in enumerate(order)}

def run(cli, *args):
    start = time.monotonic()
    p = subprocess.run([cli, *args], capture_output=True)
    return p, time.monotonic() - start

def stage_of(cli, picture, extra=()):
    p, _ = run(cli, "--json", "-", *extra, picture)
    d = json.loads(p.stdout)
    return "decoded" if d["success"] else d["stage"]

failures = further_exists = suggested_where_further = shown = shown_past = 0
added, before, after = [], {}, {}
sources, edges_measured, blurred = {}, 0, 0
for picture in sorted(glob.glob(os.path.join(folder, "*.bmp"))):
    p, seconds = run(new, "--json", "-", picture)
    d = json.loads(p.stdout)
    if d["success"]:
        continue
    failures += 1
    stage = d["stage"]
    before[stage] = before.get(stage, 0) + 1
    source = d["diagnosis"].get("module_source", "none")
    sources[source] = sources.get(source, 0) + 1
    edges_measured += "edge_pixels" in d["diagnosis"]
    blurred += d["diagnosis"].get("blurred", False)
    trial = d["diagnosis"]["trial"]
    helped = trial["helped"]
    reached = helped[0]["reached"] if helped else stage
    after[reached] = after.get(reached, 0) + 1
    if old:
        _, base = run(old, picture)
        added.append(max(0.0, seconds - base))
    e, _ = run(new, "--explore", "--json", "-", picture)
    cells = json.loads(e.stdout)["explore"]["cells"]
    if any(rank["decoded" if c["success"] else c["stage"]] > rank[stage] for c in cells):
        further_exists += 1
        suggested_where_further += bool(helped)
    for h in helped:
        shown += 1
        extra = ["--resolver", str(h["resolver"]), "--warp", str(h["warp"]), "--force-version", str(h["force_version"])]
        ops = h.get("operations", "")
        if "inverted" in ops: extra.append("--invert")
        if "mirrored" in ops: extra.append("--mirror")
        shown_past += rank[stage_of(new, picture, extra)] > rank[stage]

print(f"failures with the presets: {failures}")
print(f"failures where some cell of the default grid gets further: {further_exists}; "
      f"of those with a suggestion: {suggested_where_further} "
      f"({100.0 * suggested_where_further / max(further_exists, 1):.0f} %)")
print(f"suggestions shown: {shown}; past their stage when followed: {shown_past} ({100.0 * shown_past / max(shown, 1):.0f} %)")
if added:
    print(f"time added per failure: median {1000 * statistics.median(added):.0f} ms, maximum {1000 * max(added):.0f} ms")
print("module size from: " + ", ".join(f"{k} {v}" for k, v in sorted(sources.items())))
print(f"edges of the finder candidates measured: {edges_measured}; called blurred: {blurred}")
print("failures by stage (stage: stopped there / best suggestion reaches):")
for s in order:
    if before.get(s) or after.get(s):
        print(f"  {s:14} {before.get(s, 0):4} {after.get(s, 0):4}")
PYTHON
