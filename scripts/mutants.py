#!/usr/bin/python3
"""The mutation check: how many hand-made faults do the tests catch?

Reads the mutants of tests/mutants.txt (the format is described at its top), applies one at a
time to a copy of the tree in build/mutants/tree, rebuilds the copy (Debug, no sanitizers) in
build/mutants/build, runs the tests fastest first (the one that caught the last fault in the
same file before them) until one fails, and puts the line back.
At the end it prints the kill rate and every survivor with the reason it is a fault.

The working tree is only ever read. The copy is brought in line with it at every start (the
files git knows, and new ones it does not ignore), so whatever an interrupted run left there
is undone; Ctrl-C puts the line back at once.

    scripts/mutants.py                  every mutant of tests/mutants.txt
    scripts/mutants.py --only vcard     mutants whose file or reason holds "vcard"
    scripts/mutants.py --check          only check that every mutant's line is still there
"""

import argparse
import fcntl
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build" / "mutants"
TREE = WORK / "tree"
BUILD = WORK / "build"
LOGS = WORK / "logs"
JOURNAL = WORK / "applied.json"
TIMINGS = WORK / "timings.json"


class Interrupted(Exception):
    pass


@dataclass
class Mutant:
    file: str
    old: str
    new: str
    why: str
    source_line: int  # where it stands in the list
    line: int = 0  # where it applies in its file, once found
    outcome: str = ""  # killed, survived, invalid, stale
    detail: str = ""


def fail(message):
    print(f"mutants.py: {message}", file=sys.stderr)
    sys.exit(2)


# The list ---------------------------------------------------------------------------------


def parse_list(path):
    """Blocks of '@ file' (for the mutants below it), then '-', '+' and '?' per mutant."""
    mutants = []
    current_file = None
    pending = {}
    pending_line = 0

    def finish(at):
        nonlocal pending
        if not pending:
            return
        missing = [k for k in "-+?" if k not in pending]
        if missing:
            fail(f"{path}:{pending_line}: mutant without '{missing[0]}' line")
        if current_file is None:
            fail(f"{path}:{pending_line}: mutant before any '@ file' line")
        if pending["-"].strip() == pending["+"].strip():
            fail(f"{path}:{pending_line}: the replacement equals the line")
        mutants.append(Mutant(current_file, pending["-"].strip(), pending["+"].strip(),
                              pending["?"].strip(), pending_line))
        pending = {}

    for number, raw in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        text = raw.rstrip()
        if not text or text.startswith("#"):
            finish(number)
            continue
        tag, rest = text[0], text[1:]
        if rest and not rest.startswith(" "):
            fail(f"{path}:{number}: a blank must follow '{tag}'")
        if tag == "@":
            finish(number)
            current_file = rest.strip()
            continue
        if tag not in "-+?":
            fail(f"{path}:{number}: a line starts with '@', '-', '+', '?' or '#'")
        if tag == "-":
            finish(number)
            pending_line = number
        elif not pending:
            fail(f"{path}:{number}: '{tag}' without a '-' line before it")
        if tag in pending:
            fail(f"{path}:{number}: second '{tag}' line in one mutant")
        pending[tag] = rest
    finish(0)
    return mutants


def locate(mutant, lines):
    """The index of the one line the mutant changes, or None (then it is stale)."""
    found = [i for i, line in enumerate(lines) if line.strip() == mutant.old]
    if len(found) == 1:
        mutant.line = found[0] + 1
        return found[0]
    mutant.outcome = "stale"
    mutant.detail = "line not found" if not found else f"line occurs {len(found)} times"
    return None


def lines_of(text):
    """Lines as the compiler sees them: only a line feed ends one."""
    return text.split("\n")


def mutated(text, mutant):
    lines = lines_of(text)
    index = locate(mutant, lines)
    if index is None:
        return None
    line = lines[index]
    indent = line[: len(line) - len(line.lstrip())]
    ending = "\r" if line.endswith("\r") else ""
    lines[index] = (indent + mutant.new if mutant.new else "") + ending
    return "\n".join(lines)


# The copy ---------------------------------------------------------------------------------


def inside_tree(path):
    resolved = Path(path).resolve()
    if TREE.resolve() not in resolved.parents:
        raise RuntimeError(f"refusing to write outside the copy: {resolved}")
    return resolved


def write_in_tree(path, data):
    """Whole or not at all: a crash never leaves half a file in the copy."""
    target = inside_tree(path)
    temp = target.with_name(target.name + ".mutant-tmp")
    temp.write_bytes(data)
    os.replace(temp, target)


def tracked_files():
    out = subprocess.run(["git", "-C", str(ROOT), "ls-files", "-z", "--cached", "--others",
                          "--exclude-standard"], check=True, capture_output=True).stdout
    return sorted({f for f in out.decode("utf-8").split("\0") if f})


def sync_tree():
    """Makes the copy hold exactly the working tree's files; unchanged files keep their time,
    so the build redoes only what differs."""
    if TREE.resolve() == ROOT or ROOT not in TREE.resolve().parents:
        raise RuntimeError("the copy must lie below build/ of the working tree")
    TREE.mkdir(parents=True, exist_ok=True)
    wanted = set()
    changed = 0
    for name in tracked_files():
        source = ROOT / name
        if name.startswith("build/") or not source.is_file():
            continue  # deleted but not yet staged
        wanted.add(name)
        target = TREE / name
        data = source.read_bytes()
        if target.is_file() and target.read_bytes() == data:
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        write_in_tree(target, data)
        os.chmod(target, source.stat().st_mode & 0o777)
        changed += 1
    for path in sorted(TREE.rglob("*"), reverse=True):
        relative = path.relative_to(TREE).as_posix()
        if path.is_file() and relative not in wanted:
            inside_tree(path).unlink()
        elif path.is_dir() and not any(path.iterdir()):
            inside_tree(path).rmdir()
    return changed


def note_applied(mutant, original):
    """Keeps the file as it was before the mutant is written, so that even a killed run can
    be undone (the working tree may have changed meanwhile)."""
    write_in_tree(TREE / ".mutant-original", original)
    JOURNAL.write_text(json.dumps({"file": mutant.file, "line": mutant.line}))


def restore_from_journal(quiet=False):
    if not JOURNAL.exists():
        return
    try:
        name = json.loads(JOURNAL.read_text())["file"]
    except (ValueError, KeyError):
        name = None
    kept = TREE / ".mutant-original"
    if name and kept.is_file():
        write_in_tree(TREE / name, kept.read_bytes())
        if not quiet:
            print(f"Put back {name}, left changed by an interrupted run.")
    kept.unlink(missing_ok=True)
    JOURNAL.unlink()


# Building and testing ---------------------------------------------------------------------

RUNNING = []  # process groups to end on an interruption


def run_logged(command, log, timeout=None, env=None):
    with open(log, "wb") as out:
        process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, env=env,
                                   start_new_session=True)
        RUNNING.append(process)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            end_group(process)
            return None
        except BaseException:
            end_group(process)  # Ctrl-C: nothing of ours keeps running
            raise
        finally:
            RUNNING.remove(process)


def end_group(process):
    """Asks first, so that ninja and ctest end what they started; then insists."""
    for sig, grace in ((signal.SIGTERM, 10), (signal.SIGKILL, None)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            break
        try:
            process.wait(timeout=grace)
            break
        except subprocess.TimeoutExpired:
            continue
    process.wait()


def configure():
    """Every run: a test added, merged or renamed since the last run must be seen, and the
    build's own regeneration would come only with the first build, after the tests are listed."""
    command = ["cmake", "-S", str(TREE), "-B", str(BUILD), "-G", "Ninja",
               "-DCMAKE_BUILD_TYPE=Debug", "-DNATALIX_SANITIZE=OFF"]
    if shutil.which("ccache"):
        command.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    if run_logged(command, LOGS / "configure.log") != 0:
        fail(f"cmake could not configure the copy; see {LOGS / 'configure.log'}")


def build(jobs, log, targets=()):
    command = ["cmake", "--build", str(BUILD), "-j", str(jobs)]
    for target in sorted(targets):
        command += ["--target", target]
    return run_logged(command, log) == 0


def test_environment():
    env = dict(os.environ)
    env.update({
        "QT_QPA_PLATFORM": "offscreen",
        "ASAN_OPTIONS": "detect_leaks=1:abort_on_error=1:strict_string_checks=1",
        "LSAN_OPTIONS": f"suppressions={TREE}/tests/lsan.supp:print_suppressions=0",
        "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1",
    })
    return env


def list_tests(pattern):
    """The chosen tests, each with the build targets its command names: its executable (a
    test that starts the program depends on it in the build) or the program itself."""
    out = subprocess.run(["ctest", "--test-dir", str(BUILD), "--show-only=json-v1"],
                         check=True, capture_output=True).stdout
    listing = subprocess.run(["ninja", "-C", str(BUILD), "-t", "targets", "all"], check=True,
                             capture_output=True, text=True).stdout
    known = {line.split(":")[0] for line in listing.splitlines()}
    tests = {}
    for test in json.loads(out)["tests"]:
        if pattern and not re.search(pattern, test["name"]):
            continue
        targets = set()
        for arg in test.get("command", []):
            name = Path(arg).name
            if name.startswith("lib"):
                name = name[3:]
            name = name.split(".")[0]
            if BUILD.resolve() in Path(arg).resolve().parents:
                if name not in known:
                    fail(f"{test['name']} runs {arg}, which no build target makes")
                targets.add(name)
        tests[test["name"]] = targets
    return tests


class BuildFailed(Exception):
    pass


def run_tests(tests, order, timeouts, jobs, log_dir, stop_on_failure=True):
    """Runs the tests in the given order, `jobs` at once, each built just before it runs (a
    fault the first tests catch costs no other link); returns the first failing test (or
    None; every failing one when not stopping), the seconds each test took, and the seconds
    spent building."""
    log_dir.mkdir(parents=True, exist_ok=True)
    env = test_environment()
    waiting = list(order)
    running = {}  # test name -> (process, start, log file, time allowed)
    took = {}
    failed = []
    built = set()
    building = 0.0
    while waiting or running:
        while waiting and len(running) < jobs and not (failed and stop_on_failure):
            name = waiting.pop(0)
            if tests[name] - built:
                start = time.monotonic()
                ok = build(jobs, log_dir / "build.log", tests[name] - built)
                building += time.monotonic() - start
                if not ok:
                    for process, *_ in running.values():
                        end_group(process)
                        RUNNING.remove(process)
                    raise BuildFailed(building)
                built |= tests[name]
            limit = timeouts.get(name, 600)
            log = open(log_dir / f"{name}.log", "wb")
            process = subprocess.Popen(
                ["ctest", "--test-dir", str(BUILD), "-R", f"^{re.escape(name)}$",
                 "--timeout", str(limit), "--output-on-failure", "--no-tests=error"],
                stdout=log, stderr=subprocess.STDOUT, env=env, start_new_session=True)
            RUNNING.append(process)
            running[name] = (process, time.monotonic(), log, limit)
        if failed and stop_on_failure and not running:
            break
        time.sleep(0.05)
        for name, (process, start, log, limit) in list(running.items()):
            elapsed = time.monotonic() - start
            code = process.poll()
            if code is None and elapsed > limit + 60:
                end_group(process)  # ctest itself hangs: counts as a failure
                code = -1
            if code is None:
                if failed and stop_on_failure:
                    end_group(process)
                    RUNNING.remove(process)
                    log.close()
                    del running[name]
                continue
            RUNNING.remove(process)
            log.close()
            del running[name]
            took[name] = elapsed
            if code != 0:
                failed.append(name)
    if not stop_on_failure:
        return failed, took, building
    return (failed[0] if failed else None), took, building


def order_and_timeouts(names, first=()):
    """Fastest first, by the times of the last sound run; the tests in `first` before all."""
    known = json.loads(TIMINGS.read_text()) if TIMINGS.exists() else {}
    ordered = [n for n in first if n in names]
    rest = [n for n in names if n not in ordered]
    ordered += sorted(rest, key=lambda n: (known.get(n, 1e9), n))
    # Generous: a busy machine must not turn a slow test into a kill; a hang still ends.
    timeouts = {n: int(max(60, 5 * known[n] + 30)) if n in known else 600 for n in names}
    return ordered, timeouts


def baseline(pattern, jobs):
    """Builds everything, then lists the tests: listed before, an executable the build no
    longer makes could still lie in the build folder and run unchanged for every mutant."""
    print("Building the unchanged copy...", flush=True)
    start = time.monotonic()
    if not build(jobs, LOGS / "baseline-build.log"):
        fail(f"the unchanged tree does not build; see {LOGS / 'baseline-build.log'}")
    built = time.monotonic() - start
    tests = list_tests(pattern)
    if not tests:
        fail("no test chosen")
    print(f"Running its {len(tests)} tests once...", flush=True)
    ordered, timeouts = order_and_timeouts(tests)
    failed, took, _ = run_tests(tests, ordered, timeouts, jobs, LOGS / "baseline",
                                stop_on_failure=False)
    known = json.loads(TIMINGS.read_text()) if TIMINGS.exists() else {}
    known.update(took)
    TIMINGS.write_text(json.dumps(known, indent=1, sort_keys=True))
    print(f"  built in {built:.0f} s, tests in {sum(took.values()):.0f} s "
          f"(test time summed over {len(took)} tests)", flush=True)
    # A test that fails unchanged would kill every mutant: it is left out, and said so.
    broken = sorted(name for name in failed)
    for name in broken:
        print(f"  LEFT OUT: {name} fails on the unchanged tree; see "
              f"{LOGS / 'baseline' / (name + '.log')}", flush=True)
        del tests[name]
    if not tests:
        fail("every test fails on the unchanged tree")
    return tests, broken


# The run ----------------------------------------------------------------------------------


KILLERS = {}  # file -> the tests that killed its mutants, the latest first


def judge(mutant, index, total, tests, jobs):
    path = TREE / mutant.file
    if not path.is_file():
        mutant.outcome, mutant.detail = "stale", "file not found"
        return
    original = path.read_bytes()
    text = mutated(original.decode("utf-8"), mutant)
    if text is None:
        return
    print(f"[{index}/{total}] {mutant.file}:{mutant.line}: {mutant.new}", flush=True)
    log_dir = LOGS / f"mutant-{index:03d}"
    if log_dir.exists():
        shutil.rmtree(log_dir)
    note_applied(mutant, original)
    write_in_tree(path, text.encode("utf-8"))
    try:
        start = time.monotonic()
        # The test that caught the last fault in this file likely catches the next one.
        ordered, timeouts = order_and_timeouts(tests, KILLERS.get(mutant.file, []))
        try:
            failed, took, built = run_tests(tests, ordered, timeouts, jobs, log_dir)
        except BuildFailed as failure:
            mutant.outcome, mutant.detail = "invalid", "does not compile"
            print(f"      invalid: does not compile (build {failure.args[0]:.0f} s)",
                  flush=True)
            return
        tested = time.monotonic() - start - built
        if failed:
            mutant.outcome, mutant.detail = "killed", f"by {failed}"
            killers = KILLERS.setdefault(mutant.file, [])
            if failed in killers:
                killers.remove(failed)
            killers.insert(0, failed)
        else:
            mutant.outcome, mutant.detail = "survived", f"all {len(took)} tests pass"
        print(f"      {mutant.outcome} {mutant.detail} (build {built:.0f} s, "
              f"tests {tested:.0f} s)", flush=True)
    finally:
        restore_from_journal(quiet=True)


def summary(mutants):
    counts = {k: sum(1 for m in mutants if m.outcome == k)
              for k in ("killed", "survived", "invalid", "stale", "")}
    judged = counts["killed"] + counts["survived"]
    lines = [f"{len(mutants)} mutants: {counts['killed']} killed, {counts['survived']} survived, "
             f"{counts['invalid']} invalid, {counts['stale']} stale"
             + (f", {counts['']} not run" if counts[""] else "")]
    if judged:
        lines.append(f"Kill rate: {counts['killed']} of {judged} = "
                     f"{100.0 * counts['killed'] / judged:.1f} %")
    for outcome, title in (("survived", "Survivors"), ("invalid", "Invalid (do not compile)"),
                           ("stale", "Stale (refresh these lines)")):
        chosen = [m for m in mutants if m.outcome == outcome]
        if not chosen:
            continue
        lines.append(f"{title}:")
        for m in chosen:
            at = f"{m.file}:{m.line}" if m.line else f"{m.file} (list line {m.source_line})"
            lines.append(f"  {at}  {m.old}")
            lines.append(f"      -> {m.new or '(line dropped)'}")
            lines.append(f"      {m.why}" + (f" [{m.detail}]" if outcome == "stale" else ""))
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--only", metavar="PATTERN",
                        help="only mutants whose file or reason contains PATTERN")
    parser.add_argument("--list", metavar="FILE", default=str(ROOT / "tests" / "mutants.txt"),
                        help="the list of mutants (default: tests/mutants.txt)")
    parser.add_argument("-j", "--jobs", type=int, default=2,
                        help="build jobs and tests run at once (default: 2)")
    parser.add_argument("--tests", metavar="REGEX",
                        help="run only the tests whose name matches (default: all)")
    parser.add_argument("--check", action="store_true",
                        help="only check that every mutant's line occurs exactly once")
    args = parser.parse_args()

    mutants = parse_list(args.list)
    if args.only:
        needle = args.only.lower()
        mutants = [m for m in mutants if needle in m.file.lower() or needle in m.why.lower()]
    if args.check:
        for m in mutants:
            source = ROOT / m.file
            if not source.is_file():
                m.outcome, m.detail = "stale", "file not found"
            else:
                locate(m, lines_of(source.read_text(encoding="utf-8")))
        stale = [m for m in mutants if m.outcome == "stale"]
        print(f"{len(mutants)} mutants, {len(stale)} stale")
        if stale:
            print(summary(stale).split("\n", 1)[1])
        return 1 if stale else 0
    if not mutants:
        fail("no mutant chosen")

    WORK.mkdir(parents=True, exist_ok=True)
    lock = open(WORK / "lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        fail("another mutation check runs on this tree")
    LOGS.mkdir(parents=True, exist_ok=True)

    def interrupted(signum, frame):
        raise Interrupted()
    for s in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(s, interrupted)

    start = time.monotonic()
    left_out = []
    try:
        restore_from_journal()
        print(f"Copy brought in line with the working tree ({sync_tree()} files changed).")
        configure()
        tests, left_out = baseline(args.tests, args.jobs)
        for index, m in enumerate(mutants, 1):
            judge(m, index, len(mutants), tests, args.jobs)
    except Interrupted:
        for process in list(RUNNING):
            end_group(process)
        print("\nInterrupted; the copy is as the working tree again.", file=sys.stderr)
    finally:
        restore_from_journal()
    report = summary(mutants)
    if left_out:
        report += "\nLeft out, failing on the unchanged tree: " + ", ".join(left_out)
    minutes = (time.monotonic() - start) / 60
    report += f"\nTime: {minutes:.1f} min"
    (WORK / "report.txt").write_text(report + "\n")
    print("\n" + report)
    return 0 if all(m.outcome for m in mutants) else 130


if __name__ == "__main__":
    sys.exit(main())
