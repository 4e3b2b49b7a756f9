"""Tools that build kotori_py model files (.kbm): the one writer of the format and, beside it,
the training pipeline."""
