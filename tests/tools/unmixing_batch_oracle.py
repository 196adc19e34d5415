#!/usr/bin/python3
"""Checks kestrel-batch's --unmix-out .csv and --nmf-out .xlsx against the workbook's ages, for
tests/tools/batch_unmixing_test.cpp.

  unmixing_batch_oracle.py WORKBOOK.xls SINK SOURCES FITS.csv END_MEMBERS.xlsx

Reads the ages of sheet "Ages" (a heading row of names, ages below) with xlrd, and prints:
  d_gap v_gap recomputed_gap
      |D in the file - the least D by scipy.optimize.linprog|, the same for V, and |D in the
      file - D of the file's D proportions computed here|;
  sheets NAME|NAME|...
  sums weights_gap end_member_gap
      the largest |sum - 1| of a sample's weights and of an end-member's column;
  rows end_member_rows weight_rows residual_rows
"""
import csv
import sys

import numpy as np
import openpyxl
import xlrd
from scipy import optimize


def read_ages(path):
    sheet = xlrd.open_workbook(path).sheet_by_name("Ages")
    ages = {}
    for c in range(sheet.ncols):
        column = sheet.col_values(c)
        ages[column[0]] = np.array([v for v in column[1:] if v != ""], dtype=float)
    return ages


def cdf_rows(samples):
    pooled = np.unique(np.concatenate(samples))
    return np.vstack([np.column_stack([np.searchsorted(np.sort(s), pooled, side=side) / len(s)
                                       for s in samples]) for side in ("right", "left")])


def least(rows, kuiper):
    sink, sources = rows[:, 0], rows[:, 1:]
    m, n, gaps = sources.shape[1], len(sink), 2 if kuiper else 1
    above = np.hstack([-sources, -np.ones((n, 1)), np.zeros((n, gaps - 1))])
    below = np.hstack([sources, np.zeros((n, gaps - 1)), -np.ones((n, 1))])
    return optimize.linprog(np.r_[np.zeros(m), np.ones(gaps)], A_ub=np.vstack([above, below]),
                            b_ub=np.r_[-sink, sink], A_eq=np.r_[np.ones(m), np.zeros(gaps)][None],
                            b_eq=[1.0], bounds=[(0, None)] * (m + gaps), method="highs").fun


def main(book, sink, sources, fits_path, nmf_path):
    ages = read_ages(book)
    names = sources.split(",")
    rows = cdf_rows([ages[sink]] + [ages[n] for n in names])
    table = list(csv.reader(open(fits_path)))
    value = {r[0]: float(r[2]) for r in table[1:] if r[1] == "value"}
    shares = np.array([float(r[2]) for r in table[1:] if r[0] == "D" and r[1] != "value"])
    recomputed = np.abs(rows[:, 0] - rows[:, 1:] @ shares).max()
    print(abs(value["D"] - least(rows, False)), abs(value["V"] - least(rows, True)),
          abs(value["D"] - recomputed))
    book = openpyxl.load_workbook(nmf_path)
    print("sheets " + "|".join(n.replace(" ", "_") for n in book.sheetnames))
    members = np.array([r[1:] for r in book["End-members"].iter_rows(min_row=2, values_only=True)])
    weights = np.array([r[1:-1] for r in book["Weights"].iter_rows(min_row=2, values_only=True)])
    print("sums", np.abs(weights.sum(axis=1) - 1).max(), np.abs(members.sum(axis=0) - 1).max())
    print("rows", book["End-members"].max_row, book["Weights"].max_row,
          book["Residual by k"].max_row)


if __name__ == "__main__":
    main(*sys.argv[1:6])
