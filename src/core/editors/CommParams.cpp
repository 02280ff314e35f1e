#include "core/editors/CommParams.h"

#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"

namespace {
// Range check of an edit-box value; text that is not a number counts as -1.
bool InRange(const std::string& text, int low, int high) {
    int v = ParseInteger(text, -1);
    return v >= low && v <= high;
}

struct ListField {
    CommField field;
    const char* label; // the field's caption in the dialog
    int CommParams::*code;
    const std::vector<std::string>* items;
};
const ListField kListFields[] = {
    {CommField::SerBaud, "Baudrate", &CommParams::SerBaud, &SerBaudItems},
    {CommField::SerPar, "Parity", &CommParams::SerPar, &SerParItems},
    {CommField::DnBaud, "Baud rate", &CommParams::DnBaud, &DnBaudItems}};

std::string ListFailure(const ListField& f, int code) {
    if (code >= 0 && static_cast<size_t>(code) < f.items->size()) return {};
    return code == NoListChoice ? std::string("Error!! Choose a value for ") + f.label + ". "
                                : std::string("Error!! ") + f.label + ": the stored value " +
                                      std::to_string(code) + " is not in the list; choose one. ";
}

} // namespace

void LoadCommParams(const std::string& path, CommParams& p) {
    const Project project = Project::loadFile(Project::File::Pargen, path);
    const ParamsPart& part = project.params();
    if (!part.report.present()) {
        p = CommParams{};
        return;
    }
    part.report.requireReadable();
    ReadCommParams(part, p);
}

std::vector<std::string> CommChoiceFailures(const CommParams& p) {
    std::vector<std::string> out;
    for (const ListField& f : kListFields)
        if (auto m = ListFailure(f, p.*f.code); !m.empty()) out.push_back(m);
    return out;
}

std::vector<CommFailure> LocatedCommFailures(const CommParams& p) {
    std::vector<CommFailure> out;
    for (const ListField& f : kListFields)
        if (auto m = ListFailure(f, p.*f.code); !m.empty()) out.push_back({f.field, m});
    auto check = [&](CommField field, const std::string& text, int low, int high,
                     const char* message) {
        if (!InRange(text, low, high)) out.push_back({field, message});
    };
    check(CommField::SerTO, p.SerTO, 0, 10000,
          "Error!! Serial TimeOut must be between 0 and 10000 mS. ");
    check(CommField::SerCD, p.SerCD, 0, 1000,
          "Error!! Serial Cyclic Delay must be between 0 and 1000 mS. ");
    check(CommField::DnId, p.DnId, 0, 63, "Error!! DeviceNet address must be between 0 and 63. ");
    check(CommField::DnNbIn, p.DnNbIn, 0, 455,
          "Error!! DeviceNet N Byte IN must be between 0 and 455. ");
    check(CommField::DnNbOut, p.DnNbOut, 0, 455,
          "Error!! DeviceNet N Byte OUT must be between 0 and 455. ");
    if (p.DnEnableError) {
        check(CommField::DnNumContErr, p.DnNumContErr, 1, 250,
              "Error!! Number Continuos Error must be between 1 and 250. ");
        check(CommField::DnValCancData, p.DnValCancData, 0, 255,
              "Error!! Value to set to cancel data must be between 0 and 255. ");
    } else {
        // Unused by the gateway while the check is off, but the image still
        // holds each in one byte.
        check(CommField::DnNumContErr, p.DnNumContErr, 0, 255,
              "Error!! Number Continuos Error must be between 0 and 255, also while the "
              "Modbus error check is off. ");
        check(CommField::DnValCancData, p.DnValCancData, 0, 255,
              "Error!! Value to set to cancel data must be between 0 and 255, also while the "
              "Modbus error check is off. ");
    }
    return out;
}

std::vector<std::string> CommParamsFailures(const CommParams& p) {
    std::vector<std::string> out;
    for (auto& f : LocatedCommFailures(p))
        out.push_back(std::move(f.message));
    return out;
}

std::vector<Finding> CommParamsFindings(const CommParams& p) {
    // The dialog's captions of the fields, in CommField order.
    static const char* const kLabels[] = {"Baudrate",
                                          "Parity",
                                          "Baud rate",
                                          "TimeOut",
                                          "Cyclic Delay",
                                          "ID Dev.",
                                          "N Byte IN",
                                          "N Byte OUT",
                                          "Number Continuos Error",
                                          "Value to set to data bytes"};
    std::vector<Finding> out;
    for (auto& f : LocatedCommFailures(p))
        out.push_back({Severity::Error, "pargen.xml", "", 0, kLabels[static_cast<int>(f.field)],
                       std::move(f.message)});
    return out;
}

std::optional<std::string> CheckCommParams(const CommParams& p) {
    auto all = CommParamsFailures(p);
    if (all.empty()) return std::nullopt;
    return all.front();
}

std::string CommParamsXml(const CommParams& p) {
    return Project().paramsXml(p);
}

void SaveCommParams(const CommParams& p, const std::string& path) {
    Project::loadFile(Project::File::Pargen, path).saveParams(p);
}
