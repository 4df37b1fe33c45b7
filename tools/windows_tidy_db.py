#!/usr/bin/env python3
"""Gives clang-tidy the Windows code: rewrites a mingw-w64 build's compile database for Debian's
clang aimed at the same target, with mingw-w64's headers and GCC's C++ library for it, and prints
the Windows files to check (the _win files and ui/; the platform-free ones are checked through the
native clang build).

    windows_tidy_db.py BUILD_DIR OUT_DIR

Clang knows no execution character set but UTF-8: the GB18030 flag is dropped, so narrow
literals are checked as UTF-8, which no check here depends on.
"""
import glob
import json
import shlex
import sys
from pathlib import Path


def main():
    build, out = Path(sys.argv[1]), Path(sys.argv[2])
    cxx = sorted(glob.glob('/usr/lib/gcc/x86_64-w64-mingw32/*-posix/include/c++'))
    if not cxx:
        sys.exit('the mingw-w64 C++ headers were not found')
    system = ['-isystem', cxx[-1], '-isystem', cxx[-1] + '/x86_64-w64-mingw32',
              '-isystem', '/usr/x86_64-w64-mingw32/include']
    entries, files = [], set()
    for entry in json.load(open(build / 'compile_commands.json')):
        args = shlex.split(entry['command']) if 'command' in entry else entry['arguments']
        args = [a for a in args[1:] if not a.startswith(('-fexec-charset', '-finput-charset'))
                and a != '-Wno-restrict']
        entries.append({'directory': entry['directory'], 'file': entry['file'],
                        'arguments': ['clang++', '--target=x86_64-w64-mingw32'] + system + args})
        path = Path(entry['file']).resolve()
        rel = path.relative_to(Path(__file__).resolve().parent.parent).as_posix() \
            if str(path).startswith(str(Path(__file__).resolve().parent.parent)) else ''
        if rel and not rel.startswith(('tests/', 'tools/', 'bench/', 'fuzz/')) and \
                (path.stem.endswith('_win') or rel.startswith('ui/')):
            files.add(str(path))
    out.mkdir(parents=True, exist_ok=True)
    json.dump(entries, open(out / 'compile_commands.json', 'w'))
    print('\n'.join(sorted(files)))


if __name__ == '__main__':
    main()
