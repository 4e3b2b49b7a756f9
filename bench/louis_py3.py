"""Run by Debian's python3: times python3-louis on a file of lines and prints one JSON object.

    /usr/bin/python3 louis_py3.py LINES TABLE REPEAT [DUMP]
"""
import json
import sys
import time

import louis


def main() -> None:
    path, table, repeat = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")[:-1]
    mode = louis.ucBrl | louis.dotsIO
    tables = [table]
    c0, w0 = time.process_time(), time.perf_counter()
    louis.translateString(tables, "a", mode=mode)  # compiles the table
    load_cpu, load_wall = time.process_time() - c0, time.perf_counter() - w0
    cpu, wall = [], []
    for _ in range(max(1, repeat)):
        c0, w0 = time.process_time(), time.perf_counter()
        for line in lines:
            louis.translateString(tables, line, mode=mode)
        cpu.append(time.process_time() - c0)
        wall.append(time.perf_counter() - w0)
    if len(sys.argv) > 4:
        with open(sys.argv[4], "w", encoding="utf-8") as f:
            for line in lines:
                f.write(louis.translateString(tables, line, mode=mode) + "\n")
    print(json.dumps({"cpu_s": min(cpu), "wall_s": min(wall), "passes": len(cpu),
                      "lines": len(lines), "load_cpu_s": load_cpu, "load_wall_s": load_wall,
                      "version": louis.version()}))


if __name__ == "__main__":
    main()
