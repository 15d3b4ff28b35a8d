"""tools/crash-report [--symbols DIR]... [--json] [--details] [--] PATH...

Reads crash dumps. A PATH is a dump or a folder, searched recursively for
*.dmp. One dump gives its report: the exception, every thread's stack
(function and file:line wherever a matching symbol copy exists) and the
modules with the state of their symbols. More give a summary: one group per
signature, biggest first. --details adds each dump's report to it; --json
prints one JSON document instead. Symbol copies are looked for in this
tree's dist/symbols/<architecture of the dump>, then in each --symbols
folder.

Exit status: 0 when at least one dump was read, 1 when none was (one line on
stderr says why for a single dump), 2 for wrong arguments.
"""
import os
import sys

from . import collect, jsonout, minidump
from .analysis import name_frames, read_and_walk
from .report import print_report
from .summary import group, print_summary
from .symbols import SymbolStore

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
USAGE = "usage: tools/crash-report [--symbols DIR]... [--json] [--details] [--] PATH..."


class Options:
    def __init__(self):
        self.paths = []
        self.folders = []
        self.json = False
        self.details = False


def main(arguments):
    options = _parse_arguments(arguments)
    files, unreadable, empty = collect.dump_paths(options.paths)
    single = len(files) + len(unreadable) == 1 and not empty and not options.json
    store = SymbolStore(lambda architecture: [os.path.join(ROOT, "dist", "symbols", architecture)]
                        + options.folders)
    analyses = []
    for path in files:
        try:
            analyses.append(read_and_walk(path, store))
        except minidump.DumpError as error:
            unreadable.append((path, str(error)))
        except Exception as error:  # noqa: BLE001 - one damaged dump never ends the rest
            unreadable.append((path, f"failed: {type(error).__name__}: {error}"))
    problems = name_frames(analyses, store)
    store.close()

    if single and not analyses:
        path, reason = unreadable[0]
        _fail(f"{path}: {reason}")
    if not analyses and not unreadable:
        _fail(f"{empty[0]}: no dumps (*.dmp) in it" if len(empty) == 1
              else f"no dumps (*.dmp) in {', '.join(empty)}")
    out = sys.stdout
    if single:
        print_report(analyses[0], problems, ROOT, out)
    else:
        groups = group(analyses)
        if options.json:
            jsonout.write(analyses, groups, unreadable, out)
        else:
            print_summary(groups, unreadable, problems, out)
            if options.details:
                for g in groups:
                    for analysis in g.analyses:
                        print("\n", file=out)
                        print_report(analysis, problems, ROOT, out)
    sys.exit(0 if analyses else 1)


def _parse_arguments(arguments):
    options = Options()
    i = 0
    while i < len(arguments):
        argument = arguments[i]
        i += 1
        if argument == "--":
            options.paths.extend(arguments[i:])
            break
        if argument in ("--symbols",) or argument.startswith("--symbols="):
            if "=" in argument:
                folder = argument.split("=", 1)[1]
            elif i < len(arguments):
                folder = arguments[i]
                i += 1
            else:
                _usage_error(f"--symbols needs a folder\n{USAGE}")
            if not os.path.isdir(folder):
                _usage_error(f"--symbols {folder}: not a folder")
            options.folders.append(folder)
        elif argument == "--json":
            options.json = True
        elif argument == "--details":
            options.details = True
        elif argument in ("-h", "--help"):
            print(__doc__.strip())
            sys.exit(0)
        elif argument.startswith("-") and argument != "-" and not os.path.lexists(argument):
            _usage_error(f"unknown option {argument} (a path that begins with a dash may "
                         f"follow --)\n{USAGE}")
        else:
            options.paths.append(argument)
    if not options.paths:
        _usage_error(USAGE)
    return options


def _usage_error(message):
    print(f"crash-report: {message}", file=sys.stderr)
    sys.exit(2)


def _fail(message):
    print(f"crash-report: {message}", file=sys.stderr)
    sys.exit(1)


if __name__ == "__main__":
    try:
        main(sys.argv[1:])
    except KeyboardInterrupt:
        sys.exit(130)
    except BrokenPipeError:
        # The reader went away (a pager closed, "| head"): nothing more to say.
        sys.stdout = None
        os._exit(1)
    except Exception as error:  # noqa: BLE001 - the user gets one line, never a trace
        print(f"crash-report: failed: {type(error).__name__}: {error}", file=sys.stderr)
        sys.exit(1)
