#!/usr/bin/env python3
"""Checks the rules of docs/architecture.md that a reader cannot see at a glance.

- A folder includes only from itself and the folders below it in LAYERS; res/ (resource ids and
  private message numbers) and the generated tickra/ headers from anywhere above base/.
- A file without _win in its name, outside ui/ and res/, includes no Windows header and no _win
  header: it builds and is tested natively.
- Threads start only in base/thread_start*.cpp, and only base/worker.h calls it.
- Only base/background_task.h makes a Worker, so every job goes through BackgroundTask::Start,
  whose jobs are plain function pointers: a job cannot capture its owner. A lambda handed to Start
  would not compile; the check also refuses one written there, so the reason is said plainly.

Prints each breach as file:line: rule, and exits 1 if there is any.
"""
import pathlib
import re
import sys

LAYERS = ["base", "ui", "net", "watch", "history", "edit", "chart", "ticker", "taskbar", "tray",
          "update", "app"]
ANYWHERE_ABOVE_BASE = {"res", "tickra"}
WINDOWS_EVERYWHERE = {"ui", "res"}
# Headers of the Windows SDK that a platform-free file must not need.
WINDOWS_HEADER = re.compile(
    r"<(windows|windowsx|winsock2|ws2tcpip|wininet|commctrl|commdlg|shellapi|shlobj|shlwapi|"
    r"objbase|ole2|oleidl|exdisp|mshtml|psapi|wincrypt|wintrust|dwmapi|uxtheme|process)\.h>",
    re.IGNORECASE)
THREAD_START = re.compile(r"std::(thread|jthread|async)\b|\bCreateThread\b|\b_beginthread(ex)?\b")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
START_WITH_LAMBDA = re.compile(r"\.\s*Start\s*\(\s*\[|->\s*Start\s*\(\s*\[")


def check(root: pathlib.Path) -> list[str]:
    breaches = []
    for path in sorted(p for folder in LAYERS + ["res"] for p in (root / folder).rglob("*")
                       if p.suffix in (".h", ".cpp", ".rc")):
        rel = path.relative_to(root).as_posix()
        folder = rel.split("/", 1)[0]
        platform_free = "_win" not in path.stem and folder not in WINDOWS_EVERYWHERE
        text = path.read_text(encoding="utf-8")
        for start in START_WITH_LAMBDA.finditer(text):
            number = text.count("\n", 0, start.start()) + 1
            breaches.append(f"{rel}:{number}: a job is a lambda; make it a plain function of values")
        for number, line in enumerate(text.splitlines(), 1):
            where = f"{rel}:{number}"
            include = INCLUDE.match(line)
            if include:
                bracket, target = include.groups()
                top = target.split("/", 1)[0] if "/" in target else None
                if bracket == '"' and top in LAYERS and folder in LAYERS and \
                        LAYERS.index(top) > LAYERS.index(folder):
                    breaches.append(f"{where}: {folder}/ includes {target}, from a layer above it")
                if bracket == '"' and top in ANYWHERE_ABOVE_BASE and folder == "base":
                    breaches.append(f"{where}: base/ includes {target}")
                if platform_free and (WINDOWS_HEADER.search(line) or
                                      (bracket == '"' and "_win." in target) or
                                      (bracket == '"' and top == "ui")):
                    breaches.append(f"{where}: a platform-free file includes {target}")
            code = line.split("//", 1)[0]
            if THREAD_START.search(code) and not re.fullmatch(r"base/thread_start(_win)?\.cpp", rel):
                breaches.append(f"{where}: a thread is started outside base/thread_start*.cpp")
            if "StartDetachedThread" in code and rel not in (
                    "base/worker.h", "base/thread_start.h", "base/thread_start.cpp",
                    "base/thread_start_win.cpp"):
                breaches.append(f"{where}: only Worker starts threads")
            if re.search(r"\bWorker\s*<", code) and rel not in ("base/worker.h",
                                                                "base/background_task.h"):
                breaches.append(f"{where}: a Worker outside BackgroundTask")
    return breaches


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else
                        pathlib.Path(__file__).resolve().parent.parent)
    breaches = check(root)
    for breach in breaches:
        print(breach)
    print(f"layers: {len(breaches)} breach(es)" if breaches else "layers: every rule holds")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
