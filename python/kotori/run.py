"""Driving a whole input through the transcriber, in this process or in worker processes."""

from __future__ import annotations

import multiprocessing
from collections import deque
from concurrent.futures import ProcessPoolExecutor
from collections.abc import Callable, Iterable, Iterator

from .source import Line
from .transcribe import Settings, Transcriber, init_worker, run_batch

# Lines are sent to workers in batches, so that one message carries enough work to be worth it.
BATCH_LINES = 256
BATCH_CHARS = 1 << 14
# Batches in flight per worker: enough to keep every worker busy, few enough to bound memory.
BATCHES_AHEAD = 4


def batches(lines: Iterable[Line]) -> Iterator[list[Line]]:
    batch: list[Line] = []
    chars = 0
    for line in lines:
        batch.append(line)
        chars += len(line.text or "")
        if len(batch) >= BATCH_LINES or chars >= BATCH_CHARS:
            yield batch
            batch, chars = [], 0
    if batch:
        yield batch


Emit = Callable[[Line, str, str | None], None]


def _texts(batch: list[Line]) -> list[str | None]:
    return [line.text for line in batch]


def _emit_batch(batch: list[Line], results, emit: Emit) -> None:
    for line, (output, problem) in zip(batch, results):
        emit(line, output, problem)


def run(lines: Iterable[Line], settings: Settings, jobs: int, emit: Emit) -> None:
    """Transcribes every line and hands each result to `emit`, in input order.

    With `jobs` above 1 the batches go to that many worker processes, each of which builds its
    own predictor and translator once. The extension's objects hold the interpreter lock for a
    whole call, so threads would take turns; processes run side by side. Workers are spawned
    rather than forked, so they start clean and behave the same on every platform; a worker that
    dies raises BrokenProcessPool here instead of leaving its batch waiting forever.
    """
    if jobs <= 1:
        transcriber = Transcriber(settings)
        for batch in batches(lines):
            _emit_batch(batch, run_batch(_texts(batch), transcriber), emit)
        return
    pool = ProcessPoolExecutor(jobs, mp_context=multiprocessing.get_context("spawn"),
                               initializer=init_worker, initargs=(settings,))
    try:
        pending: deque = deque()
        for batch in batches(lines):
            pending.append((batch, pool.submit(run_batch, _texts(batch))))
            while len(pending) > jobs * BATCHES_AHEAD:
                done, future = pending.popleft()
                _emit_batch(done, future.result(), emit)
        while pending:
            done, future = pending.popleft()
            _emit_batch(done, future.result(), emit)
    finally:
        pool.shutdown(cancel_futures=True)
