"""Tools that build kotori_py model files (.kbm): the one writer of the format and, beside it,
the training pipeline."""

from pathlib import Path

#: The shared folder beside the project folder: development data and the reading scorer.
SHARED_DIR = Path(__file__).resolve().parents[3] / "shared"
