"""Fails when the program or the runtime includes more of the platform layer than its public half.

The include paths already keep the layer's private headers out of reach by name; a path written
out (#include "../runtime/platform/posix/core/platform_state.h") would still reach them. So every
source of the program and of the runtime is run through the compiler's dependency listing, with
the flags of its real compile, and every header it ends up with is checked:
- the runtime may see the layer's public half (runtime/platform/posix/public/) and its own files;
- the program may see kd508.h, its entry (runtime/platform/win32.h, which brings the public
  half's Win32 subset) and its own files, nothing else of the runtime.

Run as: python3 -B layer_privacy_check.py BUILD_DIR [--program-source FILE]...
(--program-source checks one more file as if it were the program's, which is how the check's own
test shows that it catches a private include.)
Exit status 0 when every source keeps to its part, 1 with one line per stray include otherwise,
2 when the check itself cannot run."""

import json
import os
import shlex
import subprocess
import sys

ROOT = os.path.realpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
LAYER = os.path.join(ROOT, "runtime", "platform", "posix")
LAYER_PUBLIC = os.path.join(LAYER, "public")
RUNTIME = os.path.join(ROOT, "runtime")
SOURCE_SUFFIXES = (".cpp", ".cc", ".c")
PROGRAM_SEES = (os.path.join(RUNTIME, "include", "kd508.h"), os.path.join(RUNTIME, "platform", "win32.h"))


def inside(path, folder):
    return path == folder or path.startswith(folder + os.sep)


def stray(part, header):
    """Why header is out of bounds for a source of the given part, or None."""
    if inside(header, LAYER) and not inside(header, LAYER_PUBLIC):
        return "a header of the platform layer's private half"
    if part == "program" and inside(header, RUNTIME) and not inside(header, LAYER_PUBLIC) \
            and header not in PROGRAM_SEES:
        return "a header of the runtime other than kd508.h and its entry"
    return None


def part_of(source):
    if inside(source, os.path.join(ROOT, "app")):
        return "program"
    if inside(source, os.path.join(RUNTIME, "src")):
        return "runtime"
    return None


def dependency_command(entry):
    """The entry's compile command, made to list the headers its source includes instead."""
    words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    listed = []
    skip = False
    for word in words:
        if skip:
            skip = False
            continue
        if word in ("-o", "-c"):
            skip = word == "-o"
            continue
        if word.endswith(SOURCE_SUFFIXES):
            continue  # the source compiled; the one to list goes last
        listed.append(word)
    # A compiler launcher (ccache) stays out: the listing is never cached.
    while listed and os.path.basename(listed[0]) in ("ccache", "sccache"):
        listed.pop(0)
    # -MG lists a header it cannot find instead of stopping there: a private header reached by
    # its path is still listed when the headers it includes in turn are out of reach.
    return listed + ["-MM", "-MG", entry["file"]]


def headers_of(command, directory):
    done = subprocess.run(command, cwd=directory, capture_output=True, text=True)
    if done.returncode != 0:
        raise RuntimeError("%s\n%s" % (" ".join(command), done.stderr.strip()))
    # make syntax: "object: source header header \\\n header ..."
    listing = done.stdout.replace("\\\n", " ").split(":", 1)[1].split()
    return [os.path.realpath(os.path.join(directory, name)) for name in listing[1:]]


def main(arguments):
    if not arguments:
        sys.exit(__doc__)
    build = arguments[0]
    extra = []
    rest = arguments[1:]
    while rest:
        if rest[0] != "--program-source" or len(rest) < 2:
            sys.exit(__doc__)
        extra.append(os.path.realpath(rest[1]))
        rest = rest[2:]
    try:
        with open(os.path.join(build, "compile_commands.json")) as listing:
            entries = json.load(listing)
    except (OSError, ValueError) as error:
        print("layer_privacy_check: no compile database in %s (%s)" % (build, error), file=sys.stderr)
        return 2

    checks = []
    program_template = None
    for entry in entries:
        source = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
        part = part_of(source)
        if part is None:
            continue
        checks.append((part, source, entry))
        if part == "program" and program_template is None:
            program_template = entry
    if not checks:
        print("layer_privacy_check: the compile database names no source of the program or the runtime",
              file=sys.stderr)
        return 2
    for source in extra:
        checks.append(("program", source, dict(program_template, file=source)))

    failures = []
    for part, source, entry in checks:
        try:
            headers = headers_of(dependency_command(entry), entry["directory"])
        except RuntimeError as error:
            print("layer_privacy_check: cannot list the headers of %s:\n%s" % (source, error), file=sys.stderr)
            return 2
        for header in headers:
            reason = stray(part, header)
            if reason:
                failures.append("%s includes %s: %s" % (os.path.relpath(source, ROOT),
                                                         os.path.relpath(header, ROOT), reason))
    for line in failures:
        print(line)
    print("layer_privacy_check: %d sources checked, %d stray includes" % (len(checks), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
