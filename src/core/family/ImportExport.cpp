#include "core/family/ImportExport.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/Text.h"
#include "core/tools/CsvCell.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

[[noreturn]] void ThrowIo(int err) {
    throw FileError(CsvErrorText(err));
}

struct CloseOnExit {
    SpreadsheetConnection& c;
    SpreadsheetQuery& q;
    ~CloseOnExit() {
        q.Close();
        c.Close();
    }
};
} // namespace

ImportOutcome ImportWorksheet(SpreadsheetConnection& connection, SpreadsheetQuery& query,
                              const std::string& workbookPath, const FamilyTable& table,
                              const ImportHandlers& handlers) {
    ImportOutcome out;
    CloseOnExit closer{connection, query};
    try {
        connection.ConnectionString = SpreadsheetConnectionString(workbookPath);
        connection.Open();
        const std::string wanted = table.name + "$";
        bool found = false;
        for (const auto& name : connection.GetTableNames(true))
            if (LowerAscii(name) == wanted) {
                found = true;
                break;
            }
        if (!found) {
            out.end = ImportEnd::NoWorksheet;
            out.reason = "The workbook has no worksheet named \"" + table.name + "\"";
            return out;
        }
        query.SQL.clear();
        query.SQL.push_back("select * from [" + table.name + "$]");
        query.Open();
        // Every record is read before the first is handed over: a workbook
        // that fails part way changes nothing in the editor.
        const int count = query.RecordCount();
        std::vector<std::pair<int32_t, std::vector<std::string>>> records;
        records.reserve(static_cast<size_t>(count));
        for (int k = 0; k < count; ++k) {
            try {
                int32_t direction =
                    ParseInteger(query.FieldView(table.directionField).value_or(""));
                std::vector<std::string> fields(static_cast<size_t>(table.fieldCount));
                for (int j = 0; j < table.fieldCount; ++j)
                    fields[static_cast<size_t>(j)] = query.FieldView(j).value_or("");
                records.emplace_back(direction, std::move(fields));
            } catch (const std::exception& e) {
                throw TessaroError("Record " + std::to_string(k + 1) + ": " + e.what());
            }
            if (k < count - 1) query.Next();
        }
        if (handlers.worksheetFound) handlers.worksheetFound();
        for (const auto& [direction, fields] : records) {
            try {
                if (handlers.record) handlers.record(direction, fields);
            } catch (const std::exception& e) {
                throw TessaroError("Record " + std::to_string(out.records + 1) + ": " + e.what());
            }
            ++out.records;
        }
        out.end = ImportEnd::Completed;
    } catch (const std::exception& e) {
        out.end = ImportEnd::Stopped;
        out.reason = e.what();
    }
    return out;
}

std::string CsvErrorText(int err) {
    if (err == EACCES || err == EPERM || err == EROFS) return "File access denied";
    return "I/O error " + std::to_string(err);
}

std::string CsvPath(const std::string& projectFolder, const FamilyTable& table) {
    return projectFolder + "/" + table.name + ".csv";
}

std::string ToLatin1(std::string_view text) {
    // Bytes that are not UTF-8 are read by the program's one rule, as Latin-1,
    // so they come out as the bytes they were.
    const std::string utf8 = ValidUtf8(text);
    const std::string_view s = utf8;
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        int len = c >= 0xF0 && c < 0xF8 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        bool ok = len > 0 && i + size_t(len) <= s.size();
        uint32_t cp = ok ? (c & (0x7F >> len)) : 0;
        for (int k = 1; ok && k < len; ++k) {
            auto cc = static_cast<unsigned char>(s[i + size_t(k)]);
            if ((cc & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        out += cp <= 0xFF ? char(cp) : '?';
        i += size_t(len);
    }
    return out;
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (const auto& f : fields)
        line += ToLatin1(CsvCell(f)) + ",";
    return line + "\r\n";
}

void WriteCsv(const std::string& path, const std::vector<std::vector<std::string>>& lines) {
    // Written whole through a temporary file: a failed export keeps the
    // previous file and never writes through a symlink.
    std::string text;
    for (const auto& fields : lines)
        text += CsvLine(fields);
    try {
        WriteFileAtomic(path, text);
    } catch (const FileError& e) {
        ThrowIo(e.code() ? e.code() : EIO);
    }
}
