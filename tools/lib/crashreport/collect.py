"""The dump files named on the command line: files as given, folders
searched recursively for *.dmp (any letter case). Paths that cannot be
looked at are returned with the reason, for the list of unreadable files."""
import os


def dump_paths(paths):
    """(dump files in order, [(path, reason)], folders without dumps)."""
    files, unreadable, empty = [], [], []
    seen = set()

    def add(path):
        key = os.path.abspath(path)
        if key not in seen:
            seen.add(key)
            files.append(path)

    for path in paths:
        try:
            is_folder = os.path.isdir(path)
            os.stat(path)
        except OSError as error:
            unreadable.append((path, error.strerror or str(error)))
            continue
        if not is_folder:
            add(path)
            continue
        found = []
        errors = []
        for folder, subfolders, names in os.walk(path, onerror=errors.append):
            subfolders.sort()
            found.extend(os.path.join(folder, n) for n in sorted(names) if n.lower().endswith(".dmp"))
        unreadable.extend((e.filename or path, e.strerror or str(e)) for e in errors)
        if not found:
            empty.append(path)
        for file in found:
            add(file)
    return files, unreadable, empty
