"""The one table the benchmark scripts print: groups of rows under a title,
each row a name, a figure, its unit and a note. A group is plain data, so a
script that measures on its own (start-up, say) hands its group over as JSON.

    table = Table()
    table.add("title", [row("name", 1.5, "ms", "note", digits=1), ...])
    table.print()

A script that measures on its own ends with emit(group(...), as_json).
"""
import json
import sys


def row(name, figure, unit="", note="", digits=3):
    return {"name": name, "figure": figure, "unit": unit, "note": note, "digits": digits}


def group(title, rows):
    return {"title": title, "rows": list(rows)}


class Table:
    def __init__(self):
        self.groups = []

    def add(self, title, rows):
        self.groups.append(group(title, rows))

    def print(self, out=sys.stdout):
        names = [len(r["name"]) for g in self.groups for r in g["rows"]]
        w = max([34] + names) + 2
        line = "-" * (w + 40)
        print(line, file=out)
        print(f"{'benchmark':{w}}{'figure':>14}  {'unit':6}  note", file=out)
        print(line, file=out)
        for g in self.groups:
            print(g["title"], file=out)
            for r in g["rows"]:
                figure = f"{r['figure']:14.{r['digits']}f}"
                print(f"{'  ' + r['name']:{w}}{figure}  {r['unit']:6}  {r['note']}".rstrip(), file=out)
        print(line, file=out)


def emit(measured, as_json):
    """One group: as JSON for scripts/bench's table, or as a table of its own."""
    if as_json:
        print(json.dumps(measured))
        return
    table = Table()
    table.add(**measured)
    table.print()
