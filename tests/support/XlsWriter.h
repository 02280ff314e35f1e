#pragma once
// Builds real .xls workbooks at test time with an independent writer
// (python3-xlwt), so the import is tested against files it did not write.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace xls {

struct Blank {};
// A blank, a number or a text. A plain struct rather than std::variant: GCC 12
// reports its copies in initializer lists as maybe uninitialized.
struct Cell {
    enum class Kind { Blank, Number, Text };
    Kind kind = Kind::Blank;
    double number = 0;
    std::string text;

    Cell() = default;
    Cell(Blank) {}
    Cell(double d) : kind(Kind::Number), number(d) {}
    Cell(const char* s) : kind(Kind::Text), text(s) {}
    Cell(std::string s) : kind(Kind::Text), text(std::move(s)) {}
};
using Row = std::vector<Cell>;

struct Sheet {
    std::string name;
    std::vector<Row> rows; // rows[0] is the title row when the sheet has titles
};

inline std::string JsonText(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

inline std::string Python() {
    // The Debian interpreter carries python3-xlwt; a python3 earlier on PATH may not.
    return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

// Writes `sheets` into the workbook `path`; throws when the writer fails.
inline void WriteWorkbook(const std::string& path, const std::vector<Sheet>& sheets) {
    std::string json = "[";
    for (size_t s = 0; s < sheets.size(); ++s) {
        if (s) json += ',';
        json += '[';
        json += JsonText(sheets[s].name);
        json += ",[";
        for (size_t r = 0; r < sheets[s].rows.size(); ++r) {
            json += r ? ",[" : "[";
            const Row& row = sheets[s].rows[r];
            for (size_t c = 0; c < row.size(); ++c) {
                if (c) json += ",";
                if (row[c].kind == Cell::Kind::Blank) {
                    json += "null";
                } else if (row[c].kind == Cell::Kind::Number) {
                    char buf[64];
                    std::snprintf(buf, sizeof buf, "%.17g", row[c].number);
                    json += buf;
                } else {
                    json += JsonText(row[c].text);
                }
            }
            json += "]";
        }
        json += "]]";
    }
    json += "]";
    const std::string data = path + ".json", script = path + ".py";
    std::ofstream(data, std::ios::binary) << json;
    std::ofstream(script) << "import json, sys, xlwt\n"
                             "sheets = json.load(open(sys.argv[1], encoding='utf-8'))\n"
                             "wb = xlwt.Workbook()\n"
                             "for name, rows in sheets:\n"
                             "    ws = wb.add_sheet(name)\n"
                             "    for r, row in enumerate(rows):\n"
                             "        for c, v in enumerate(row):\n"
                             "            if v is not None:\n"
                             "                ws.write(r, c, v)\n"
                             "wb.save(sys.argv[2])\n";
    const std::string cmd = Python() + " '" + script + "' '" + data + "' '" + path + "'";
    int rc = std::system(cmd.c_str());
    std::remove(data.c_str());
    std::remove(script.c_str());
    if (rc != 0) throw std::runtime_error("xlwt could not write " + path);
}

} // namespace xls
