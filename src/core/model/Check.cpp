#include "core/model/Check.h"

#include "core/editors/ByteMap.h"
#include "core/editors/DiagnosisIds.h"
#include "core/project/ParseInteger.h"

namespace {
Finding FileError(const char* file, const std::string& message) {
    return {Severity::Error, file, "", 0, "", message};
}

void Append(std::vector<Finding>& out, std::vector<Finding> more) {
    out.insert(out.end(), std::make_move_iterator(more.begin()),
               std::make_move_iterator(more.end()));
}

// Set Communication's values as stored, each field read on its own so that
// one bad element hides no other; what the image cannot take from the file
// (a missing element, a text where a code belongs, a code outside its list)
// goes to `out`.
CommParams StoredCommParams(const ParamsPart& part, std::vector<Finding>& out) {
    const ParamTexts& t = part.texts;
    CommParams p;
    auto error = [&](Param id, const std::string& message) {
        out.push_back({Severity::Error, "pargen.xml", "", 0, InfoOf(id).label, message});
    };
    auto present = [&](Param id) {
        if (t[id]) return true;
        if (InfoOf(id).imageMandatory)
            error(id, std::string("Error!! ") + InfoOf(id).label + ": pargen.xml has no element " +
                          InfoOf(id).element + ". ");
        return false;
    };
    auto number = [&](Param id) -> std::optional<int32_t> {
        if (!present(id)) return std::nullopt;
        auto v = TryParseInteger(*t[id]);
        if (!v)
            error(id, std::string("Error!! ") + InfoOf(id).label + ": the stored value '" + *t[id] +
                          "' is not a number. ");
        return v;
    };
    // A code the editor would change on reading it: the image would hold
    // another value than the editor shows.
    auto code = [&](Param id, int high) -> std::optional<int32_t> {
        auto v = number(id);
        if (v && (*v < 0 || *v > high)) {
            error(id, std::string("Error!! ") + InfoOf(id).label + ": the stored value " +
                          std::to_string(*v) + " is not in the list; choose one. ");
            return std::nullopt;
        }
        return v;
    };
    // List positions are checked against their lists by the editor's checks.
    if (auto v = number(Param::SerBaud)) p.SerBaud = *v;
    if (auto v = number(Param::SerPar)) p.SerPar = *v;
    if (auto v = number(Param::DnBaud)) p.DnBaud = *v;
    if (auto v = code(Param::SerType, 1)) p.SerType = *v;
    if (auto v = code(Param::SerProt, 4)) p.SerProt = *v;
    if (auto v = code(Param::SerWriteMode, 1)) p.SerWriteMode = *v;
    if (auto v = code(Param::DnEnableError, 1)) p.DnEnableError = *v == 1;
    auto text = [&](Param id, std::string CommParams::*field) {
        if (present(id)) p.*field = *t[id];
    };
    text(Param::SerTO, &CommParams::SerTO);
    text(Param::SerCD, &CommParams::SerCD);
    text(Param::DnId, &CommParams::DnId);
    text(Param::DnNbIn, &CommParams::DnNbIn);
    text(Param::DnNbOut, &CommParams::DnNbOut);
    text(Param::DnNumContErr, &CommParams::DnNumContErr);
    text(Param::DnValCancData, &CommParams::DnValCancData);
    return p;
}

} // namespace

std::vector<Finding> CheckParams(const ParamsPart& part) {
    std::vector<Finding> out;
    if (!part.report.present()) {
        out.push_back(FileError("pargen.xml", "no communication parameters"));
        return out;
    }
    if (part.report.state == LoadState::Unreadable) {
        out.push_back(FileError("pargen.xml", part.report.reason));
        return out;
    }
    const CommParams p = StoredCommParams(part, out);
    Append(out, CommParamsFindings(p));
    return out;
}

std::vector<AccessFailure> StoredAccessFailures(const AccessPart& part,
                                                const AccessBounds& bounds) {
    std::vector<AccessFailure> out;
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        const int bound = t == AccessTable::Read ? bounds.NByteIn : bounds.NByteOut;
        const CheckedTable<AccessRow> checks = AccessTableChecks(t, bound);
        const auto& rows = part.table(t).rows;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (i >= size_t(AccessMapRows)) {
                out.push_back({t, i, AccessField::SlaveId,
                               RowFailure(i + 1, checks.checks.front().table,
                                          "A table holds at most " + std::to_string(AccessMapRows) +
                                              " rows. ")});
                continue;
            }
            for (const CellCheck<AccessRow>& c : checks.checks)
                if (!c.passes(rows[i]))
                    out.push_back(
                        {t, i, AccessField(c.field), RowFailure(i + 1, c.table, c.message)});
        }
    }
    return out;
}

std::vector<Finding> CheckAccess(const AccessPart& part, const AccessBounds& bounds) {
    std::vector<Finding> out;
    if (part.report.state == LoadState::Unreadable) {
        out.push_back(FileError("sdo.xml", part.report.reason));
        return out;
    }
    for (AccessTable t : {AccessTable::Read, AccessTable::Write})
        if (part.report.present() && !part.table(t).found)
            out.push_back({Severity::Error, "sdo.xml", AccessTableName(t), 0, "",
                           std::string("Element '") + AccessListName(t) + "' not found in '" +
                               part.rootName + "'"});
    for (AccessFailure& f : StoredAccessFailures(part, bounds))
        out.push_back(AsFinding(std::move(f)));
    // Every stored row, as the image takes them.
    Append(out, ByteMapFindings(ComputeByteMap(part.in.rows, AccessTable::Read, bounds.NByteIn)));
    Append(out,
           ByteMapFindings(ComputeByteMap(part.out.rows, AccessTable::Write, bounds.NByteOut)));
    return out;
}

std::vector<Finding> CheckDiagnosis(const DiagnosisPart& part) {
    if (part.report.state == LoadState::Unreadable)
        return {FileError("diagnosis.xml", part.report.reason)};
    return DiagnosisFindings(part.ids);
}

std::vector<Finding> CheckProject(const Project& project) {
    std::vector<Finding> out = CheckParams(project.params());
    Append(out, CheckAccess(project.access(), BoundsOf(project.params())));
    Append(out, CheckDiagnosis(project.diagnosis()));
    return out;
}
