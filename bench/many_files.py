#!/usr/bin/env python3
"""quillmark-rc show on many files: one call for all, against one call each.

Makes 500 compiled files in a temporary folder (small version scripts
compiled by llvm-rc and, where the MinGW-w64 compiler is installed, linked
into executables), then times `quillmark-rc show F1 ... F500` against 500 calls of
`quillmark-rc show F`, in turn, and prints the medians and their ratio.

    bench/many_files.py [--files 500] [--runs 5] [--bin build/bin]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
WINVER = "/usr/share/mingw-w64/include"


SCRIPT = """#include <winver.h>
1 VERSIONINFO
FILEVERSION {n},2,3,4
PRODUCTVERSION {n},2,0,0
FILEFLAGSMASK VS_FFI_FILEFLAGSMASK
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_DLL
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "CompanyName", "Example {n}"
      VALUE "FileDescription", "Sample library"
      VALUE "FileVersion", "{n}.2.3.4"
      VALUE "ProductName", "Sample"
      VALUE "ProductVersion", "{n}.2"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
"""


def compiled_samples(folder, count=4):
    """Compiled files of small version scripts: .res files made by llvm-rc,
    and executables where a MinGW-w64 compiler is at hand."""
    samples = []
    gcc = shutil.which("x86_64-w64-mingw32-gcc")
    windres = shutil.which("x86_64-w64-mingw32-windres")
    main = os.path.join(folder, "main.c")
    with open(main, "w") as f:
        f.write("int main(void) { return 0; }\n")
    for n in range(1, count + 1):
        script, res, obj, exe = (os.path.join(folder, f"sample{n}.{x}")
                                 for x in ("rc", "res", "o", "exe"))
        with open(script, "w") as f:
            f.write(SCRIPT.format(n=n))
        subprocess.run(["llvm-rc", "/C", "65001", "/I", WINVER, "/FO", res, "--", script],
                       check=True, stdout=subprocess.DEVNULL)
        samples.append(res)
        if gcc and windres:
            subprocess.run([windres, "-I", WINVER, res, "-O", "coff", "-o", obj], check=True)
            subprocess.run([gcc, "-o", exe, main, obj], check=True)
            samples.append(exe)
    return samples


def run(command):
    """Wall seconds of one run, its output thrown away."""
    quiet = [(os.POSIX_SPAWN_OPEN, fd, os.devnull, os.O_RDWR, 0) for fd in (0, 1, 2)]
    start = time.monotonic()
    pid = os.posix_spawn(command[0], command, os.environ, file_actions=quiet)
    _, status = os.waitpid(pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(command[:3])} ... exited with {os.waitstatus_to_exitcode(status)}")
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--files", type=int, default=500)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--bin", default=os.path.join(HERE, "..", "build", "bin"))
    args = parser.parse_args()
    rc = os.path.join(args.bin, "quillmark-rc")

    with tempfile.TemporaryDirectory() as folder:
        samples = compiled_samples(folder)
        files = []
        for i in range(args.files):
            sample = samples[i % len(samples)]
            copy = os.path.join(folder, f"f{i}{os.path.splitext(sample)[1]}")
            shutil.copyfile(sample, copy)
            files.append(copy)

        def one_call():
            return run([rc, "show"] + files)

        def call_each():
            return sum(run([rc, "show", f]) for f in files)

        one_call(), call_each()  # warm the file cache
        pairs = [(one_call(), call_each()) for _ in range(args.runs)]

    together = statistics.median(a for a, _ in pairs)
    each = statistics.median(b for _, b in pairs)
    kinds = sorted({os.path.splitext(s)[1] for s in samples})
    print(f"{args.files} files ({', '.join(kinds)}), {args.runs} runs")
    print(f"one call:        {together * 1000:8.1f} ms ({together / args.files * 1e6:.0f} us a file)")
    print(f"one call each:   {each * 1000:8.1f} ms ({each / args.files * 1e6:.0f} us a file)")
    print(f"ratio:           {each / together:8.1f}x faster in one call")


if __name__ == "__main__":
    main()
