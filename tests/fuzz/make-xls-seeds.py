#!/usr/bin/python3
# Writes the small .xls seed workbooks of the spreadsheet fuzz target
# (python3-xlwt): one worksheet per family table, numbers, text, dates and
# empty cells.
import datetime
import os
import sys

import xlwt

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "spreadsheet")
os.makedirs(out, exist_ok=True)


def book(name, sheets):
    wb = xlwt.Workbook()
    for title, rows in sheets:
        ws = wb.add_sheet(title)
        for r, row in enumerate(rows):
            for c, v in enumerate(row):
                if v is None:
                    continue
                if isinstance(v, datetime.date):
                    ws.write(r, c, v, xlwt.easyxf(num_format_str="YYYY-MM-DD"))
                else:
                    ws.write(r, c, v)
    wb.save(os.path.join(out, name))


book("sdo.xls", [("sdo", [["conf", "IndexA", "SubindexA", "devIDB", "IndexB", "SubindexB", "nbyteB", "mnemonico"],
                          [17, "0x2000", 1, 3, 24576, 2, 4, "x"], [0, 8192, 0, 1, 1, 0, 2, None]])])
book("mixed.xls", [("Sheet1", [["a", "b"], [1.5, -3], [datetime.date(2024, 1, 31), "t\u00e9xt"]]),
                   ("rpdodef", [["cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"], [385, 1, 3, 0, 1]])])
book("empty.xls", [("emcydef", [])])
