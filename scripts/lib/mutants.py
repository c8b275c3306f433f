#!/usr/bin/env python3
"""A small seeded mutation tester (run by scripts/mutants.sh).

It finds mutation sites in the product code of the chosen areas (flipped comparisons and
boolean operators, off-by-one constants, a deleted call or assignment, a negated condition, a
swapped boolean literal), picks N of them by a seeded rank, and for each one: writes
the mutant, rebuilds the area's test program incrementally, runs it, and puts the file back.
A mutant is killed when the suite fails (or runs past its time), survives when it passes, and
is stillborn when it does not compile; neither those nor mutants of files this build does not
compile (the Windows-only ones) are counted. Survivors are listed with their
file, line and change, so each can get the test that kills it or be shown equivalent.
"""
import argparse
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# Area (a folder of product code) -> the test program that covers it.
AREAS = {
    "dialog": "tests/dialog/test_dialog",
    "hostconfig": "tests/hostconfig/test_hostconfig",
    "platform/registry": "tests/store/test_store",
    "forms": "tests/forms/test_forms",
    "model": "tests/model/test_model",
}

# (name, pattern, replacement). Operators are matched with the blanks around them, so template
# brackets, pointers and stream operators are left alone.
OPERATORS = [
    ("== to !=", re.compile(r" == "), " != "),
    ("!= to ==", re.compile(r" != "), " == "),
    ("< to <=", re.compile(r" < "), " <= "),
    ("<= to <", re.compile(r" <= "), " < "),
    ("> to >=", re.compile(r" > "), " >= "),
    (">= to >", re.compile(r" >= "), " > "),
    ("&& to ||", re.compile(r" && "), " || "),
    ("|| to &&", re.compile(r" \|\| "), " && "),
    ("true to false", re.compile(r"\btrue\b"), "false"),
    ("false to true", re.compile(r"\bfalse\b"), "true"),
    ("constant + 1", re.compile(r"(?<![\w.])(\d+)(?![\w.'])"), None),
]
CALL_LINE = re.compile(r"^(\s*)(?!return\b|if\b|while\b|for\b|switch\b|case\b|throw\b|delete\b)[\w:.\->\[\]()]+\(.*\);\s*$")
ASSIGNMENT_LINE = re.compile(r"^(\s*)(?!return\b|const\b|auto\b|static\b)[\w.\->\[\]*]+ (=|\+=|-=|\|=) [^=].*;\s*$")
IF_LINE = re.compile(r"^(\s*(?:\} else )?if) \((.*)\) \{\s*$")


def in_string(line, column):
    return line[:column].count('"') % 2 == 1


def sites_of(path):
    text = path.read_text(encoding="utf-8", errors="replace").split("\n")
    sites = []
    for number, line in enumerate(text, 1):
        stripped = line.strip()
        if not stripped or stripped.startswith(("//", "#", "*", "/*", "static_assert", "namespace", "template")):
            continue
        code = line.split("//", 1)[0]
        for name, pattern, replacement in OPERATORS:
            for match in pattern.finditer(code):
                if in_string(code, match.start()):
                    continue
                if replacement is None:
                    mutated = line[:match.start()] + str(int(match.group(1)) + 1) + line[match.end():]
                else:
                    mutated = line[:match.start()] + replacement + line[match.end():]
                sites.append((path, number, name, line, mutated))
        if CALL_LINE.match(code) and code.rstrip().endswith(");"):
            sites.append((path, number, "deleted call", line, CALL_LINE.match(code).group(1) + ";"))
        elif ASSIGNMENT_LINE.match(code):
            sites.append((path, number, "deleted assignment", line, ASSIGNMENT_LINE.match(code).group(1) + ";"))
        m = IF_LINE.match(code)
        if m:
            sites.append((path, number, "negated condition", line, f"{m.group(1)} (!({m.group(2)})) {{"))
    return sites


def windows_only_lines(path):
    """Line numbers a native build leaves out: inside #ifdef _WIN32 (or the #else of #ifndef _WIN32)."""
    stack, lines = [], set()  # per open #if: is its current branch Windows-only?
    for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").split("\n"), 1):
        directive = line.strip().replace(" ", "")
        if directive.startswith("#if"):
            windows = directive in ("#ifdef_WIN32", "#ifdefined(_WIN32)")
            stack.append(("win" if windows else "native" if directive == "#ifndef_WIN32" else "other"))
        elif directive.startswith("#else") and stack:
            stack[-1] = {"win": "native", "native": "win"}.get(stack[-1], stack[-1])
        elif directive.startswith("#endif") and stack:
            stack.pop()
        elif "win" in stack:
            lines.add(number)
    return lines


def ranked(sites, seed):
    """The sites in the order of a seeded hash of what each one is: its file, its line's text (and
    which of equal lines it is) and its change, not its line number. An edit therefore moves only
    the sites on the lines it touches into or out of the first N; the rest of a reviewed sample
    stays the same."""
    seen = {}
    def key(site):
        path, _, name, line, mutated = site
        what = (path.relative_to(ROOT).as_posix(), line.strip(), name, mutated.strip())
        seen[what] = seen.get(what, 0) + 1
        text = "\x1f".join((str(seed), *what, str(seen[what])))
        return hashlib.sha256(text.encode("utf-8")).hexdigest()
    keys = [key(s) for s in sites]
    return [s for _, s in sorted(zip(keys, sites), key=lambda pair: pair[0])]


def area_of(path):
    relative = path.relative_to(ROOT).as_posix()
    return max((a for a in AREAS if relative.startswith(a + "/")), key=len)


BACKUP_SUFFIX = ".mutant-original"


def restore_leftovers(files):
    """Put back any file a killed earlier run left mutated."""
    for path in files:
        backup = path.with_name(path.name + BACKUP_SUFFIX)
        if backup.exists():
            path.write_bytes(backup.read_bytes())
            backup.unlink()
            print(f"mutants: restored {path.relative_to(ROOT)} from an interrupted run", file=sys.stderr)


def on_signal(number, _frame):
    # Turned into an exception so the finally blocks put the mutated file back.
    raise SystemExit(128 + number)


def run(command, timeout):
    """The command's exit code, or None when it ran past its time. The command runs in a process
    group of its own, which is killed whole when the time is up or the sampler is stopped, so no
    compiler or forked test is left behind."""
    process = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    finally:
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


def configure(build):
    # Unoptimised and without debug information: each mutant recompiles one file and relinks one
    # test program, and -O0 -g0 makes that several times faster than the preset's build. Ninja
    # checks a one-file change faster than make, and lld links faster than the default linker;
    # both are used when installed.
    generator = ["-G", "Ninja"] if shutil.which("ninja") else []
    linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
    cache = build / "CMakeCache.txt"
    if cache.exists() and ("CMAKE_GENERATOR:INTERNAL=Ninja" in cache.read_text()) != bool(generator):
        shutil.rmtree(build)
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), *generator, *linker, "-DCMAKE_BUILD_TYPE=Debug",
                    "-DCMAKE_CXX_COMPILER=g++", "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g0", "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("count", nargs="?", type=int, default=200, help="how many mutants (default 200)")
    parser.add_argument("--seed", type=int, default=1, help="the seed of the sites' rank (default 1)")
    parser.add_argument("--areas", nargs="+", default=list(AREAS), choices=list(AREAS))
    parser.add_argument("--build", default="build/mutants", help="the build tree (default build/mutants, -O0)")
    parser.add_argument("--list", action="store_true", help="only list the chosen sites")
    parser.add_argument("--only", nargs="+", metavar="FILE:LINE",
                        help="of the chosen mutants, run only those at these places (to recheck survivors)")
    parser.add_argument("--timeout", type=float, default=0,
                        help="seconds per test run (default: 5 times the unmutated run, at least 20)")
    args = parser.parse_args()

    files = sorted(p for a in args.areas for p in (ROOT / a).glob("*.cpp"))
    restore_leftovers(files)
    sites = [s for f in files for s in sites_of(f)]
    chosen = ranked(sites, args.seed)[:args.count]
    chosen.sort(key=lambda s: (str(s[0]), s[1]))
    if args.only:
        chosen = [s for s in chosen if f"{s[0].relative_to(ROOT).as_posix()}:{s[1]}" in args.only]
    print(f"mutants: {len(chosen)} of {len(sites)} sites in {len(files)} files, seed {args.seed}")
    if args.list:
        for path, number, name, _, mutated in chosen:
            print(f"{path.relative_to(ROOT)}:{number}: {name}: {mutated.strip()}")
        return 0

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    build = ROOT / args.build
    configure(build)
    targets = sorted({Path(AREAS[area_of(s[0])]).name for s in chosen})
    print(f"mutants: building {', '.join(targets)} once in {args.build}", flush=True)
    if run(["cmake", "--build", str(build), "-j2", "--target", *targets], 3600) != 0:
        print("mutants: the unmutated code does not build", file=sys.stderr)
        return 2
    limits = {}
    for target in sorted({AREAS[area_of(s[0])] for s in chosen}):
        began = time.monotonic()
        if run([str(build / target), "--gtest_brief=1"], 600) != 0:
            print(f"mutants: {target} fails on the unmutated code", file=sys.stderr)
            return 2
        limits[target] = args.timeout or max(20.0, 5 * (time.monotonic() - began))
    # Files this build does not compile (the Windows-only ones) cannot be tested here: their
    # mutants are left out rather than counted as survivors.
    compiled = {str(Path(entry["file"]).resolve())
                for entry in json.loads((build / "compile_commands.json").read_text())}
    killed, survived, stillborn, unbuilt = 0, [], 0, 0
    started = time.monotonic()
    for index, (path, number, name, _, mutated) in enumerate(chosen, 1):
        began = time.monotonic()
        original = path.read_bytes()
        backup = path.with_name(path.name + BACKUP_SUFFIX)
        lines = original.decode("utf-8").split("\n")
        lines[number - 1] = mutated
        test = AREAS[area_of(path)]
        if str(path.resolve()) not in compiled or number in windows_only_lines(path):
            unbuilt += 1
            print(f"[{index}/{len(chosen)}] not built {path.relative_to(ROOT)}:{number}: {name}", flush=True)
            continue
        try:
            backup.write_bytes(original)
            path.write_text("\n".join(lines), encoding="utf-8")
            if run(["cmake", "--build", str(build), "-j2", "--target", Path(test).name], 900) != 0:
                verdict = "stillborn"
                stillborn += 1
            else:
                rc = run([str(build / test), "--gtest_brief=1", "--gtest_fail_fast"], limits[test])
                verdict = "survived" if rc == 0 else ("timeout" if rc is None else "killed")
                if rc == 0:
                    survived.append((path, number, name, mutated))
                else:
                    killed += 1
        finally:
            path.write_bytes(original)
            backup.unlink(missing_ok=True)
        print(f"[{index}/{len(chosen)}] {verdict:9} {time.monotonic() - began:5.1f}s "
              f"{path.relative_to(ROOT)}:{number}: {name}: {mutated.strip()}", flush=True)
    counted = killed + len(survived)
    rate = 100.0 * killed / counted if counted else 0.0
    minutes = (time.monotonic() - started) / 60
    print(f"mutants: {killed} killed, {len(survived)} survived, {stillborn} stillborn, {unbuilt} not built here; "
          f"kill rate {rate:.1f}% in {minutes:.1f} min ({60 * minutes / max(1, len(chosen)):.1f} s a mutant)")
    for path, number, name, mutated in survived:
        print(f"survived: {path.relative_to(ROOT)}:{number}: {name}: {mutated.strip()}")
    # The tree is back as it was; rebuild so the next incremental build starts from it.
    run(["cmake", "--build", str(build), "-j2", "--target", *targets], 3600)
    return 0


if __name__ == "__main__":
    sys.exit(main())
