"""The `kotori` command around the `kotori_py` extension module: katakana readings and braille
(Unicode or braille ASCII) for whole Japanese and English text files."""

__version__ = "0.1.0"
