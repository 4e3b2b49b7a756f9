"""Where the transcription goes: standard output, or a file that appears only when complete."""

from __future__ import annotations

import os
import sys
from typing import BinaryIO


class Output:
    """UTF-8 output. A regular file is written under a temporary name beside it and renamed when
    the run finishes, so an interrupted run never leaves half a file, and the output may even
    replace one of the inputs. Anything else (standard output, a pipe, a device) is written as is.
    """

    def __init__(self, path: str | None):
        self._path = path
        self._temporary: str | None = None
        self._stream: BinaryIO
        if path is None:
            self._stream = sys.stdout.buffer
        elif os.path.exists(path) and not os.path.isfile(path):
            self._stream = open(path, "wb")
        else:
            # Through a symbolic link to the file it names, so the link itself stays.
            self._path = os.path.realpath(path)
            directory, name = os.path.split(self._path)
            self._temporary = os.path.join(directory, f".{name}.{os.getpid()}.part")
            fd = os.open(self._temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o666)
            self._stream = os.fdopen(fd, "wb")

    def write(self, text: str) -> None:
        self._stream.write(text.encode("utf-8"))

    def finish(self) -> None:
        """Flushes and, for a file, puts it in place."""
        if self._path is None:
            self._stream.flush()
            return
        self._stream.close()
        if self._temporary is not None:
            os.replace(self._temporary, self._path)
            self._temporary = None

    def discard(self) -> None:
        """Drops a file's partial output (standard output keeps what was written)."""
        if self._temporary is None:
            return
        try:
            self._stream.close()
        finally:
            try:
                os.unlink(self._temporary)
            except OSError:
                pass
            self._temporary = None
