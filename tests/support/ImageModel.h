#pragma once
// Whether a built image holds exactly what a project's files say: every stored
// row and parameter, decoded from the image, against the texts parsed on their
// own. Shared by the property tests and the fuzz targets.
#include "core/device/BankDump.h"
#include "core/model/Project.h"
#include "core/project/ParseInteger.h"

#include <string>
#include <vector>

// Empty when the image is faithful, else the first difference.
inline std::string ImageMismatch(const Project& project, const std::vector<uint8_t>& image) {
    BankImage img;
    try {
        img = DecodeBank(image);
    } catch (const std::exception& e) {
        return std::string("the image does not decode: ") + e.what();
    }
    auto num = [](const std::string& s) { return TryParseInteger(s).value_or(-99999); };
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        const auto& rows = project.access().table(t).rows;
        const auto& records = t == AccessTable::Read ? img.in : img.out;
        if (rows.size() != records.size() && project.params().report.present())
            return std::string(AccessTableName(t)) + ": " + std::to_string(records.size()) +
                   " records for " + std::to_string(rows.size()) + " rows";
        for (size_t i = 0; i < records.size() && i < rows.size(); ++i) {
            const AccessRow& r = rows[i];
            const BankRecord& b = records[i];
            const std::string at = std::string(AccessTableName(t)) + ":" + std::to_string(i + 1);
            if (b.slave != num(r.SlaveId)) return at + ": slave";
            if (b.addressMod != num(r.AddressMod)) return at + ": address";
            if (b.points != num(r.NPoint)) return at + ": points";
            if (b.addressDeviceNet != num(r.AddressDeviceNet)) return at + ": DeviceNet byte";
            const auto code = AccessTypeCode(t, r.Type);
            if (!code || b.type != *code) return at + ": type " + r.Type;
        }
    }
    if (!project.params().report.present()) return img.params ? "a parameter block" : "";
    if (!img.params) return "no parameter block";
    const ParamTexts& p = project.params().texts;
    auto text = [&](Param id) { return p[id] ? num(*p[id]) : -99999; };
    const BankParams& b = *img.params;
    const std::pair<int, Param> same[] = {{b.serBaud, Param::SerBaud}, {b.serPar, Param::SerPar},
                                          {b.serTO, Param::SerTO},     {b.serCD, Param::SerCD},
                                          {b.dnId, Param::DnId},       {b.dnBaud, Param::DnBaud},
                                          {b.dnNbIn, Param::DnNbIn},   {b.dnNbOut, Param::DnNbOut}};
    for (const auto& [value, id] : same)
        if (value != text(id)) return std::string("parameter ") + InfoOf(id).element;
    if (b.serType != (text(Param::SerType) == 1 ? 0 : 1)) return "parameter Ser_Type";
    const int prot = text(Param::SerProt);
    if (b.serProt != (prot == 1 || prot == 4 ? 1 : 0)) return "parameter Ser_Prot";
    auto optional = [&](Param id, int def) { return p[id] ? text(id) : def; };
    if (b.writeMode != optional(Param::SerWriteMode, 0)) return "parameter Ser_Write_Mode";
    if (b.enableError != optional(Param::DnEnableError, 0)) return "parameter DN_Enable_Error";
    if (b.numContErr != optional(Param::DnNumContErr, 3)) return "parameter DN_Num_Cont_Err";
    if (b.valCancData != optional(Param::DnValCancData, 0)) return "parameter DN_Val_Canc_Data";
    return "";
}
