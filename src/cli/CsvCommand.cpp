// tessaro-cli export / import: one table of a project as CSV.
#include "cli/Cli.h"
#include "core/editors/AccessMap.h"
#include "core/editors/DiagnosisIds.h"
#include "core/editors/TableCsv.h"
#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/tools/Csv.h"

namespace cli {
const char* const kExportHelp =
    "Usage: tessaro-cli export PROJECT --table read|write|diagnosis -o FILE\n"
    "\n"
    "Writes one table as CSV (comma, CRLF, columns named as in the window):\n"
    "read and write are the access-map tables of sdo.xml, diagnosis the Modbus\n"
    "IDs of diagnosis.xml. FILE - is standard output.\n";

const char* const kImportHelp =
    "Usage: tessaro-cli import PROJECT --table read|write|diagnosis FILE\n"
    "\n"
    "Replaces one table of the project with the rows of a CSV file (comma or\n"
    "semicolon, a first row naming the columns as export writes them). Every row\n"
    "gets the checks of the window's OK; on any error every bad row is listed\n"
    "and the project is not changed (exit status 1). FILE - is standard input.\n";

namespace {
enum class Table { Read, Write, Diagnosis };

struct TableArgs {
    std::string project, table, file;
};

// Returns an exit status on wrong usage, else -1.
int ParseTableArgs(const Args& args, const char* help, bool output, TableArgs& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--table" || (output && a == "-o")) {
            if (int rc = TakeValue(args, i, help, a + " needs a value",
                                   a == "-o" ? out.file : out.table);
                rc >= 0)
                return rc;
        } else if (IsOperand(a) && out.project.empty()) {
            out.project = a;
        } else if (!output && (IsOperand(a) || a == "-") && out.file.empty()) {
            out.file = a;
        } else {
            return Usage(help, "unexpected argument '" + a + "'");
        }
    }
    if (out.project.empty()) return Usage(help, "a project folder is needed");
    if (out.table != "read" && out.table != "write" && out.table != "diagnosis")
        return Usage(help, "--table must be read, write or diagnosis");
    if (out.file.empty()) return Usage(help, output ? "-o FILE is needed" : "a CSV file is needed");
    out.project = LookUpProject(out.project);
    return FolderFound(out.project) ? -1 : kFailed;
}

AccessTable TableOf(const std::string& name) {
    return name == "read" ? AccessTable::Read : AccessTable::Write;
}
} // namespace

int Export(const Args& args) {
    TableArgs a;
    if (int rc = ParseTableArgs(args, kExportHelp, true, a); rc >= 0) return rc;
    const Project project = Project::load(a.project);
    std::string text;
    if (a.table == "diagnosis") {
        const DiagnosisPart& part = project.diagnosis();
        part.report.requireReadable();
        text = DiagnosisCsv(part.ids);
    } else {
        const AccessPart& part = project.access();
        part.report.requireReadable();
        text = AccessTableCsv(part.table(TableOf(a.table)).rows);
    }
    WriteResult(a.file, text, a.file);
    return kOk;
}

int Import(const Args& args) {
    TableArgs a;
    if (int rc = ParseTableArgs(args, kImportHelp, false, a); rc >= 0) return rc;
    Project project = Project::load(a.project);
    if (a.table == "diagnosis") {
        DiagnosisCsvImport in = a.file == "-" ? ParseDiagnosisCsv(ReadStandardInput(MaxCsvBytes))
                                              : ReadDiagnosisCsv(a.file);
        if (!in.ok()) {
            std::cerr << in.message() << "\n";
            return kFailed;
        }
        project.saveDiagnosis(in.rows);
        std::cout << "Imported " << in.rows.size() << " rows into " << project.diagnosisPath()
                  << "\n";
        return kOk;
    }
    const AccessTable t = TableOf(a.table);
    const AccessBounds b = BoundsOf(project.params());
    const int bound = t == AccessTable::Read ? b.NByteIn : b.NByteOut;
    AccessCsvImport in = a.file == "-"
                             ? ParseAccessTableCsv(ReadStandardInput(MaxCsvBytes), t, bound)
                             : ReadAccessTableCsv(a.file, t, bound);
    if (!in.ok()) {
        std::cerr << in.message() << "\n";
        return kFailed;
    }
    // Only this table is replaced: the other stays as the file has it.
    project.saveAccessTable(t, in.rows);
    std::cout << "Imported " << in.rows.size() << " rows into " << project.sdoPath() << "\n";
    return kOk;
}
} // namespace cli
