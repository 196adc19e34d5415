#!/usr/bin/env bash
# Makes the .xlsx, .ods and .csv fixtures of the workbook reader tests in tests/data/workbooks/.
# Needs Debian's python3 with python3-openpyxl and gnumeric's ssconvert.
#   openpyxl_types.xlsx     written by openpyxl (see openpyxl_fixture.py)
#   gnumeric_types.xlsx     the same saved by ssconvert as Excel 2007+, formulas recalculated
#   gnumeric_types.ods      the same saved by ssconvert as OpenDocument, formulas recalculated
#   formulas.xlsx, .ods     ../xls/formulas.gnumeric saved by ssconvert, formulas recalculated
#   quotes.csv, bom_crlf.csv, semicolon.csv   written by Python's csv module (csv_fixtures.py)
set -euo pipefail
cd "$(dirname "$0")/workbooks"
/usr/bin/python3 openpyxl_fixture.py
/usr/bin/python3 csv_fixtures.py
ssconvert --recalc -T Gnumeric_Excel:xlsx2 openpyxl_types.xlsx gnumeric_types.xlsx
ssconvert --recalc -T Gnumeric_OpenCalc:odf openpyxl_types.xlsx gnumeric_types.ods
ssconvert --recalc -T Gnumeric_Excel:xlsx2 ../xls/formulas.gnumeric formulas.xlsx
ssconvert --recalc -T Gnumeric_OpenCalc:odf ../xls/formulas.gnumeric formulas.ods
