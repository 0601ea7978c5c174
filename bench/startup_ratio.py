#!/usr/bin/env python3
"""Start-up of the window against a plain Qt window of the same size.

Runs build/bin/quillmark and build/bin/quillmark_yardstick in turn (A B A B
...), offscreen, each quitting at the first idle moment of its event loop,
and prints the median wall time and peak resident size of each and the
median of the pair-by-pair ratios. Pairing keeps the ratio meaningful while
the machine's speed drifts.

    bench/startup_ratio.py [--runs N] [--bin build/bin]

Quillmark runs with a settings file of its own in a temporary
XDG_CONFIG_HOME, with a font chosen, so that the first-start options dialog
does not come up.
"""
import argparse
import os
import statistics
import sys
import tempfile
import time


def run_once(command, env):
    """Wall seconds and peak resident MiB of one run."""
    # posix_spawn, not subprocess: its start costs too little to blur a
    # 20 ms figure.
    quiet = [(os.POSIX_SPAWN_OPEN, fd, os.devnull, os.O_RDWR, 0) for fd in (0, 1, 2)]
    start = time.monotonic()
    pid = os.posix_spawn(command[0], command, env, file_actions=quiet)
    _, status, usage = os.wait4(pid, 0)
    wall = time.monotonic() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command[0]} exited with {os.waitstatus_to_exitcode(status)}")
    return wall, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--bin", default=os.path.join(here, "..", "build", "bin"))
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as config:
        os.makedirs(os.path.join(config, "Harrowgate"))
        with open(os.path.join(config, "Harrowgate", "Quillmark.conf"), "w") as f:
            f.write("[Settings]\nFontName=DejaVu Sans Mono\n")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", QUILLMARK_QUIT_AT_IDLE="1",
                   XDG_CONFIG_HOME=config)
        quillmark = [os.path.join(args.bin, "quillmark")]
        yardstick = [os.path.join(args.bin, "quillmark_yardstick")]

        run_once(quillmark, env)  # warm the file cache
        run_once(yardstick, env)
        pairs = [(run_once(quillmark, env), run_once(yardstick, env)) for _ in range(args.runs)]

    def median(values):
        return statistics.median(values)

    q_wall = median(q[0] for q, _ in pairs)
    y_wall = median(y[0] for _, y in pairs)
    q_peak = median(q[1] for q, _ in pairs)
    y_peak = median(y[1] for _, y in pairs)
    time_ratio = median(q[0] / y[0] for q, y in pairs)
    peak_ratio = median(q[1] / y[1] for q, y in pairs)
    print(f"runs: {args.runs} pairs")
    print(f"quillmark:  {q_wall * 1000:6.1f} ms  {q_peak:5.1f} MiB")
    print(f"yardstick:  {y_wall * 1000:6.1f} ms  {y_peak:5.1f} MiB")
    print(f"ratio:      {time_ratio:6.2f}x time  {peak_ratio:5.2f}x memory"
          "  (goals: 1.5x, 1.25x)")


if __name__ == "__main__":
    main()
