#!/usr/bin/python3
"""Writes the grain-ages workbook given as argv[1] with openpyxl, then reads it back with
openpyxl and prints what each layout holds, as the oracle of the grain-ages reader:
  C <sample> <empty cells> <age>:<error> ...   from sheet Ages, errors matched by heading
  R <sample> <age>:<error> ...                  from sheet Grains, samples in first-seen order
Values are printed with repr, so that they compare bit for bit."""
import random
import sys

import openpyxl

rng = random.Random(7)
ages = {
    "N1": [rng.uniform(50, 3000) for _ in range(6)],
    "N2": [rng.uniform(50, 3000) for _ in range(3)],
    "N3": [rng.uniform(50, 3000) for _ in range(8)] + [-12.5],
}
ages["N1"][2] = None  # an empty cell inside a column
errors = {name: [None if a is None else round(rng.uniform(0.5, 40), 3) for a in values]
          for name, values in ages.items()}

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Ages"
for col, name in enumerate(ages, 1):
    sheet.cell(1, col, name)
    for row, age in enumerate(ages[name], 2):
        sheet.cell(row, col, age)
sheet["C4"] = "  %r" % ages["N3"][2]  # a number stored as text
sheet["A20"] = None

errors_sheet = book.create_sheet("Errors")  # the same headings, in another order
for col, name in enumerate(["N3", "N1", "N2"], 1):
    errors_sheet.cell(1, col, name)
    for row, err in enumerate(errors[name], 2):
        errors_sheet.cell(row, col, err)

grains = book.create_sheet("Grains")  # one row per grain, samples interleaved
grains.append(["err", "AGE", "  sample ", "comment"])
queues = {name: [(a, e) for a, e in zip(ages[name], errors[name]) if a is not None]
          for name in ["N2", "N1", "N3"]}
while any(queues.values()):
    for name, queue in queues.items():
        if queue:
            age, err = queue.pop(0)
            grains.append([err, age, name, "zircon"])
    grains.append([])  # empty rows between the rounds
odd = book.create_sheet("Odd")  # ages that are no numbers, for the refusals
odd.append(["B1", "E1", "T1"])
odd.append([1, 1, 2])
odd.append([True, "#N/A", "n/a"])
odd["B3"].data_type = "e"
odd.append([3, 3, 3])
short = book.create_sheet("ErrorsShort")  # no N3; N1 lacks an error; N2 has 0 and "n/a"
short.append(["N2", "N1"])
for row in range(2, 8):
    short.cell(row, 1, errors["N2"][row - 2] if row - 2 < len(errors["N2"]) else None)
    short.cell(row, 2, errors["N1"][row - 2])
short["B5"], short["A2"], short["A3"] = None, 0, "n/a"
book.save(sys.argv[1])

back = openpyxl.load_workbook(sys.argv[1])
ages_back, errors_back = back["Ages"], back["Errors"]
error_col = {c.value: c.column for c in errors_back[1] if c.value is not None}
for head in ages_back[1]:
    if head.value is None:
        continue
    column = [ages_back.cell(r, head.column).value for r in range(2, ages_back.max_row + 1)]
    while column and column[-1] is None:
        column.pop()
    pairs = ["%r:%r" % (float(v), float(errors_back.cell(r, error_col[head.value]).value))
             for r, v in enumerate(column, 2) if v is not None]
    print("C", head.value, column.count(None), " ".join(pairs))
samples = {}
for err, age, name, _ in back["Grains"].iter_rows(min_row=2, values_only=True):
    if name is not None:
        samples.setdefault(name.strip(), []).append("%r:%r" % (float(age), float(err)))
for name, pairs in samples.items():
    print("R", name, " ".join(pairs))
