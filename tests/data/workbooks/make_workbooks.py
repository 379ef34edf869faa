#!/usr/bin/python3
"""Makes the small workbooks that tests/excel_import reads, each with another program than ours.

Run with Debian's python3 (python3-openpyxl, python3-xlwt); the LibreOffice part also needs
libreoffice-calc-nogui and python3-uno:

    /usr/bin/python3 make_workbooks.py [--libreoffice] [OUTDIR]

The files it writes are committed; see README.md for what each holds.
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time

import openpyxl
import xlwt
from openpyxl.chart import BarChart, Reference

NUMBERS = [
    ("twelve digits", 447700900123),
    ("fifteen digits", 123456789012345),
    ("sixteen digits", 1234567890123456),
    ("half", 0.5),
    ("negative", -42),
    ("pi", 3.14159),
    ("tiny", 0.0000001),
    ("third", 1.0 / 3.0),
    ("leading zero text", "07700900123"),
    ("padded text", "  padded  "),
    ("unicode", "Gr\u00fc\u00dfe \u263a \U0001F600"),
    ("two lines", "line1\nline2"),
]


def fill_common(sheets):
    """sheets maps a name to a function cell(row, col, value) (1-based) for that sheet."""
    at_c3 = sheets["AtC3"]
    for r in range(3):
        for c in range(3):
            at_c3(3 + r, 3 + c, "r%dc%d" % (r + 1, c + 1))
    sheets["SingleB2"](2, 2, "+447700900123")
    sheets["SingleA1"](1, 1, "only")
    headers = sheets["Headers"]
    for c, text in enumerate(["Mobile", None, "Name", "City", "   ", "Note"], start=1):
        if text is not None:
            headers(1, c, text)
    headers(2, 1, "447700900001")
    headers(2, 2, "x")
    headers(2, 6, "last")
    numbers = sheets["Numbers"]
    for r, (label, value) in enumerate(NUMBERS, start=1):
        numbers(r, 1, label)
        numbers(r, 2, value)


def make_openpyxl(out):
    wb = openpyxl.Workbook()
    wb.remove(wb.active)
    order = ["AtC3", "SingleB2", "Empty", "Chart", "SingleA1", "Headers", "Numbers"]
    sheets = {}
    for name in order:
        if name == "Chart":
            continue
        ws = wb.create_sheet(name)
        sheets[name] = (lambda ws: lambda r, c, v: ws.cell(row=r, column=c, value=v))(ws)
    fill_common(sheets)
    numbers = wb["Numbers"]
    base = len(NUMBERS)
    numbers.cell(row=base + 1, column=1, value="true")
    numbers.cell(row=base + 1, column=2, value=True)
    numbers.cell(row=base + 2, column=1, value="false")
    numbers.cell(row=base + 2, column=2, value=False)
    numbers.cell(row=base + 3, column=1, value="date")
    numbers.cell(row=base + 3, column=2, value=datetime.date(2024, 3, 5)).number_format = "dd/mm/yyyy"
    numbers.cell(row=base + 4, column=1, value="date and time")
    numbers.cell(row=base + 4, column=2,
                 value=datetime.datetime(2024, 3, 5, 14, 30, 15)).number_format = "yyyy-mm-dd hh:mm:ss"
    numbers.cell(row=base + 5, column=1, value="time")
    numbers.cell(row=base + 5, column=2, value=datetime.time(9, 5, 0)).number_format = "hh:mm"
    numbers.cell(row=base + 6, column=1, value="percent")
    numbers.cell(row=base + 6, column=2, value=0.25).number_format = "0%"
    chart = BarChart()
    chart.add_data(Reference(wb["AtC3"], min_col=3, min_row=3, max_row=5))
    cs = wb.create_chartsheet("Chart", 3)
    cs.add_chart(chart)
    wb.save(os.path.join(out, "openpyxl_sheets.xlsx"))


def make_xlwt(out):
    wb = xlwt.Workbook()
    order = ["AtC3", "SingleB2", "Empty", "SingleA1", "Headers", "Numbers"]
    ws_by_name = {name: wb.add_sheet(name) for name in order}
    sheets = {name: (lambda ws: lambda r, c, v: ws.write(r - 1, c - 1, v))(ws) for name, ws in ws_by_name.items()}
    fill_common(sheets)
    numbers = ws_by_name["Numbers"]
    base = len(NUMBERS)
    numbers.write(base, 0, "true")
    numbers.write(base, 1, True)
    numbers.write(base + 1, 0, "false")
    numbers.write(base + 1, 1, False)
    numbers.write(base + 2, 0, "date")
    numbers.write(base + 2, 1, datetime.date(2024, 3, 5), xlwt.easyxf(num_format_str="DD/MM/YYYY"))
    numbers.write(base + 3, 0, "date and time")
    numbers.write(base + 3, 1, datetime.datetime(2024, 3, 5, 14, 30, 15),
                  xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM:SS"))
    numbers.write(base + 4, 0, "time")
    numbers.write(base + 4, 1, datetime.time(9, 5, 0), xlwt.easyxf(num_format_str="HH:MM"))
    numbers.write(base + 5, 0, "percent")
    numbers.write(base + 5, 1, 0.25, xlwt.easyxf(num_format_str="0%"))
    wb.save(os.path.join(out, "xlwt_sheets.xls"))


def make_formula_source(path):
    """Formulas without cached values; LibreOffice computes and stores them when it converts."""
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Formulas"
    rows = [
        ("number", 6, "=B1*2"),
        ("zero", 0, "=B1/B2"),
        ("not available", None, "=NA()"),
        ("text", None, '="abc"&B1'),
        ("boolean", None, "=B1>3"),
        ("value error", None, '="x"+1'),
        ("twelve digits", None, "=447700900000+123"),
        ("empty text", None, '=""'),
        ("long text", None, '=REPT("ab",150)'),
    ]
    for r, (label, value, formula) in enumerate(rows, start=1):
        ws.cell(row=r, column=1, value=label)
        if value is not None:
            ws.cell(row=r, column=2, value=value)
        ws.cell(row=r, column=3, value=formula)
    # A run of small integers that LibreOffice stores as one MULRK record in .xls.
    for c in range(1, 6):
        ws.cell(row=11, column=c, value=c * 10)
    wb.save(path)


LO_SCRIPT = r'''
import sys, time, uno
from com.sun.star.beans import PropertyValue, NamedValue

def prop(name, value):
    p = PropertyValue(); p.Name = name; p.Value = value; return p

local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
for attempt in range(100):
    try:
        ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % sys.argv[1])
        break
    except Exception:
        time.sleep(0.2)
desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
for job in sys.argv[2:]:
    source, target, filt, password = job.split("|")
    doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(source), "_blank", 0, (prop("Hidden", True),))
    doc.calculateAll()
    args = [prop("FilterName", filt), prop("Overwrite", True)]
    if password and target.endswith(".xlsx"):
        # Office Open XML encryption (ECMA-376 standard encryption) inside a compound file.
        data = []
        for name, value in (("OOXPassword", password), ("CryptoType", "Standard")):
            nv = NamedValue(); nv.Name = name; nv.Value = value; data.append(nv)
        args.append(prop("EncryptionData", uno.Any("[]com.sun.star.beans.NamedValue", tuple(data))))
    elif password:
        args.append(prop("Password", password))
    doc.storeToURL(uno.systemPathToFileUrl(target), tuple(args))
    doc.close(True)
try:
    desktop.terminate()
except Exception:
    pass
'''


def make_libreoffice(out):
    work = tempfile.mkdtemp()
    try:
        formulas = os.path.join(work, "formulas.xlsx")
        make_formula_source(formulas)
        plain = os.path.join(work, "plain.xlsx")
        wb = openpyxl.Workbook()
        wb.active.title = "Secret"
        wb.active["A1"] = "447700900123"
        wb.save(plain)
        sheets = os.path.join(out, "openpyxl_sheets.xlsx")
        jobs = [
            (formulas, "libreoffice_formulas.xlsx", "Calc MS Excel 2007 XML", ""),
            (formulas, "libreoffice_formulas.xls", "MS Excel 97", ""),
            (sheets, "libreoffice_sheets.xls", "MS Excel 97", ""),
            (plain, "libreoffice_password.xlsx", "Calc MS Excel 2007 XML", "secret"),
            (plain, "libreoffice_password.xls", "MS Excel 97", "secret"),
        ]
        pipe = "wbgen%d" % os.getpid()
        profile = "file://" + os.path.join(work, "profile")
        office = subprocess.Popen(["soffice", "--headless", "--norestore", "--nologo",
                                   "-env:UserInstallation=" + profile,
                                   "--accept=pipe,name=%s;urp;" % pipe])
        try:
            script = os.path.join(work, "lo.py")
            with open(script, "w") as f:
                f.write(LO_SCRIPT)
            subprocess.run(["/usr/bin/python3", script, pipe] +
                           ["%s|%s|%s|%s" % (src, os.path.join(out, dst), filt, pw) for src, dst, filt, pw in jobs],
                           check=True, timeout=300)
            office.wait(timeout=60)
        finally:
            if office.poll() is None:
                office.terminate()
                office.wait(timeout=30)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    out = args[0] if args else os.path.dirname(os.path.abspath(__file__))
    make_openpyxl(out)
    make_xlwt(out)
    if "--libreoffice" in sys.argv:
        make_libreoffice(out)


if __name__ == "__main__":
    main()
