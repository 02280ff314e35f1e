#include "core/family/Spreadsheet.h"

#include "core/device/Process.h"
#include "core/family/SocketIo.h"
#include "core/family/WorkbookStream.h"
#include "core/project/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// FreeXL reads out of bounds or crashes on some malformed workbooks, so it
// never runs in the program itself. A reader process (tessaro-xls-reader,
// beside the program), started on the first import and kept, reads each
// workbook and sends its stream back over a socket, framed as a status byte,
// a length and the stream. A reader that crashes, fails, hangs or sends too
// much makes that read fail and is replaced; one found dead before a read is
// replaced and the read tried once more.
constexpr auto ReadLimit = std::chrono::seconds(20);
constexpr const char* ReaderName = "tessaro-xls-reader";

// Receives exactly `size` bytes before the deadline.
bool ReceiveBefore(int fd, char* data, size_t size,
                   std::chrono::steady_clock::time_point deadline) {
    return Exactly(
        [&](char* d, size_t n) -> ssize_t {
            for (;;) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0) return 0;
                pollfd p{fd, POLLIN, 0};
                const int r = ::poll(&p, 1, int(std::min<long long>(left.count(), 1000)));
                if (r < 0 && errno != EINTR) return -1;
                if (r > 0) return ::recv(fd, d, n, 0);
            }
        },
        data, size);
}

// Folder of the running executable.
std::string ExecutableFolder() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string path(buf, size_t(n));
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class WorkbookHelper {
public:
    ~WorkbookHelper() { stop(); }

    // Puts the workbook's stream in `data`; otherwise false with the reason.
    bool read(const std::string& path, std::string& data, std::string& why) {
        if (path.size() > 0xFFFFFF) {
            why = "Workbook path too long";
            return false;
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            // A reader that ended since the last import (killed, or by the
            // last workbook) is replaced before it is asked.
            if (pid_ > 0 && ended()) stop();
            if (pid_ <= 0 && !start(why)) return false;
            switch (ask(path, data)) {
            case Answer::Stream:
                return true;
            case Answer::Unreadable:
                why = "Not a readable workbook: " + path;
                return false;
            case Answer::TimedOut:
                stop();
                why = "Reading the workbook took longer than " + std::to_string(ReadLimit.count()) +
                      " s: " + path;
                return false;
            case Answer::Broken:
                // Died while asked: a new reader gets one more try.
                stop();
                break;
            }
        }
        // Twice ended by the same workbook: the workbook is what breaks it.
        why = "Not a readable workbook: " + path + " (the reader stopped while reading it)";
        return false;
    }

    // Ends the reader; the next read starts a new one.
    void stop() {
        if (pid_ <= 0) return;
        ::close(fd_);
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        fd_ = -1;
    }

    pid_t pid() const { return pid_; }

private:
    enum class Answer { Stream, Unreadable, TimedOut, Broken };

    bool ended() {
        int status = 0;
        pid_t r;
        while ((r = ::waitpid(pid_, &status, WNOHANG)) < 0 && errno == EINTR) {
        }
        if (r == 0) return false;
        // Reaped (or not ours any more): only the socket is left to close.
        ::close(fd_);
        pid_ = -1;
        fd_ = -1;
        return true;
    }

    Answer ask(const std::string& path, std::string& data) {
        const auto deadline = std::chrono::steady_clock::now() + ReadLimit;
        const uint32_t n = uint32_t(path.size());
        char head[9];
        if (!SendAll(fd_, reinterpret_cast<const char*>(&n), 4) || !SendAll(fd_, path.data(), n))
            return Answer::Broken;
        if (!ReceiveBefore(fd_, head, 9, deadline))
            return std::chrono::steady_clock::now() >= deadline ? Answer::TimedOut : Answer::Broken;
        uint64_t len = 0;
        std::memcpy(&len, head + 1, 8);
        if (len > StreamLimit) return Answer::Broken;
        data.resize(len);
        if (!ReceiveBefore(fd_, data.data(), len, deadline))
            return std::chrono::steady_clock::now() >= deadline ? Answer::TimedOut : Answer::Broken;
        return head[0] == 1 ? Answer::Stream : Answer::Unreadable;
    }

    bool start(std::string& why) {
        std::string program = ExecutableFolder() + "/" + ReaderName;
        if (!FileExists(program))
            if (const char* dir = std::getenv("TESSARO_BIN_DIR"); dir && *dir)
                program = std::string(dir) + "/" + ReaderName;
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
            why = "Cannot start the workbook reader: " + SystemErrorText(errno);
            return false;
        }
        // Room for a usual workbook's whole answer, so the reader sends it in
        // one go instead of waking the program for every piece.
        const int room = 1 << 20;
        ::setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
        ::setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &room, sizeof room);

        // The reader gets its end of the socket as standard input and none
        // of the program's other files; default signals, nothing blocked.
        SpawnSetup setup;
        setup.stdinFd = fds[1];
        setup.closeOthers = true;
        char* argv[] = {program.data(), nullptr};
        pid_t pid = -1;
        const int err = SpawnChild(program, argv, setup, pid);
        ::close(fds[1]);
        if (err != 0) {
            ::close(fds[0]);
            why = "Cannot start the workbook reader " + program + ": " + SystemErrorText(err);
            return false;
        }
        pid_ = pid;
        fd_ = fds[0];
        return true;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
};

std::mutex HelperLock;
WorkbookHelper Helper;

bool ReadWorkbookStream(const std::string& path, std::string& stream, std::string& why) {
    std::lock_guard<std::mutex> hold(HelperLock);
    return Helper.read(path, stream, why);
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

void StopWorkbookHelper() {
    std::lock_guard<std::mutex> hold(HelperLock);
    Helper.stop();
}

int WorkbookHelperPid() {
    std::lock_guard<std::mutex> hold(HelperLock);
    return Helper.pid();
}

std::string SpreadsheetConnectionString(const std::string& workbookPath) {
    // Braced when the path could be taken apart otherwise (';', braces, blanks
    // at the ends); a '}' inside braces is written twice.
    const bool braced =
        workbookPath.find_first_of(";{}") != std::string::npos ||
        (!workbookPath.empty() && (workbookPath.front() == ' ' || workbookPath.back() == ' '));
    std::string dbq;
    if (braced) dbq += '{';
    for (char c : workbookPath) {
        dbq += c;
        if (braced && c == '}') dbq += '}';
    }
    if (braced) dbq += '}';
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
            // Up to the '}' that is not doubled; "}}" stands for one '}'.
            size_t i = v + 1;
            for (; i < text.size(); ++i) {
                if (text[i] != '}') {
                    value += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '}') {
                    value += '}';
                    ++i;
                } else {
                    break;
                }
            }
            end = text.find(';', i);
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
    // Whole numbers, most of what a worksheet holds, print as integers: the
    // same digits, several times faster.
    if (a < 1e15 && value == std::trunc(value)) {
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
        return std::string(buf, res.ptr);
    }
    auto res = a >= 1e-5 && a < 1e15
                   ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                   : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

const WorksheetCells::Cell* WorksheetCells::find(unsigned int row, unsigned short col) const {
    if (row >= rows || size_t(row) + 1 >= rowStart.size()) return nullptr;
    auto first = cells.begin() + rowStart[row], last = cells.begin() + rowStart[row + 1];
    // A row holding every column has each cell at its column's place.
    if (col < last - first && first[col].col == col) return &first[col];
    auto it = std::lower_bound(first, last, col,
                               [](const Cell& c, unsigned short v) { return c.col < v; });
    return it != last && it->col == col ? &*it : nullptr;
}

void SpreadsheetConnection::Open() {
    Close();
    auto path = ConnectionStringValue(ConnectionString, "DBQ");
    if (!path || path->empty()) throw SpreadsheetError("No workbook in the connection string");
    if (!FileExists(*path)) throw SpreadsheetError("Workbook not found: " + *path);
    std::string why;
    if (!ReadWorkbookStream(*path, stream_, why)) throw SpreadsheetError(why);
    std::optional<std::vector<WorksheetCells>> sheets = ParseWorkbookStream(stream_);
    if (!sheets) throw SpreadsheetError("Not a readable workbook: " + *path);
    sheets_ = std::move(*sheets);
    open_ = true;
    ++generation_;
}

void SpreadsheetConnection::Close() {
    open_ = false;
    sheets_.clear();
    stream_.clear();
    ++generation_;
}

std::vector<std::string> SpreadsheetConnection::GetTableNames(bool systemTables) const {
    if (!open_) throw SpreadsheetError("Spreadsheet connection not open");
    std::vector<std::string> out;
    if (!systemTables) return out;
    for (const auto& s : sheets_)
        out.push_back(s.name + "$");
    return out;
}

const WorksheetCells& SpreadsheetConnection::worksheet(const std::string& name) const {
    for (const WorksheetCells& s : sheets_)
        if (EqualNoCase(s.name, name)) return s;
    throw SpreadsheetError("Worksheet not found: " + name);
}

void SpreadsheetQuery::Open() {
    Close();
    if (!conn_.Connected()) throw SpreadsheetError("Spreadsheet connection not open");
    auto name = SelectedWorksheet(SQL);
    if (!name) throw SpreadsheetError("Unsupported statement");
    const WorksheetCells& sheet = conn_.worksheet(*name);
    if (!sheet.readable) throw SpreadsheetError("Worksheet not readable: " + *name);
    // Row 0 holds the column titles.
    records_ = sheet.rows > 1 ? static_cast<int>(std::min<unsigned>(sheet.rows - 1, INT_MAX)) : 0;
    fields_ = sheet.cols;
    record_ = 0;
    sheet_ = &sheet;
    generation_ = conn_.generation();
    active_ = true;
}

void SpreadsheetQuery::Close() {
    active_ = false;
    records_ = fields_ = record_ = 0;
    sheet_ = nullptr;
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
    std::optional<std::string_view> v = FieldView(position);
    if (!v) return std::nullopt;
    return std::string(*v);
}

std::optional<std::string_view> SpreadsheetQuery::FieldView(int position) const {
    // The connection may have been closed or reopened under the query.
    if (!active_ || !conn_.Connected() || conn_.generation() != generation_)
        throw SpreadsheetError("Spreadsheet query not open");
    if (position < 0 || position >= fields_)
        throw SpreadsheetError("Field " + std::to_string(position) + " not found");
    if (record_ >= records_) throw SpreadsheetError("No current record");
    const WorksheetCells::Cell* cell =
        sheet_->find(static_cast<unsigned int>(record_ + 1), static_cast<unsigned short>(position));
    if (!cell) return std::nullopt;
    if (!cell->readable) throw SpreadsheetError("Cell not readable");
    return sheet_->text.substr(cell->offset, cell->length);
}
