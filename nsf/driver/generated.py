"""Writes a table the driver includes, or with --check says whether the
checked-in one is still what its tool makes."""
import sys

CPU_PAL = 1662607  # the console's CPU clock, Hz


def write_or_check(path, text, maker):
    if "--check" in sys.argv:
        with open(path) as existing:
            if existing.read() != text:
                sys.exit(f"{path} differs from what {maker} makes")
        return
    with open(path, "w") as out:
        out.write(text)
