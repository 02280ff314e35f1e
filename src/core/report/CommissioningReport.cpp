#include "core/report/CommissioningReport.h"

#include "core/device/Crc32.h"
#include "core/editors/AccessMap.h"
#include "core/editors/ByteMap.h"
#include "core/editors/CommParams.h"
#include "core/model/Check.h"
#include "core/model/Project.h"
#include "core/project/FileSystem.h"
#include "core/project/Text.h"

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

namespace {
// Every text of the report is valid UTF-8 under its charset=utf-8.
std::string Esc(const std::string& s) {
    return HtmlText(s);
}

std::string Item(const std::vector<std::string>& items, int i) {
    return i >= 0 && size_t(i) < items.size() ? items[size_t(i)] : "code " + std::to_string(i);
}

const char* const kStyle = R"(
body { font-family: sans-serif; font-size: 10pt; color: #000; margin: 0 auto; max-width: 190mm; }
h1 { font-size: 16pt; margin: 0 0 2mm; } h2 { font-size: 12pt; margin: 6mm 0 2mm; border-bottom: 1px solid #444; }
table { border-collapse: collapse; width: 100%; margin-bottom: 3mm; }
th, td { border: 1px solid #888; padding: 1px 4px; text-align: left; vertical-align: top; }
th { background: #e4e4e4; } thead { display: table-header-group; } tr { page-break-inside: avoid; }
td.num { text-align: right; } .error { color: #a00000; } .warning { color: #8a5a00; }
svg { width: 100%; height: auto; page-break-inside: avoid; }
.free { fill: #ffffff; } .used { fill: #9ec5e8; } .overlap { fill: #e06666; } .past { fill: #f6b26b; }
@page { margin: 12mm; }
)";

void Params(std::string& h, const ParamsPart& part) {
    const CommParams p = CommParamsOf(part);
    std::string note;
    if (!part.report.present()) note = "No pargen.xml: the defaults below apply.";
    if (part.report.state == LoadState::Unreadable || part.report.state == LoadState::Partial)
        note = "pargen.xml could not be read: " + part.report.reason;
    static const char* protocols[] = {"Modbus RTU", "Modbus ASCII", "JBUS", "Binary", "ASCII"};
    const std::string protocol = p.SerProt >= 0 && p.SerProt < 5
                                     ? protocols[p.SerProt]
                                     : "code " + std::to_string(p.SerProt);
    const struct {
        const char *name, *meaning;
        std::string value;
        const char* unit;
    } rows[] = {
        {"Line", "serial line type", p.SerType == 0 ? "RS232" : "RS485", ""},
        {"Baudrate", "serial bit rate", Item(SerBaudItems, p.SerBaud), "bit/s"},
        {"Parity", "serial parity", Item(SerParItems, p.SerPar), ""},
        {"TimeOut", "time the gateway waits for a Modbus answer", p.SerTO, "ms"},
        {"Cyclic Delay", "pause between two serial requests", p.SerCD, "ms"},
        {"Protocol", "serial protocol of the Modbus master", protocol, ""},
        {"Write", "when the write table is sent",
         p.SerWriteMode == 1 ? "Cyclic Write" : "Write on Change Data", ""},
        {"ID Dev.", "DeviceNet node address", p.DnId, ""},
        {"Baud rate", "DeviceNet bit rate", Item(DnBaudItems, p.DnBaud), "bit/s"},
        {"N Byte IN", "DeviceNet input data size (read table area)", p.DnNbIn, "bytes"},
        {"N Byte OUT", "DeviceNet output data size (write table area)", p.DnNbOut, "bytes"},
        {"Enable check Modbus Error", "cancel data after Modbus errors",
         p.DnEnableError ? "yes" : "no", ""},
        {"Number Continuos Error", "consecutive errors before the data are cancelled",
         p.DnNumContErr, "errors"},
        {"Value to set to data bytes", "value written over cancelled data", p.DnValCancData, ""},
    };
    h += "<h2 id=\"parameters\">Communication parameters</h2>\n";
    if (!note.empty()) h += "<p>" + Esc(note) + "</p>\n";
    h += "<table><thead><tr><th>Parameter</th><th>Meaning</th><th>Value</th><th>Unit</th></tr>"
         "</thead><tbody>\n";
    for (const auto& r : rows)
        h += std::string("<tr><td>") + r.name + "</td><td>" + r.meaning + "</td><td>" +
             Esc(r.value) + "</td><td>" + r.unit + "</td></tr>\n";
    h += "</tbody></table>\n";
}

void Table(std::string& h, const char* id, const char* title, const std::vector<AccessRow>& rows) {
    h += std::string("<h3 id=\"") + id + "\">" + title + "</h3>\n";
    const size_t run = RunLength(rows);
    if (run == 0) {
        h += "<p>No rows.</p>\n";
        return;
    }
    h += "<table><thead><tr><th>N°</th><th>Slave ID</th><th>Type</th><th>Address Register</th>"
         "<th>NPoint</th><th>SWAP</th><th>Address DeviceNet</th><th>Mnemonic</th></tr></thead>"
         "<tbody>\n";
    for (size_t i = 0; i < run; ++i) {
        const AccessRow& r = rows[i];
        h += "<tr><td class=\"num\">" + std::to_string(i + 1) + "</td><td class=\"num\">" +
             Esc(r.SlaveId) + "</td><td>" + Esc(r.Type) + "</td><td class=\"num\">" +
             Esc(r.AddressMod) + "</td><td class=\"num\">" + Esc(r.NPoint) + "</td><td>" +
             Esc(r.Swap) + "</td><td class=\"num\">" + Esc(r.AddressDeviceNet) + "</td><td>" +
             Esc(r.Mnemonic) + "</td></tr>\n";
    }
    h += "</tbody></table>\n";
}

// "free", "used", "overlap" (two or more rows) or "past" (beyond the area).
const char* CellClass(const ByteMap& m, size_t b) {
    const size_t n = b < m.users.size() ? m.users[b].size() : 0;
    if (m.pastEnd(b)) return "past";
    return n == 0 ? "free" : n == 1 ? "used" : "overlap";
}

std::string Users(const ByteMap& m, size_t b) {
    std::string out;
    if (b < m.users.size())
        for (int r : m.users[b])
            out += (out.empty() ? "row " : ", row ") + std::to_string(r);
    return out.empty() ? "free" : out;
}

constexpr size_t kPerLine = 32;

void Strip(std::string& h, const ByteMap& m, const char* title, ByteMapDrawing drawing) {
    const size_t bytes = std::max(m.users.size(), size_t(m.areaBytes));
    h += std::string("<h3>") + title + " (" + std::to_string(m.areaBytes) + " bytes)</h3>\n";
    if (bytes == 0) {
        h += "<p>No bytes.</p>\n";
        return;
    }
    const size_t lines = (bytes + kPerLine - 1) / kPerLine;
    if (drawing == ByteMapDrawing::Table) {
        static const std::pair<const char*, const char*> colour[] = {
            {"free", "#ffffff"}, {"used", "#9ec5e8"}, {"overlap", "#e06666"}, {"past", "#f6b26b"}};
        h += "<table cellspacing=\"0\" cellpadding=\"1\" style=\"width:auto\">\n";
        for (size_t l = 0; l < lines; ++l) {
            h += "<tr><td>" + std::to_string(l * kPerLine) + "</td>";
            for (size_t b = l * kPerLine; b < std::min(bytes, (l + 1) * kPerLine); ++b) {
                const char* c = CellClass(m, b);
                for (const auto& [name, rgb] : colour)
                    if (std::string(name) == c)
                        h += std::string("<td bgcolor=\"") + rgb + "\" title=\"Byte " +
                             std::to_string(b) + ": " + Users(m, b) + "\">&nbsp;&nbsp;</td>";
            }
            h += "</tr>\n";
        }
        h += "</table>\n";
        return;
    }
    const int cell = 20, left = 36;
    const int width = left + int(kPerLine) * cell + 2, height = int(lines) * cell + 2;
    h += "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"bytemap\" data-table=\"" +
         std::string(AccessTableName(m.table)) + "\" viewBox=\"0 0 " + std::to_string(width) + " " +
         std::to_string(height) + "\" font-size=\"9\" font-family=\"sans-serif\">\n";
    for (size_t l = 0; l < lines; ++l)
        h += "<text x=\"" + std::to_string(left - 4) + "\" y=\"" +
             std::to_string(int(l) * cell + 14) + "\" text-anchor=\"end\">" +
             std::to_string(l * kPerLine) + "</text>\n";
    for (size_t b = 0; b < bytes; ++b) {
        const int x = left + int(b % kPerLine) * cell, y = int(b / kPerLine) * cell + 1;
        h += "<rect class=\"byte " + std::string(CellClass(m, b)) + "\" data-byte=\"" +
             std::to_string(b) + "\" x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
             "\" width=\"" + std::to_string(cell) + "\" height=\"" + std::to_string(cell) +
             "\" stroke=\"#555\" stroke-width=\"0.5\"><title>Byte " + std::to_string(b) + ": " +
             Users(m, b) + "</title></rect>\n";
    }
    h += "</svg>\n";
}

void Bank(std::string& h, const std::string& folder) {
    const std::string path = folder + PathSep + "bin" + PathSep + "bank.bin";
    h += "<h2 id=\"bank\">Configuration image</h2>\n";
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        h += "<p>bin/bank.bin has not been built.</p>\n";
        return;
    }
    std::string bytes;
    try {
        bytes = ReadFileBytes(path, MaxDocumentBytes);
    } catch (const std::exception& e) {
        h += "<p>" + Esc(e.what()) + "</p>\n";
        return;
    }
    char when[64];
    const std::string crc = Crc32Hex(Crc32(bytes));
    std::tm tm{};
    localtime_r(&st.st_mtime, &tm);
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
    h += "<table><tbody><tr><th>File</th><td>bin/bank.bin</td></tr><tr><th>Size</th><td>" +
         std::to_string(bytes.size()) + " bytes</td></tr><tr><th>CRC-32</th><td>" + crc +
         "</td></tr><tr><th>Built</th><td>" + when + "</td></tr></tbody></table>\n";
}
} // namespace

std::string CommissioningReportHtml(const std::string& folder, const std::string& name,
                                    const std::string& date, ByteMapDrawing drawing) {
    return CommissioningReportHtml(Project::load(folder), name, date, drawing);
}

std::string CommissioningReportHtml(const Project& project, const std::string& name,
                                    const std::string& date, ByteMapDrawing drawing) {
    const std::string& folder = project.folder();
    std::string h = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>"
                    "Commissioning report " +
                    Esc(name) + "</title>\n<style>" + kStyle + "</style></head>\n<body>\n";
    h += "<h1>Commissioning report: " + Esc(name) + "</h1>\n";
    h += "<p>Velmora Tessaro KT52830 Serial-m 2 DeviceNet-s<br>Date: " + Esc(date) +
         "<br>Project folder: " + Esc(folder) + "</p>\n";

    Params(h, project.params());

    // The rows the image holds: every stored row.
    const AccessMap map = StoredAccessMap(project.access());
    const AccessBounds bounds = BoundsOf(project.params());
    std::string mapNote;
    if (project.access().report.state == LoadState::Unreadable ||
        project.access().report.state == LoadState::Partial)
        mapNote = "sdo.xml could not be read whole: " + project.access().report.reason;
    h += "<h2 id=\"accessmap\">Access map</h2>\n";
    if (!mapNote.empty()) h += "<p class=\"error\">" + Esc(mapNote) + "</p>\n";
    Table(h, "read", "DeviceNet OUT --&gt; Serial Read", map.In);
    Table(h, "write", "Serial Write --&gt; DeviceNet IN", map.Out);

    ByteMaps maps = ComputeByteMaps(map, bounds);
    h += "<h2 id=\"bytemap\">DeviceNet byte map</h2>\n<p>" + std::string(PackingNote) +
         " Blue: one row; red: bytes shared by several rows; orange: past the end of the area; "
         "white: unused.</p>\n";
    Strip(h, maps.read, "Read table, N Byte IN", drawing);
    Strip(h, maps.write, "Write table, N Byte OUT", drawing);

    h += "<h2 id=\"findings\">Project check</h2>\n";
    const std::vector<Finding> findings = CheckProject(project);
    h += "<p>" + Esc(FindingSummary(CountFindings(findings))) + "</p>\n";
    if (!findings.empty()) {
        h += "<table><thead><tr><th>Severity</th><th>File</th><th>Table</th><th>Row</th>"
             "<th>Column</th><th>Message</th></tr></thead><tbody>\n";
        for (const Finding& f : findings)
            h += "<tr class=\"" + std::string(SeverityName(f.severity)) + "\"><td>" +
                 SeverityName(f.severity) + "</td><td>" + Esc(f.file) + "</td><td>" + Esc(f.table) +
                 "</td><td class=\"num\">" + (f.row ? std::to_string(f.row) : "") + "</td><td>" +
                 Esc(f.column) + "</td><td>" + Esc(f.message) + "</td></tr>\n";
        h += "</tbody></table>\n";
    }
    Bank(h, folder);
    h += "</body></html>\n";
    return h;
}
