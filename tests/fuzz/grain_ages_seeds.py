#!/usr/bin/python3
"""Writes the seeds of fuzz_read_grain_ages into FOLDER: small synthetic workbooks of grain ages
in both layouts, as .csv and .xlsx, each behind the option byte the target reads first (bits 0-1
layout and uncertainties, 2 two sigma, 3 per cent, 4 required, 5 set aside, 6-7 profile kind).

  grain_ages_seeds.py FOLDER
"""
import io
import os
import random
import sys

import openpyxl

ROWS, COLUMNS, BESIDE, SHEET = 0, 1, 2, 3
PDP, KDE, ADAPTIVE, COMMON = 0, 64, 128, 192


def samples(rng, count, grains):
    """count samples of `grains` ages drawn around a few zircon-like populations, with 1s."""
    populations = [310.0, 560.0, 1050.0, 1850.0, 2700.0]
    drawn = []
    for s in range(count):
        ages = [round(rng.gauss(rng.choice(populations), 25.0), 1) for _ in range(grains - s)]
        drawn.append(("S%d" % (s + 1), ages, [round(0.02 * a + 5.0, 1) for a in ages]))
    return drawn


def rows_csv(drawn):
    lines = ["Sample,Age,1s"]
    for name, ages, sigmas in drawn:
        lines += ["%s,%s,%s" % (name, a, e) for a, e in zip(ages, sigmas)]
    return "\n".join(lines) + "\n"


def columns_csv(drawn, beside):
    heading = []
    for name, _, _ in drawn:
        heading += [name, name + " 1s"] if beside else [name]
    lines = [",".join(heading)]
    for r in range(max(len(ages) for _, ages, _ in drawn)):
        cells = []
        for _, ages, sigmas in drawn:
            pair = [str(ages[r]), str(sigmas[r])] if r < len(ages) else ["", ""]
            cells += pair if beside else pair[:1]
        lines.append(",".join(cells))
    return "\n".join(lines) + "\n"


def columns_xlsx(drawn):
    book = openpyxl.Workbook()
    ages_sheet = book.active
    ages_sheet.title = "Ages"
    errors_sheet = book.create_sheet("Errors")
    for col, (name, ages, sigmas) in enumerate(drawn, start=1):
        ages_sheet.cell(row=1, column=col, value=name)
        errors_sheet.cell(row=1, column=len(drawn) + 1 - col, value=name)
        for row, (age, sigma) in enumerate(zip(ages, sigmas), start=2):
            ages_sheet.cell(row=row, column=col, value=age)
            errors_sheet.cell(row=row, column=len(drawn) + 1 - col, value=sigma)
    out = io.BytesIO()
    book.save(out)
    return out.getvalue()


def main(folder):
    rng = random.Random(7)
    drawn = samples(rng, 3, 12)
    seeds = {
        "rows-pdp.csv": (ROWS | 16 | PDP, rows_csv(drawn)),
        "rows-2s-kde.csv": (ROWS | 4 | KDE, rows_csv(drawn)),
        "rows-aside-adaptive.csv": (ROWS | 32 | ADAPTIVE, rows_csv(drawn)),
        "columns-common.csv": (COLUMNS | COMMON, columns_csv(drawn, False)),
        "columns-beside-pdp.csv": (BESIDE | 16 | PDP, columns_csv(drawn, True)),
        "columns-beside-percent.csv": (BESIDE | 8 | KDE, columns_csv(drawn, True)),
        "columns-sheet-pdp.xlsx": (SHEET | 16 | PDP, columns_xlsx(drawn)),
        "columns-kde.xlsx": (COLUMNS | 32 | KDE, columns_xlsx(drawn)),
    }
    os.makedirs(folder, exist_ok=True)
    for name, (options, content) in seeds.items():
        data = content.encode() if isinstance(content, str) else content
        with open(os.path.join(folder, name), "wb") as out:
            out.write(bytes([options]) + data)


if __name__ == "__main__":
    main(sys.argv[1])
