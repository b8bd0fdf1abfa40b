#!/usr/bin/env python3
"""Plants the faults listed in tests/mutants/*.txt one at a time and tells which the tests miss.

Each block of a list file names one fault:

    name: short-name
    file: path/of/the/source.cpp
    find: one line's text, found exactly once in the file
    replace: what it becomes
    tests: PROGRAM[:GTEST_FILTER] ... or ctest:REGEX

In find and replace, <NL> stands for a line break (a fault across lines, indentation included).

The source tree is copied once to build/mutants/tree (later runs bring the copy up to date) and
built in build/mutants/tree/build/test with the same settings as `make test`, so ccache serves
every file the fault does not touch. For each fault: the file is changed, only the named test
programs are rebuilt and run, and the file is put back. A fault is caught when a named test
fails or the build breaks in a test program; it survives when they all pass. The score is the
share of faults caught.

Environment: MUTANTS=substring runs only the faults whose name contains it; MUTANTS_DIR=folder
reads the lists from another folder; MUTANTS_SANITIZE=OFF
builds the copy without the sanitizers (faster per fault, but nothing comes from the cache).
"""
import filecmp
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
LISTS = os.environ.get("MUTANTS_DIR") or os.path.join(ROOT, "tests", "mutants")
TREE = os.path.join(ROOT, "build", "mutants", "tree")
# build/test under the copy keeps the paths relative to the build folder what they are in the
# real test build, which is what lets ccache hand back its objects.
BUILD = os.path.join(TREE, "build", "test")
SKIP = {".git", "build"}
TEST_TIMEOUT = 300


def read_faults():
    faults = []
    for list_file in sorted(f for f in os.listdir(LISTS) if f.endswith(".txt")):
        path = os.path.join(LISTS, list_file)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for block in re.split(r"\n\s*\n", text):
            fields = {}
            for line in block.splitlines():
                if line.startswith("#") or not line.strip():
                    continue
                key, sep, value = line.partition(": ")
                if not sep:
                    sys.exit(f"{list_file}: cannot read the line {line!r}")
                fields[key] = value.replace("<NL>", "\n")
            if not fields:
                continue
            missing = {"name", "file", "find", "replace", "tests"} - fields.keys()
            if missing:
                sys.exit(f"{list_file}: {fields.get('name', '?')} lacks {', '.join(sorted(missing))}")
            fields["tests"] = fields["tests"].split()
            faults.append(fields)
    names = [f["name"] for f in faults]
    twice = {n for n in names if names.count(n) > 1}
    if twice:
        sys.exit(f"fault names used twice: {', '.join(sorted(twice))}")
    return faults


def sync_tree():
    """Makes TREE a copy of the source tree, touching only files that differ."""
    seen = set()
    for folder, dirs, files in os.walk(ROOT):
        rel = os.path.relpath(folder, ROOT)
        if rel == ".":
            dirs[:] = [d for d in dirs if d not in SKIP]
        for name in files:
            if name in SKIP:
                continue
            source = os.path.join(folder, name)
            relative = os.path.normpath(os.path.join(rel, name))
            seen.add(relative)
            target = os.path.join(TREE, relative)
            if os.path.islink(source):
                continue
            if os.path.exists(target) and filecmp.cmp(source, target, shallow=False):
                continue
            os.makedirs(os.path.dirname(target), exist_ok=True)
            # Stamped with the time of copying, not the source's: a file changed while an
            # earlier copy was being built is older than the objects that build made from the
            # old text, and the build would keep them.
            shutil.copy(source, target)
    for folder, dirs, files in os.walk(TREE):
        rel = os.path.relpath(folder, TREE)
        if rel == ".":
            dirs[:] = [d for d in dirs if d not in SKIP]
        for name in files:
            relative = os.path.normpath(os.path.join(rel, name))
            if relative not in seen:
                os.remove(os.path.join(TREE, relative))


def configure():
    if os.path.exists(os.path.join(BUILD, "build.ninja")):
        return
    sanitize = os.environ.get("MUTANTS_SANITIZE", "ON")
    subprocess.run(["cmake", "-S", TREE, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                    f"-DKOSMORRA_SANITIZE={sanitize}", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache",
                    "-DCMAKE_C_COMPILER_LAUNCHER=ccache"], check=True,
                   stdout=subprocess.DEVNULL)


def targets_of(tests):
    targets = set()
    for t in tests:
        if t.startswith("ctest:"):
            regex = t[len("ctest:"):]
            # What the whole-game tests run: the scripted player and, for real runs, the program
            # and its X helpers.
            targets.update(["kosmorra-play", "kosmorra", "xclose", "xshot", "compare_shots"]
                           if regex.startswith("e2e") else [])
        else:
            targets.add(t.split(":", 1)[0])
    return sorted(targets)


def build(targets):
    jobs = os.environ.get("JOBS", "2")
    result = subprocess.run(["cmake", "--build", BUILD, "-j", jobs, "--target", *targets],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode == 0, result.stdout


def list_cases(program, pattern):
    command = [program, "--gtest_list_tests"] + (["--gtest_filter=" + pattern] if pattern else [])
    listing = subprocess.run(command, cwd=BUILD, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True).stdout
    cases, suite = [], ""
    for line in listing.splitlines():
        if not line.startswith(" "):
            suite = line.split("#")[0].strip()
        else:
            cases.append(suite + line.split("#")[0].strip())
    return cases


def run_test(test):
    """True when the test passes. Each GoogleTest case runs in a process of its own, as under
    CTest, and the first failure ends the run."""
    env = dict(os.environ, LSAN_OPTIONS="suppressions=" + os.path.join(TREE, "tests", "lsan.supp"))
    if test.startswith("ctest:"):
        commands = [["ctest", "--test-dir", BUILD, "-R", test[len("ctest:"):], "--no-tests=error"]]
    else:
        name, _, pattern = test.partition(":")
        program = os.path.join(BUILD, name)
        cases = list_cases(program, pattern)
        if not cases:
            return False
        commands = [[program, "--gtest_filter=" + case] for case in cases]
    for command in commands:
        try:
            result = subprocess.run(command, cwd=BUILD, env=env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, timeout=TEST_TIMEOUT)
        except subprocess.TimeoutExpired:
            return False
        if result.returncode != 0:
            return False
    return True


def main():
    faults = read_faults()
    wanted = os.environ.get("MUTANTS", "")
    faults = [f for f in faults if wanted in f["name"]]
    if not faults:
        sys.exit("no fault matches")
    os.makedirs(TREE, exist_ok=True)
    sync_tree()
    configure()

    for f in faults:
        with open(os.path.join(TREE, f["file"]), encoding="utf-8") as source:
            count = source.read().count(f["find"])
        if count != 1:
            sys.exit(f"{f['name']}: the text to replace occurs {count} times in {f['file']}")

    # The unchanged tree must pass every named test, or a failure would prove nothing.
    all_targets = sorted({t for f in faults for t in targets_of(f["tests"])})
    print(f"building {len(all_targets)} test programs of the unchanged tree ...", flush=True)
    ok, log = build(all_targets)
    if not ok:
        print(log[-4000:])
        sys.exit("the unchanged tree does not build")
    for test in sorted({t for f in faults for t in f["tests"]}):
        if not run_test(test):
            sys.exit(f"{test} fails without any fault planted: fix that first")

    survivors, broken = [], []
    caught = 0
    for number, f in enumerate(faults, 1):
        path = os.path.join(TREE, f["file"])
        with open(path, encoding="utf-8") as source:
            original = source.read()
        started = time.monotonic()
        try:
            with open(path, "w", encoding="utf-8") as source:
                source.write(original.replace(f["find"], f["replace"], 1))
            ok, log = build(targets_of(f["tests"]))
            if not ok:
                # A compile error says nothing about the tests; a build step that checks data
                # (the shipped levels, the theme) failing does.
                step = next((line for line in log.splitlines() if line.startswith("FAILED:")),
                            "FAILED: ?")
                verdict = "caught by the build (" + step + ")"
                broken.append((f, step))
                caught += 1
            else:
                failing = [t for t in f["tests"] if not run_test(t)]
                if failing:
                    verdict = "caught by " + " ".join(failing)
                    caught += 1
                else:
                    verdict = "SURVIVED"
                    survivors.append(f)
        finally:
            with open(path, "w", encoding="utf-8") as source:
                source.write(original)
        print(f"[{number}/{len(faults)}] {f['name']}: {verdict} ({time.monotonic() - started:.0f} s)",
              flush=True)

    # Leave the copy's programs built from the unchanged tree.
    build(all_targets)
    print()
    if broken:
        print("faults that broke the build (counted as caught: rewrite any that fail to compile):")
        for f, step in broken:
            print(f"  {f['name']} ({f['file']}): {step}")
    if survivors:
        print("survivors:")
        for f in survivors:
            print(f"  {f['name']} ({f['file']}): {f['find']!r} -> {f['replace']!r}")
    score = 100.0 * caught / len(faults)
    print(f"score: {caught} of {len(faults)} faults caught, {score:.0f}%")
    return 0 if not survivors else 1


if __name__ == "__main__":
    sys.exit(main())
