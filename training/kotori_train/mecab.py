"""Running MeCab with UniDic over many texts through one pipe."""
from __future__ import annotations

import subprocess
from typing import Iterable, Iterator


def parse_many(texts: Iterable[str], batch: int = 2000) -> Iterator[tuple[str, str]]:
    """(text, MeCab output up to its EOS) for each one-line text, in order."""
    texts = [t.replace("\n", " ") for t in texts]
    for k in range(0, len(texts), batch):
        chunk = texts[k:k + batch]
        p = subprocess.run(["mecab"], input="".join(t + "\n" for t in chunk).encode("utf-8"),
                           capture_output=True, check=True)
        blocks = p.stdout.decode("utf-8", errors="replace").split("EOS\n")
        for t, b in zip(chunk, blocks):
            yield t, b
