#!/usr/bin/env bash
# Injects the faults of scripts/faults.txt one at a time and says which the test suite
# catches. Usage:
#
#   scripts/fault-check.sh [--tests REGEX] [--faults FILE] [--no-baseline] [--list] [ID...]
#
# Without IDs every fault is tried. --tests runs the CTest tests matching REGEX for every fault
# instead of the tests each fault names (e.g. --tests . for the whole suite); --list prints the
# faults and checks that each one's text occurs exactly once, building nothing.
#
# The faults go into a throwaway copy of the tree, never into this one: a detached git worktree
# of HEAD (plus this tree's uncommitted changes to tracked files) in $FAULT_CHECK_DIR
# (default ${TMPDIR:-/tmp}/quorvanta-fault-check), built in its own build/ with ccache and kept
# between runs, so that each fault costs an incremental build. For each fault: apply the one
# replacement, build, run the tests, restore the file. A fault is CAUGHT when a test fails,
# BUILD when the build fails (caught too, but shown apart: a fault should be a bug that
# compiles), MISSED when every test passes. Logs: $FAULT_CHECK_DIR/build/fault-logs/. Exit 0 when
# every fault is caught, 1 when one is missed, 2 for bad usage, bad fault data or a failing
# baseline (the named tests must pass on the untouched copy first).
# The tests of one fault run one after the other; CTEST_PARALLEL_LEVEL=2 runs them two at a time.
# JOBS (default 2) sets the build's parallel jobs, TEST_TIMEOUT (default 900) each test's limit.
set -euo pipefail

die() { echo "fault-check: $*" >&2; exit 2; }

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
faults=$repo/scripts/faults.txt
tests_override=
baseline=1
list_only=0
ids=()
while [ $# -gt 0 ]; do
    case $1 in
        --tests) [ $# -ge 2 ] || die "--tests needs a regular expression"; tests_override=$2; shift 2 ;;
        --faults) [ $# -ge 2 ] || die "--faults needs a file"; faults=$(realpath "$2"); shift 2 ;;
        --no-baseline) baseline=0; shift ;;
        --list) list_only=1; shift ;;
        -h|--help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "${BASH_SOURCE[0]}"; exit 0 ;;
        -*) die "unknown option $1 (try --help)" ;;
        *) ids+=("$1"); shift ;;
    esac
done
[ -f "$faults" ] || die "no fault list $faults"
command -v python3 >/dev/null || die "python3 is needed to read the fault list"

# The fault list's reader: "list" prints id<TAB>file<TAB>tests<TAB>what of the chosen faults
# after checking them against a tree; "apply" makes one fault's replacement in that tree.
read -r -d '' reader <<'PY' || true
import re, sys

KEYS = ("id", "file", "tests", "what", "find", "replace")

def parse(path):
    faults, current, where = [], None, None
    for number, line in enumerate(open(path, encoding="utf-8").read().split("\n"), 1):
        if line.startswith("#"):
            continue
        if not line.strip():
            current = None
            continue
        match = re.match(r"([a-z]+):( ?)(.*)$", line)
        if not match or match.group(1) not in KEYS:
            sys.exit(f"{path}:{number}: expected one of {', '.join(KEYS)} followed by ': '")
        key, value = match.group(1), match.group(3)
        if current is None:
            current = {"line": number}
            faults.append(current)
        if key in ("find", "replace") and key in current:
            current[key] += "\n" + value  # a repeated key continues the text on a new line
        elif key in current:
            sys.exit(f"{path}:{number}: {key} given twice")
        else:
            current[key] = value
    seen = set()
    for f in faults:
        missing = [k for k in KEYS if k not in f]
        if missing:
            sys.exit(f"{path}:{f['line']}: fault without {', '.join(missing)}")
        if f["id"] in seen:
            sys.exit(f"{path}:{f['line']}: id {f['id']} given twice")
        if f["find"] == f["replace"]:
            sys.exit(f"{path}:{f['line']}: {f['id']} replaces its text by itself")
        seen.add(f["id"])
    return faults

def chosen(faults, ids):
    by_id = {f["id"]: f for f in faults}
    unknown = [i for i in ids if i not in by_id]
    if unknown:
        sys.exit("no fault named " + ", ".join(unknown))
    return [by_id[i] for i in ids] if ids else faults

def occurrences(tree, fault):
    try:
        text = open(f"{tree}/{fault['file']}", encoding="utf-8").read()
    except OSError as error:
        sys.exit(f"{fault['id']}: {error}")
    return text, text.count(fault["find"])

command, path, tree, ids = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
faults = chosen(parse(path), ids)
bad = []
for f in faults:
    text, count = occurrences(tree, f)
    if count != 1:
        bad.append(f"{f['id']}: the text to find occurs {count} times in {f['file']}, not once")
    elif command == "apply":
        open(f"{tree}/{f['file']}", "w", encoding="utf-8").write(text.replace(f["find"], f["replace"], 1))
if bad:
    sys.exit("\n".join(bad))
if command == "list":
    for f in faults:
        print("\t".join((f["id"], f["file"], f["tests"], f["what"])))
PY
faults_py() { python3 -c "$reader" "$@"; }

if [ "$list_only" = 1 ]; then
    faults_py list "$faults" "$repo" "${ids[@]}" | awk -F'\t' '{printf "%-34s %-44s %s\n", $1, $2, $3}'
    echo "$(faults_py list "$faults" "$repo" "${ids[@]}" | wc -l) faults, each text found exactly once"
    exit 0
fi

work=${FAULT_CHECK_DIR:-${TMPDIR:-/tmp}/quorvanta-fault-check}
case $work in "$repo"|"$repo"/*) die "FAULT_CHECK_DIR must lie outside this tree" ;; esac
mkdir -p "$(dirname "$work")"
exec 9>"$work.lock"
flock -n 9 || die "another fault check is using $work"

# The copy: this tree's HEAD and its uncommitted changes to tracked files (new files that are
# not yet added are not copied). Files that did not change keep their times, so the build
# stays incremental.
if [ ! -e "$work/.git" ]; then
    rm -rf "$work"
    git -C "$repo" worktree add --quiet --detach "$work" HEAD
fi
git -C "$work" reset --quiet --hard
git -C "$work" checkout --quiet --detach "$(git -C "$repo" rev-parse HEAD)"
changes=$(git -C "$repo" diff --binary HEAD)
if [ -n "$changes" ]; then
    printf '%s\n' "$changes" | git -C "$work" apply --whitespace=nowarn
fi
git -C "$work" update-index --refresh >/dev/null || true

# Every fault's text must be there exactly once before anything is built.
listing=$(faults_py list "$faults" "$work" "${ids[@]}") || die "the fault list does not fit the tree or the IDs given (above)"

export QT_QPA_PLATFORM=offscreen
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$work}
build=$work/build
logs=$work/build/fault-logs  # inside the ignored build folder: the copy stays clean
mkdir -p "$logs"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$work" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUORVANTA_WERROR=ON "${launcher[@]}" >"$logs/configure.log" 2>&1 ||
        die "configuring the copy failed; see $logs/configure.log"
fi
build_copy() { cmake --build "$build" -j"${JOBS:-2}" >"$1" 2>&1; }
run_tests() {  # regex log
    (cd "$build" && ctest -R "$1" --timeout "${TEST_TIMEOUT:-900}" --output-on-failure) >"$2" 2>&1
}
# The CTest tests that failed, and the GoogleTest cases among them: "test_core (Failed): A.B".
failed_tests() {
    local tests cases
    tests=$(sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+) \((.*)\)$/\1 (\2)/p' "$1" | paste -sd, -)
    cases=$(sed -nE 's/^\[  FAILED  \] ([^ ]+) \(.*/\1/p' "$1" | sort -u | paste -sd, -)
    echo "$tests${cases:+: $cases}"
}

echo "fault-check: building the copy in $build"
build_copy "$logs/baseline.build.log" || die "the untouched copy does not build; see $logs/baseline.build.log"
if [ "$baseline" = 1 ]; then
    union=$(if [ -n "$tests_override" ]; then echo "$tests_override"; else
        cut -f3 <<<"$listing" | sort -u | sed 's/.*/(&)/' | paste -sd'|' -; fi)
    echo "fault-check: the named tests on the untouched copy ($union)"
    run_tests "$union" "$logs/baseline.test.log" ||
        die "the named tests fail without any fault ($(failed_tests "$logs/baseline.test.log")); see $logs/baseline.test.log"
fi

current_file=
restore() {
    if [ -n "$current_file" ]; then
        cp "$logs/original" "$work/$current_file"
        current_file=
    fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

results=()
caught=0 missed=0 by_build=0
while IFS=$'\t' read -r id file tests _what; do
    regex=${tests_override:-$tests}
    start=$(date +%s)
    cp "$work/$file" "$logs/original"
    current_file=$file
    faults_py apply "$faults" "$work" "$id" || die "$id could not be applied"
    if ! build_copy "$logs/$id.build.log"; then
        result=BUILD detail="build failed"
        caught=$((caught + 1)) by_build=$((by_build + 1))
    elif run_tests "$regex" "$logs/$id.test.log"; then
        if grep -q "No tests were found" "$logs/$id.test.log"; then
            restore
            die "$id: no test matches '$regex'"
        fi
        result=MISSED detail=
        missed=$((missed + 1))
    else
        result=CAUGHT detail=$(failed_tests "$logs/$id.test.log")
        caught=$((caught + 1))
    fi
    restore
    seconds=$(($(date +%s) - start))
    printf '%-34s %-7s %4ss  %s\n' "$id" "$result" "$seconds" "$detail"
    results+=("$(printf '%-34s %-7s %-40s %s' "$id" "$result" "$regex" "$detail")")
done <<<"$listing"

echo
printf '%-34s %-7s %-40s %s\n' "fault" "result" "tests run" "failed"
printf '%s\n' "${results[@]}"
echo
echo "$caught caught, $missed missed ($by_build of the caught by a failed build)"
[ "$missed" = 0 ]
