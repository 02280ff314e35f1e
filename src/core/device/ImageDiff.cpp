#include "core/device/ImageDiff.h"

#include "core/device/ConfigImage.h"
#include "core/device/Crc32.h"
#include "core/editors/CommParams.h"
#include "core/editors/ProjectCheck.h"
#include "core/model/Check.h"
#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/tools/Csv.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

DiffSide ImageDiffSide(const std::string& name, std::vector<uint8_t> bytes) {
    DiffSide s;
    s.name = name;
    s.image = DecodeBank(bytes);
    if (!s.image.params)
        throw TessaroError("The image has no parameter block, so its read and write records "
                           "cannot be told apart");
    s.bytes = std::move(bytes);
    return s;
}

DiffSide LoadDiffSide(const std::string& path, bool force) {
    if (!DirectoryExists(path)) {
        if (!FileExists(path)) throw TessaroError("No project folder or image file of that name");
        // No image is longer than the builder's buffer.
        const std::string bytes = ReadFileBytes(path, bank::Capacity);
        return ImageDiffSide(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    return ProjectDiffSide(Project::load(path), force);
}

DiffSide ProjectDiffSide(const Project& project, bool force) {
    const std::string& path = project.folder();
    std::vector<Finding> errors;
    for (Finding& f : CheckProject(project))
        if (f.severity == Severity::Error) errors.push_back(std::move(f));
    if (!errors.empty() && !force) {
        DiffSide s;
        s.name = path;
        s.project = true;
        s.errors = std::move(errors);
        s.stopped = true;
        return s;
    }
    DiffSide s = ImageDiffSide(path, BuildImage(project));
    s.project = true;
    s.errors = std::move(errors);
    const CommParams p = CommParamsOf(project.params());
    s.storedSerType = p.SerType;
    s.storedSerProt = p.SerProt;
    // The mnemonics row by row, as the image holds the records.
    for (const AccessRow& r : project.access().in.rows)
        s.readMnemonics.push_back(r.Mnemonic);
    for (const AccessRow& r : project.access().out.rows)
        s.writeMnemonics.push_back(r.Mnemonic);
    return s;
}

const char* DiffPartName(DiffPart part) {
    switch (part) {
    case DiffPart::Parameter:
        return "parameter";
    case DiffPart::Read:
        return "read";
    case DiffPart::Write:
        return "write";
    }
    return "";
}

namespace {
using Names = std::vector<std::string>;

const Names kSerTypeImage = {"RS485", "RS232"};
const Names kSerTypeStored = {"RS232", "RS485"};
const Names kSerProtImage = {"RTU framing", "ASCII framing"};
const Names kSerProtStored = {"Modbus RTU", "Modbus ASCII", "JBUS", "Binary", "ASCII"};
const Names kWriteMode = {"write on change of data", "cyclic write"};
const Names kSwap = {"N", "Y"};

DiffValue Number(int v, const Names* names = nullptr) {
    DiffValue d;
    d.text = d.json = std::to_string(v);
    if (names && v >= 0 && size_t(v) < names->size() && !(*names)[size_t(v)].empty())
        d.text += " (" + (*names)[size_t(v)] + ")";
    return d;
}

// A text for a line: quoted, with quotes, backslashes and control bytes escaped.
std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

DiffValue Text(const std::string& s) {
    return {true, Quoted(s), JsonString(s)};
}

std::string TypeText(int code, bool write) {
    return BankTypeName(code, write);
}

DiffValue RowValue(const BankRecord& r, bool write, const std::string* mnemonic) {
    DiffValue d;
    d.text = "slave " + std::to_string(r.slave) + ", " + TypeText(r.type, write) + ", address " +
             std::to_string(r.addressMod) + ", " + std::to_string(r.points) +
             (r.points == 1 ? " point" : " points") + ", DeviceNet byte " +
             std::to_string(r.addressDeviceNet);
    if (r.swap) d.text += ", swapped";
    if (mnemonic) d.text += ", " + Quoted(*mnemonic);
    d.json = "{\"slave\": " + std::to_string(r.slave) + ", \"type\": " + std::to_string(r.type) +
             ", \"typeName\": " + JsonString(TypeText(r.type, write)) +
             ", \"address\": " + std::to_string(r.addressMod) +
             ", \"points\": " + std::to_string(r.points) +
             ", \"deviceNetByte\": " + std::to_string(r.addressDeviceNet) +
             ", \"swap\": " + (r.swap ? "true" : "false");
    if (mnemonic) d.json += ", \"mnemonic\": " + JsonString(*mnemonic);
    d.json += "}";
    return d;
}

const std::string* MnemonicAt(const std::vector<std::string>& m, size_t i) {
    return i < m.size() ? &m[i] : nullptr;
}

void CompareParams(const DiffSide& a, const DiffSide& b, std::vector<Difference>& out) {
    const BankParams& pa = *a.image.params;
    const BankParams& pb = *b.image.params;
    const bool projects = a.project && b.project;
    using P = BankParams;
    const struct {
        const char* name;
        int P::*field;
        const Names* names;
    } fields[] = {{"Ser_Baud", &P::serBaud, &SerBaudItems},
                  {"Ser_Par", &P::serPar, &SerParItems},
                  {"Ser_TO", &P::serTO, nullptr},
                  {"Ser_CD", &P::serCD, nullptr},
                  {"Ser_Type", &P::serType, &kSerTypeImage},
                  {"Ser_Prot", &P::serProt, &kSerProtImage},
                  {"DN_ID", &P::dnId, nullptr},
                  {"DN_Baud", &P::dnBaud, &DnBaudItems},
                  {"DN_NB_IN", &P::dnNbIn, nullptr},
                  {"DN_NB_OUT", &P::dnNbOut, nullptr},
                  {"Ser_Write_Mode", &P::writeMode, &kWriteMode},
                  {"DN_Enable_Error", &P::enableError, nullptr},
                  {"DN_Num_Cont_Err", &P::numContErr, nullptr},
                  {"DN_Val_Canc_Data", &P::valCancData, nullptr}};
    for (const auto& f : fields) {
        int va = pa.*f.field, vb = pb.*f.field;
        const Names* names = f.names;
        // Two projects compare what their files say, which the image codes
        // only in part (JBUS and Modbus RTU both give RTU framing).
        if (projects && f.field == &P::serType) {
            va = a.storedSerType, vb = b.storedSerType, names = &kSerTypeStored;
        } else if (projects && f.field == &P::serProt) {
            va = a.storedSerProt, vb = b.storedSerProt, names = &kSerProtStored;
        }
        if (va != vb)
            out.push_back({DiffPart::Parameter, 0, f.name, Number(va, names), Number(vb, names)});
    }
}

void CompareTable(const DiffSide& a, const DiffSide& b, bool write, std::vector<Difference>& out) {
    const auto& ra = write ? a.image.out : a.image.in;
    const auto& rb = write ? b.image.out : b.image.in;
    const bool projects = a.project && b.project;
    const auto& ma = write ? a.writeMnemonics : a.readMnemonics;
    const auto& mb = write ? b.writeMnemonics : b.readMnemonics;
    const DiffPart part = write ? DiffPart::Write : DiffPart::Read;
    const Names typeNames = [&] {
        Names n;
        // Codes the table does not know have no meaning to show.
        for (int code = 0; code <= bank::TypeInputRegister; ++code) {
            std::string t = TypeText(code, write);
            n.push_back(t.rfind("unknown", 0) == 0 ? std::string() : t);
        }
        return n;
    }();
    for (size_t i = 0; i < std::max(ra.size(), rb.size()); ++i) {
        const int row = int(i) + 1;
        const std::string* mnA = projects ? MnemonicAt(ma, i) : nullptr;
        const std::string* mnB = projects ? MnemonicAt(mb, i) : nullptr;
        if (i >= ra.size() || i >= rb.size()) {
            Difference d{part, row, "", {}, {}};
            if (i < ra.size()) {
                d.a = RowValue(ra[i], write, mnA);
                d.b = {false, "", "null"};
            } else {
                d.a = {false, "", "null"};
                d.b = RowValue(rb[i], write, mnB);
            }
            out.push_back(std::move(d));
            continue;
        }
        const BankRecord& x = ra[i];
        const BankRecord& y = rb[i];
        const struct {
            const char* header;
            int BankRecord::*field;
            const Names* names;
        } cols[] = {{"Slave ID", &BankRecord::slave, nullptr},
                    {"Type", &BankRecord::type, &typeNames},
                    {"Address Register", &BankRecord::addressMod, nullptr},
                    {"NPoint", &BankRecord::points, nullptr},
                    {"SWAP", &BankRecord::swap, &kSwap},
                    {"Address DeviceNet", &BankRecord::addressDeviceNet, nullptr}};
        for (const auto& c : cols)
            if (x.*c.field != y.*c.field)
                out.push_back({part, row, c.header, Number(x.*c.field, c.names),
                               Number(y.*c.field, c.names)});
        if (mnA && mnB && *mnA != *mnB)
            out.push_back({part, row, "Mnemonic", Text(*mnA), Text(*mnB)});
    }
}
} // namespace

ImageComparison CompareSides(const DiffSide& a, const DiffSide& b) {
    if (!a.image.params || !b.image.params)
        throw TessaroError("A side without a parameter block cannot be compared");
    ImageComparison c;
    c.crcA = Crc32(a.bytes);
    c.crcB = Crc32(b.bytes);
    CompareParams(a, b, c.differences);
    CompareTable(a, b, false, c.differences);
    CompareTable(a, b, true, c.differences);
    return c;
}

std::string DifferenceField(const Difference& d) {
    if (!d.field.empty()) return d.field;
    return d.a.present ? "only in A" : "only in B";
}

std::string DifferenceLine(const Difference& d) {
    if (d.part == DiffPart::Parameter)
        return "parameter " + d.field + ": " + d.a.text + " -> " + d.b.text;
    const std::string where = std::string(DiffPartName(d.part)) + ":" + std::to_string(d.row) + ":";
    if (d.field.empty())
        return where + " " + DifferenceField(d) + " (" + (d.a.present ? d.a.text : d.b.text) + ")";
    return where + d.field + ": " + d.a.text + " -> " + d.b.text;
}

std::string ComparisonSummary(const ImageComparison& c) {
    const size_t n = c.differences.size();
    if (n == 0) return "identical (" + Crc32Text(c.crcA) + ")";
    return std::to_string(n) + (n == 1 ? " difference" : " differences");
}

std::string ComparisonText(const ImageComparison& c) {
    std::string out;
    for (const Difference& d : c.differences)
        out += DifferenceLine(d) + "\n";
    return out + ComparisonSummary(c) + "\n";
}

std::string ComparisonJson(const ImageComparison& c) {
    std::ostringstream o;
    o << "{\"identical\": " << (c.identical() ? "true" : "false") << ", \"crc32\": {\"a\": \""
      << Crc32Hex(c.crcA) << "\", \"b\": \"" << Crc32Hex(c.crcB) << "\"}, \"differences\": [";
    for (size_t i = 0; i < c.differences.size(); ++i) {
        const Difference& d = c.differences[i];
        o << (i ? ", " : "") << "{\"part\": \"" << DiffPartName(d.part) << "\", \"row\": "
          << (d.part == DiffPart::Parameter ? std::string("null") : std::to_string(d.row))
          << ", \"field\": " << (d.field.empty() ? std::string("null") : JsonString(d.field))
          << ", \"a\": " << d.a.json << ", \"b\": " << d.b.json << "}";
    }
    o << "]}\n";
    return o.str();
}

std::string ComparisonCsv(const ImageComparison& c) {
    std::string out = CsvLine({"Part", "Row", "Field", "A", "B"});
    for (const Difference& d : c.differences)
        out += CsvLine({DiffPartName(d.part), d.row ? std::to_string(d.row) : std::string(),
                        DifferenceField(d), d.a.text, d.b.text});
    return out;
}

ProjectPrint ProjectFingerprint(const Project& project, const std::vector<Finding>& findings) {
    size_t errors = 0;
    const Finding* first = nullptr;
    for (const Finding& f : findings)
        if (f.severity == Severity::Error && !errors++) first = &f;
    if (first) {
        std::string reason = first->message;
        while (!reason.empty() && reason.back() == ' ')
            reason.pop_back();
        if (errors > 1)
            reason +=
                " (and " + std::to_string(errors - 1) + " more error" + (errors > 2 ? "s)" : ")");
        return {false, "not buildable: " + reason};
    }
    try {
        return {true, Crc32Text(Crc32(BuildImage(project)))};
    } catch (const std::exception& e) {
        return {false, std::string("not buildable: ") + e.what()};
    }
}
