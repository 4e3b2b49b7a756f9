"""The peers users would pick instead: MeCab with UniDic for readings, liblouis for English braille.

Each peer is found on the system, never installed from here; `missing` texts say what to install.
"""
from __future__ import annotations

import ctypes
import ctypes.util
import json
import os
import shutil
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

UNIDIC_DIRS = [
    Path("/var/lib/mecab/dic/unidic"),
    Path("/usr/lib/x86_64-linux-gnu/mecab/dic/unidic"),
    Path("/usr/share/mecab/dic/unidic"),
]
MECAB_NEEDS = "Debian packages mecab and unidic-mecab"
LOUIS_NEEDS = "Debian package liblouis20 (and liblouis-data for en-ueb-g2.ctb)"
PY3_LOUIS_NEEDS = "Debian packages python3 and python3-louis"
UEB_TABLE = "en-ueb-g2.ctb"
# liblouis translation modes: Unicode braille patterns out.
DOTS_IO = 4
UC_BRL = 64


@dataclass
class ChildRun:
    """A finished child process: wall time and its own CPU time and peak RSS (from wait4)."""

    wall_s: float
    cpu_s: float
    maxrss_kb: int
    returncode: int
    stdout: str
    stderr: str


def run_measured(args: list[str], env: dict | None = None, stdout_path: Path | None = None,
                 timeout: float = 3600.0) -> ChildRun:
    """Runs `args` and returns its own resource use, read with wait4 so that no other child of
    this process mixes into the figures. Output goes to files, never to a pipe that could fill
    up while nobody reads it."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        target = open(stdout_path, "wb") if stdout_path else out
        begin = time.perf_counter()
        proc = subprocess.Popen(args, stdout=target, stderr=err, env=env)
        while True:
            pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
            if pid:
                break
            if time.perf_counter() - begin > timeout:
                proc.kill()
            time.sleep(0.002)
        wall = time.perf_counter() - begin
        proc.returncode = os.waitstatus_to_exitcode(status)
        if stdout_path:
            target.close()
        out.seek(0)
        err.seek(0)
        return ChildRun(wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss, proc.returncode,
                        out.read().decode("utf-8", "replace"),
                        err.read().decode("utf-8", "replace"))


# --- MeCab + UniDic ------------------------------------------------------------------------


def find_mecab() -> tuple[str, Path] | str:
    """(mecab executable, UniDic directory), or the reason they are missing."""
    exe = shutil.which("mecab")
    dic = next((d for d in UNIDIC_DIRS if (d / "sys.dic").is_file()), None)
    if exe is None or dic is None:
        return f"needs {MECAB_NEEDS} (not found: {'mecab' if exe is None else 'UniDic'})"
    return exe, dic


def mecab_reading(exe: str, dic: Path, corpus_file: Path, out_file: Path) -> ChildRun:
    """The whole corpus through one MeCab process, writing only UniDic's pronunciation field
    (feature 9, the reading as pronounced: は as ワ) and the surface of unknown words, a line
    per input line: the same job as a reading, without word spacing."""
    return run_measured([exe, "-d", str(dic), "-b", str(1 << 20), "-O", "", "--node-format=%f[9]",
                         "--unk-format=%m", "--eos-format=\\n", "-o", str(out_file),
                         str(corpus_file)])


# --- liblouis through ctypes ---------------------------------------------------------------


class Louis:
    """liblouis called from this interpreter; the tables compile on the first translation."""

    def __init__(self, table: str = UEB_TABLE):
        name = ctypes.util.find_library("louis") or "liblouis.so.20"
        self.lib = ctypes.CDLL(name)
        self.lib.lou_version.restype = ctypes.c_char_p
        self.version = self.lib.lou_version().decode()
        if self.lib.lou_charSize() != ctypes.sizeof(ctypes.c_wchar):
            raise OSError(f"liblouis widechar is {self.lib.lou_charSize()} bytes, "
                          f"this interpreter's wchar_t {ctypes.sizeof(ctypes.c_wchar)}")
        self.lib.lou_translateString.argtypes = [
            ctypes.c_char_p, ctypes.c_wchar_p, ctypes.POINTER(ctypes.c_int), ctypes.c_wchar_p,
            ctypes.POINTER(ctypes.c_int), ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int]
        self.table = table.encode()
        self.capacity = 4096
        self.out = ctypes.create_unicode_buffer(self.capacity)

    def translate(self, line: str) -> str:
        while True:
            inlen = ctypes.c_int(len(line))
            outlen = ctypes.c_int(self.capacity)
            ok = self.lib.lou_translateString(self.table, line, ctypes.byref(inlen), self.out,
                                              ctypes.byref(outlen), None, None, UC_BRL | DOTS_IO)
            if not ok:
                raise RuntimeError(f"liblouis could not translate with {self.table.decode()}")
            if outlen.value < self.capacity and inlen.value == len(line):
                return self.out[:outlen.value]
            self.capacity *= 4
            self.out = ctypes.create_unicode_buffer(self.capacity)


def load_louis() -> Louis | str:
    try:
        louis = Louis()
        louis.translate("a")
        return louis
    except (OSError, RuntimeError) as e:
        return f"needs {LOUIS_NEEDS} ({e})"


def python3_louis(script: Path, lines_file: Path, repeat: int,
                  python: str = "/usr/bin/python3") -> dict | str:
    """Debian's python3 with python3-louis timing itself on the same lines (the binding most
    users of liblouis call); its figures come back as JSON."""
    if not Path(python).is_file():
        return f"needs {PY3_LOUIS_NEEDS} ({python} not found)"
    run = run_measured([python, str(script), str(lines_file), UEB_TABLE, str(repeat)])
    if run.returncode != 0:
        return f"needs {PY3_LOUIS_NEEDS} ({run.stderr.strip().splitlines()[-1:]})"
    return json.loads(run.stdout)
