"""Groups a fleet's dumps by signature and prints the summary: one group
per signature, biggest first, with its count, the first and last crash
time, the editions and their versions, the modules on its crashing stacks
and one example file; then the files that could not be read."""
from collections import Counter
from dataclasses import dataclass

from .texts import exception_name, utc_text


@dataclass
class Group:
    signature: str
    analyses: list

    @property
    def count(self):
        return len(self.analyses)

    @property
    def times(self):
        return sorted(a.dump.time_stamp for a in self.analyses)

    @property
    def executables(self):
        """Counter of (executable name, version)."""
        return Counter(_executable(a) for a in self.analyses)

    @property
    def modules(self):
        """The modules of the crashing stacks, in the order they first appear."""
        names = {}
        for analysis in self.analyses:
            for frame in analysis.crash_frames:
                if frame.module:
                    names.setdefault(frame.module.lower(), frame.module)
        return list(names.values())


def _executable(analysis):
    module = analysis.dump.executable
    return (module.name, module.version) if module else ("(no modules)", "")


def group(analyses):
    groups = {}
    for analysis in analyses:
        groups.setdefault(analysis.signature, []).append(analysis)
    ordered = [Group(s, sorted(a, key=lambda a: (a.dump.time_stamp, a.path))) for s, a in groups.items()]
    return sorted(ordered, key=lambda g: (-g.count, g.times[0], g.signature))


def print_summary(groups, unreadable, problems, out):
    """problems: symbol file -> why its debug information named nothing."""
    read = sum(g.count for g in groups)
    print(f"{read} dump{'s' if read != 1 else ''} read, {len(unreadable)} unreadable; "
          f"{len(groups)} signature{'s' if len(groups) != 1 else ''}", file=out)
    for number, g in enumerate(groups, 1):
        example = g.analyses[0]
        exception = example.dump.exception
        kind = exception_name(exception.code) if exception else "no exception recorded"
        times = g.times
        print(file=out)
        print(f"#{number}  {g.count} dump{'s' if g.count != 1 else ''}, {kind}", file=out)
        print(f"    signature  {g.signature}", file=out)
        print(f"    time       {utc_text(times[0])}"
              + (f" to {utc_text(times[-1])}" if times[-1] != times[0] else ""), file=out)
        editions = ", ".join(f"{name} {version or '(version unknown)'} ({count})"
                             for (name, version), count in sorted(g.executables.items()))
        print(f"    editions   {editions}", file=out)
        print(f"    modules    {', '.join(g.modules) or '(none)'}", file=out)
        print(f"    stack      {example.crash_stack_end}", file=out)
        print(f"    example    {example.path}", file=out)
    if unreadable:
        print(file=out)
        print("Unreadable:", file=out)
        for path, reason in unreadable:
            print(f"  {path}: {reason}", file=out)
    if problems:
        print(file=out)
        print("Symbol files that named nothing:", file=out)
        for path, reason in sorted(problems.items()):
            print(f"  {path}: {reason}", file=out)
