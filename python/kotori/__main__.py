"""`python -m kotori`: the same command as `kotori`."""

import sys

from kotori.cli import main

# The guard matters: worker processes are spawned and import this module under another name.
if __name__ == "__main__":
    sys.exit(main())
