#!/usr/bin/env python3
"""Runs a command with the market simulator listening on a free loopback port.

    with_marketsim.py COMMAND [ARGS...]

The command finds the port in the environment variable TICKRA_SIM_PORT. The exit code is the
command's.
"""
import os
import subprocess
import sys
from pathlib import Path

SIMULATOR = Path(__file__).resolve().parent.parent / 'tools' / 'marketsim' / 'marketsim.py'


def main():
    sim = subprocess.Popen([sys.executable, str(SIMULATOR), '--port', '0'],
                           stdout=subprocess.PIPE, text=True)
    try:
        line = sim.stdout.readline()
        if 'listening on' not in line:
            print('marketsim did not start', file=sys.stderr)
            return 1
        env = dict(os.environ, TICKRA_SIM_PORT=line.strip().rsplit(':', 1)[1])
        return subprocess.run(sys.argv[1:], env=env).returncode
    finally:
        sim.terminate()
        sim.wait(timeout=10)


if __name__ == '__main__':
    sys.exit(main())
