#!/usr/bin/env python3
# layering.py -- no folder of src/ includes one above it, and no program of src/ or tools/ builds tests/.
#
#   layering.py SOURCE-DIR [BUILD-DIR...]
#
# The folders of src/, bottom to top: the ground floors (the host's records
# and the event log, then the settings, then the platform's ports, then the
# chart), then the chart makers
# (analysis and audio, then authoring, then autochart) and the game (gfx,
# the live chart and the scores, flame, play, config, in that order) side by side, neither knowing the
# other, then plugin, which joins both. The analysis and the decoders know
# nothing of each other: what joins them is autochart's. A folder may include
# its own headers and those of the folders below it; src/ and tools/ include
# nothing of tests/, src/ nothing of tools/. Each BUILD-DIR's
# layering_targets.txt (cmake/layering.cmake) lists its targets: one with
# sources in src/, tools/ or res/ compiles nothing of tests/ and links,
# directly or through others, no target that does. Prints every breach and
# exits 1 if there is one.
import os
import re
import sys

# Each side's floors, bottom first; the folders of a floor know nothing of each other.
GROUND = [["host", "log"], ["settings"], ["platform"], ["chart"]]
MAKERS = [["analysis", "audio"], ["authoring"], ["autochart"]]
GAME = [["gfx", "live", "scores"], ["flame"], ["play"], ["config"]]


def FoldersBelow():
    """Each folder of src/ and the folders it may include besides its own."""
    below = {}
    ground = set()
    for floor in GROUND:
        for folder in floor:
            below[folder] = set(ground)
        ground |= set(floor)
    everything = set(ground)
    for side in (MAKERS, GAME):
        lower = set(ground)
        for floor in side:
            for folder in floor:
                below[folder] = set(lower)
            lower |= set(floor)
        everything |= lower
    below["plugin"] = everything
    return below


INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def IncludeBreaches(source):
    below = FoldersBelow()
    breaches = []
    src = os.path.join(source, "src")
    for folder in sorted(os.listdir(src)):
        if not os.path.isdir(os.path.join(src, folder)):
            continue
        if folder not in below:
            breaches.append(f"src/{folder}: a folder the layering does not place")
            continue
        for name in sorted(os.listdir(os.path.join(src, folder))):
            path = os.path.join(src, folder, name)
            with open(path, encoding="utf-8", errors="replace") as file:
                text = file.read()
            for included in INCLUDE.findall(text):
                top = included.split("/")[0] if "/" in included else None
                if top in ("tools", "tests", "fakes"):
                    breaches.append(f"src/{folder}/{name} includes {included}: src/ knows nothing of {top}/")
                elif top in below and top != folder and top not in below[folder]:
                    breaches.append(f"src/{folder}/{name} includes {included}: {top}/ is not below {folder}/")
    for root, _, names in os.walk(os.path.join(source, "tools")):
        for name in sorted(names):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            with open(path, encoding="utf-8", errors="replace") as file:
                for included in INCLUDE.findall(file.read()):
                    if included.split("/")[0] in ("tests", "fakes"):
                        breaches.append(f"{os.path.relpath(path, source)} includes {included}: tools/ include nothing of tests/")
    return breaches


def ReadTargets(build):
    """name -> (folder, sources, links) from a build's listing."""
    targets = {}
    with open(os.path.join(build, "layering_targets.txt"), encoding="utf-8") as file:
        for line in file:
            if not line.strip():
                continue
            name, folder, sources, links = line.rstrip("\n").split("|")
            paths = []
            for item in sources.split(";"):
                if item and not item.startswith("$<"):
                    paths.append(os.path.normpath(os.path.join(folder, item)))
            targets[name] = (folder, paths, [link for link in links.split(";") if link])
    return targets


def Under(path, folder):
    return path.startswith(folder + os.sep)


def TargetBreaches(source, build):
    targets = ReadTargets(build)
    tests = os.path.join(source, "tests")
    product = tuple(os.path.join(source, folder) for folder in ("src", "tools", "res"))
    testing = {name for name, (_, paths, _) in targets.items() if any(Under(p, tests) for p in paths)}
    breaches = []
    for name, (_, paths, _) in sorted(targets.items()):
        if not any(Under(p, f) for p in paths for f in product):
            continue
        for path in paths:
            if Under(path, tests):
                breaches.append(f"{build}: {name} compiles {os.path.relpath(path, source)}")
        seen, todo = set(), list(targets[name][2])
        while todo:
            link = todo.pop()
            if link in seen or link not in targets:
                continue
            seen.add(link)
            if link in testing:
                breaches.append(f"{build}: {name} links {link}, which compiles tests/")
            todo.extend(targets[link][2])
    return breaches


def main(argv):
    if len(argv) < 2:
        print(__doc__ or "usage: layering.py SOURCE-DIR [BUILD-DIR...]")
        return 2
    source = os.path.abspath(argv[1])
    breaches = IncludeBreaches(source)
    for build in argv[2:]:
        if os.path.exists(os.path.join(build, "layering_targets.txt")):
            breaches += TargetBreaches(source, os.path.abspath(build))
        else:
            print(f"{build}: no layering_targets.txt (not configured): its targets are not checked")
    for breach in breaches:
        print(breach)
    print(f"{len(breaches)} breaches")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
