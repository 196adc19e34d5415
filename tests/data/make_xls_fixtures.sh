#!/usr/bin/env bash
# Makes the .xls fixtures of the workbook reader tests in tests/data/xls/ from the sources kept
# there. Needs Debian's python3 with python3-xlwt and gnumeric's ssconvert.
#   xlwt_types.xls          Excel 97 written by xlwt (see xlwt_fixture.py)
#   formulas_biff8.xls      formulas.gnumeric saved by ssconvert as Excel 97, recalculated
#   formulas_biff7.xls      the same saved as Excel 5/95
#   formulas_dual.xls       the same saved as one file holding both Excel 97 and Excel 5 streams
#   formulas.xlsx, formulas.ods  the same as Excel 2007+ and OpenDocument (the reader refuses them)
set -euo pipefail
cd "$(dirname "$0")/xls"
/usr/bin/python3 xlwt_fixture.py
ssconvert --recalc -T Gnumeric_Excel:excel_biff8 formulas.gnumeric formulas_biff8.xls
ssconvert --recalc -T Gnumeric_Excel:excel_biff7 formulas.gnumeric formulas_biff7.xls
ssconvert --recalc -T Gnumeric_Excel:excel_dsf formulas.gnumeric formulas_dual.xls
# Files that are not .xls workbooks, for the reader's refusals.
ssconvert -T Gnumeric_Excel:xlsx2 formulas.gnumeric formulas.xlsx
ssconvert -T Gnumeric_OpenCalc:odf formulas.gnumeric formulas.ods
