#include "family/Spreadsheet.h"

#include "project/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <csignal>
#include <freexl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
// Reads every worksheet and cell the way the import does; true when FreeXL
// took all of it.
bool ReadWholeWorkbook(const char* path) {
    const void* h = nullptr;
    if (freexl_open(path, &h) != FREEXL_OK) {
        if (h) freexl_close(h);
        return false;
    }
    bool ok = true;
    unsigned int count = 0;
    ok = freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &count) == FREEXL_OK;
    for (unsigned int i = 0; ok && i < count && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        unsigned int rows = 0;
        unsigned short cols = 0;
        ok = freexl_get_worksheet_name(h, static_cast<unsigned short>(i), &name) == FREEXL_OK &&
             freexl_select_active_worksheet(h, static_cast<unsigned short>(i)) == FREEXL_OK &&
             freexl_worksheet_dimensions(h, &rows, &cols) == FREEXL_OK;
        for (unsigned int r = 0; ok && r < rows; ++r)
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v{};
                (void)freexl_get_cell_value(h, r, c, &v);
            }
    }
    freexl_close(h);
    return ok;
}

// FreeXL reads out of bounds or crashes on some malformed workbooks. A
// workbook is therefore read once in a child process first; only when the
// child gets through it does the program itself open it. A child that
// crashes, fails or hangs makes the workbook unreadable.
bool WorkbookSurvivesTrialRead(const std::string& path) {
    const pid_t pid = ::fork();
    if (pid < 0) return true; // no child to spare: read in-process as before
    if (pid == 0) ::_exit(ReadWholeWorkbook(path.c_str()) ? 0 : 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    auto pause = std::chrono::microseconds(50);
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// Worksheet named by "select * from [<name>$]"; nullopt for any other statement.
std::optional<std::string> SelectedWorksheet(const std::vector<std::string>& sql) {
    std::string text;
    for (const auto& line : sql)
        text += (text.empty() ? "" : " ") + line;
    text = Trim(text);
    static const std::string head = "select * from [";
    if (text.size() < head.size() + 2 || !EqualNoCase(text.substr(0, head.size()), head))
        return std::nullopt;
    if (text.back() != ']') return std::nullopt;
    std::string name = text.substr(head.size(), text.size() - head.size() - 1);
    if (name.size() < 2 || name.back() != '$') return std::nullopt;
    name.pop_back();
    return name;
}
} // namespace

std::string SpreadsheetConnectionString(const std::string& workbookPath) {
    std::string dbq =
        workbookPath.find(';') != std::string::npos ? "{" + workbookPath + "}" : workbookPath;
    return "Provider=MSDASQL.1;Persist Security Info=False;Data Source=File di Microsoft "
           "Excel;DBQ=" +
           dbq + ";Mode=Read";
}

std::optional<std::string> ConnectionStringValue(const std::string& text, const std::string& key) {
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t eq = text.find('=', pos);
        if (eq == std::string::npos) break;
        std::string k = Trim(text.substr(pos, eq - pos));
        size_t v = eq + 1, end;
        std::string value;
        if (v < text.size() && text[v] == '{') {
            size_t close = text.find('}', v + 1);
            if (close == std::string::npos) close = text.size();
            value = text.substr(v + 1, close - v - 1);
            end = text.find(';', close);
        } else {
            end = text.find(';', v);
            value = text.substr(v, end == std::string::npos ? std::string::npos : end - v);
        }
        if (EqualNoCase(k, key)) return value;
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return std::nullopt;
}

std::string NumberText(double value) {
    if (value == 0) return "0"; // also -0
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : value > 0 ? "INF" : "-INF";
    char buf[64];
    // Plain digits for the values a worksheet holds; exponent form only far out.
    const double a = std::fabs(value);
    auto res = a >= 1e-5 && a < 1e15
                   ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                   : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

SpreadsheetConnection::~SpreadsheetConnection() {
    Close();
}

void SpreadsheetConnection::Open() {
    Close();
    auto path = ConnectionStringValue(ConnectionString, "DBQ");
    if (!path || path->empty()) throw SpreadsheetError("No workbook in the connection string");
    if (!FileExists(*path)) throw SpreadsheetError("Workbook not found: " + *path);
    if (!WorkbookSurvivesTrialRead(*path))
        throw SpreadsheetError("Not a readable workbook: " + *path);
    const void* h = nullptr;
    if (freexl_open(path->c_str(), &h) != FREEXL_OK) {
        if (h) freexl_close(h);
        throw SpreadsheetError("Not a readable workbook: " + *path);
    }
    unsigned int count = 0;
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
        freexl_close(h);
        throw SpreadsheetError("Not a readable workbook: " + *path);
    }
    std::vector<std::string> sheets;
    for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(h, static_cast<unsigned short>(i), &name) != FREEXL_OK ||
            !name) {
            freexl_close(h);
            throw SpreadsheetError("Not a readable workbook: " + *path);
        }
        sheets.emplace_back(name);
    }
    handle_ = h;
    sheets_ = std::move(sheets);
}

void SpreadsheetConnection::Close() {
    if (handle_) freexl_close(handle_);
    handle_ = nullptr;
    sheets_.clear();
}

std::vector<std::string> SpreadsheetConnection::GetTableNames(bool systemTables) const {
    if (!handle_) throw SpreadsheetError("Spreadsheet connection not open");
    std::vector<std::string> out;
    if (!systemTables) return out;
    for (const auto& s : sheets_)
        out.push_back(s + "$");
    return out;
}

unsigned short SpreadsheetConnection::worksheetIndex(const std::string& name) const {
    for (size_t i = 0; i < sheets_.size(); ++i)
        if (EqualNoCase(sheets_[i], name)) return static_cast<unsigned short>(i);
    throw SpreadsheetError("Worksheet not found: " + name);
}

void SpreadsheetQuery::Open() {
    Close();
    if (!conn_.Connected()) throw SpreadsheetError("Spreadsheet connection not open");
    auto name = SelectedWorksheet(SQL);
    if (!name) throw SpreadsheetError("Unsupported statement");
    unsigned short index = conn_.worksheetIndex(*name);
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (freexl_select_active_worksheet(conn_.handle(), index) != FREEXL_OK ||
        freexl_worksheet_dimensions(conn_.handle(), &rows, &cols) != FREEXL_OK)
        throw SpreadsheetError("Worksheet not readable: " + *name);
    // Row 0 holds the column titles.
    records_ = rows > 1 ? static_cast<int>(rows - 1) : 0;
    fields_ = cols;
    record_ = 0;
    handle_ = conn_.handle();
    active_ = true;
}

void SpreadsheetQuery::Close() {
    active_ = false;
    records_ = fields_ = record_ = 0;
    handle_ = nullptr;
}

int SpreadsheetQuery::RecordCount() const {
    if (!active_) throw SpreadsheetError("Spreadsheet query not open");
    return records_;
}

int SpreadsheetQuery::FieldCount() const {
    if (!active_) throw SpreadsheetError("Spreadsheet query not open");
    return fields_;
}

void SpreadsheetQuery::Next() {
    if (!active_) throw SpreadsheetError("Spreadsheet query not open");
    if (record_ < records_) ++record_;
}

std::optional<std::string> SpreadsheetQuery::Field(int position) const {
    // The connection may have been closed or reopened under the query.
    if (!active_ || conn_.handle() != handle_ || !handle_)
        throw SpreadsheetError("Spreadsheet query not open");
    if (position < 0 || position >= fields_)
        throw SpreadsheetError("Field " + std::to_string(position) + " not found");
    if (record_ >= records_) throw SpreadsheetError("No current record");
    FreeXL_CellValue v{};
    if (freexl_get_cell_value(handle_, static_cast<unsigned int>(record_ + 1),
                              static_cast<unsigned short>(position), &v) != FREEXL_OK)
        throw SpreadsheetError("Cell not readable");
    switch (v.type) {
    case FREEXL_CELL_INT:
        return std::to_string(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return NumberText(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return std::string(v.value.text_value ? v.value.text_value : "");
    default:
        return std::nullopt;
    }
}
