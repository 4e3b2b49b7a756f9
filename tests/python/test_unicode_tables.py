"""The committed Unicode tables are exactly what their generator writes."""
import pathlib
import subprocess
import sys

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


def test_generated_tables_are_up_to_date():
    ud = pytest.importorskip("unicodedata2")
    if ud.unidata_version != "15.1.0":
        pytest.skip(f"unicodedata2 has Unicode {ud.unidata_version}, the tables need 15.1.0")
    generator = ROOT / "tools" / "gen_unicode_tables.py"
    result = subprocess.run([sys.executable, str(generator), "--check"], capture_output=True,
                            text=True)
    assert result.returncode == 0, result.stderr
