#include "core/model/Project.h"

#include "core/editors/DiagnosisIds.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

#include <cctype>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace {
constexpr const char* kPargen = "pargen.xml";
constexpr const char* kSdo = "sdo.xml";
constexpr const char* kDiagnosis = "diagnosis.xml";
constexpr const char* kSdoRoot = "Serial_to_ProfiBus";
constexpr const char* kDiagnosisRoot = "Modbus_IDs";

struct AttrInfo {
    AccessAttr bit;
    const char* name;
    std::string AccessRow::*cell;
};
// The attributes of a row in the order they are written.
constexpr AttrInfo kAttrs[] = {
    {AccessAttr::SlaveId, "Slave_ID", &AccessRow::SlaveId},
    {AccessAttr::Type, "Type", &AccessRow::Type},
    {AccessAttr::AddressMod, "Address_Mod", &AccessRow::AddressMod},
    {AccessAttr::NPoint, "NPoint", &AccessRow::NPoint},
    {AccessAttr::Swap, "Swap", &AccessRow::Swap},
    {AccessAttr::AddressDeviceNet, "Address_DeviceNet", &AccessRow::AddressDeviceNet},
    {AccessAttr::Mnemonic, "Mnemonic", &AccessRow::Mnemonic},
};

// The attributes without which Set Access stops reading a table; the others
// take the editor's fallback.
uint8_t MandatoryBits(AccessTable t) {
    uint8_t bits = uint8_t(AccessAttr::SlaveId) | uint8_t(AccessAttr::AddressMod) |
                   uint8_t(AccessAttr::NPoint) | uint8_t(AccessAttr::AddressDeviceNet);
    if (t == AccessTable::Read) bits |= uint8_t(AccessAttr::Type);
    return bits;
}

std::string Fallback(AccessTable t, AccessAttr a) {
    if (a == AccessAttr::Swap) return "N";
    if (a == AccessAttr::Type && t == AccessTable::Write) return "Holding Register";
    return "";
}

// The message Set Access gives for a row without a mandatory attribute.
std::string MissingAttribute(const char* name) {
    return std::string("Attribute '") + name + "' not found in element 'row'";
}

// The file's bytes, nothing for an absent file; `error` says why it could
// not be read, `st` what the opened file was.
std::optional<std::string> ReadIfThere(const std::string& path, std::string& error,
                                       struct stat& st) {
    error.clear();
    try {
        return ReadFileIfThere(path, MaxDocumentBytes, st);
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
}

LoadReport Unreadable(std::string reason) {
    return {LoadState::Unreadable, std::move(reason)};
}

void WriteRow(XmlNode list, const AccessRow& row) {
    XmlNode r = list.append("row");
    for (const AttrInfo& a : kAttrs)
        r.setAttr(a.name, row.*a.cell);
}

// A copy of `doc`, or an empty document when there is none.
XmlDocument CopyOf(const std::shared_ptr<const XmlDocument>& doc) {
    XmlDocument out;
    if (doc) out.raw().reset(const_cast<XmlDocument&>(*doc).raw());
    return out;
}

// The document of a file's bytes; nothing, with the report saying why, for
// an absent file or one that cannot be read or parsed.
std::shared_ptr<const XmlDocument> Parsed(const std::optional<std::string>& bytes,
                                          const std::string& error, const std::string& origin,
                                          LoadReport& report, bool checked = true) {
    if (!bytes) {
        if (!error.empty()) report = Unreadable(error);
        return nullptr;
    }
    auto doc = std::make_shared<XmlDocument>();
    try {
        if (checked)
            doc->loadString(*bytes, origin);
        else
            doc->loadUnchecked(*bytes, origin);
    } catch (const std::exception& e) {
        report = Unreadable(e.what());
        return nullptr;
    }
    report.state = LoadState::Read;
    return doc;
}
} // namespace

const char* AccessListName(AccessTable t) {
    return t == AccessTable::Read ? "DeviceNet_IN" : "DeviceNet_OUT";
}

const char* AccessAttrName(AccessAttr a) {
    for (const AttrInfo& i : kAttrs)
        if (i.bit == a) return i.name;
    return "";
}

Project::Project() = default;
Project::~Project() = default;
Project::Project(const Project&) = default;
Project& Project::operator=(const Project&) = default;
Project::Project(Project&&) noexcept = default;
Project& Project::operator=(Project&&) noexcept = default;

std::string Project::pargenPath() const {
    return pargenPath_.empty() ? folder_ + PathSep + kPargen : pargenPath_;
}
std::string Project::sdoPath() const {
    return sdoPath_.empty() ? folder_ + PathSep + kSdo : sdoPath_;
}
std::string Project::diagnosisPath() const {
    return diagnosisPath_.empty() ? folder_ + PathSep + kDiagnosis : diagnosisPath_;
}

Project Project::loadFile(File which, const std::string& path) {
    Project p;
    const size_t slash = path.find_last_of(PathSep);
    p.folder_ = slash == std::string::npos ? "." : path.substr(0, slash);
    switch (which) {
    case File::Pargen:
        p.pargenPath_ = path;
        p.reloadParams();
        break;
    case File::Sdo:
        p.sdoPath_ = path;
        p.reloadAccess();
        break;
    case File::Diagnosis:
        p.diagnosisPath_ = path;
        p.reloadDiagnosis();
        break;
    }
    return p;
}

void LoadReport::requireReadable() const {
    if (state == LoadState::Unreadable) throw XmlError(reason);
}

void LoadReport::requireWhole() const {
    if (state == LoadState::Unreadable || state == LoadState::Partial) throw XmlError(reason);
}

Project Project::load(const std::string& folder) {
    Project p;
    p.folder_ = folder;
    // No project: its paths would point at the file system root.
    if (folder.empty()) return p;
    p.reloadParams();
    p.reloadAccess();
    p.reloadDiagnosis();
    return p;
}

Project Project::fromTexts(const std::optional<std::string>& pargen,
                           const std::optional<std::string>& sdo,
                           const std::optional<std::string>& diagnosis, const std::string& folder) {
    Project p;
    p.folder_ = folder;
    p.readParams(pargen, "");
    p.readAccess(sdo, "");
    p.readDiagnosis(diagnosis, "");
    return p;
}

Project::Stamp Project::StampOf(const struct stat& st) {
    if (st.st_ino == 0 && st.st_dev == 0 && st.st_mode == 0) return {};
    return {true, uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
            int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

Project::Stamp Project::StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return StampOf(st);
}

bool Project::refresh() {
    if (folder_.empty()) return false;
    bool changed = false;
    if (StampOf(pargenPath()) != pargenStamp_) reloadParams(), changed = true;
    if (StampOf(sdoPath()) != sdoStamp_) reloadAccess(), changed = true;
    if (StampOf(diagnosisPath()) != diagnosisStamp_) reloadDiagnosis(), changed = true;
    return changed;
}

Project::FileBytes Project::ReadStamped(const std::string& path, Stamp& stamp) {
    FileBytes f;
    struct stat st {};
    f.bytes = ReadIfThere(path, f.error, st);
    stamp = StampOf(st);
    return f;
}

void Project::reloadParams() {
    const FileBytes f = ReadStamped(pargenPath(), pargenStamp_);
    readParams(f.bytes, f.error);
}

void Project::reloadAccess() {
    FileBytes f = ReadStamped(sdoPath(), sdoStamp_);
    readAccess(std::move(f.bytes), f.error);
}

void Project::reloadDiagnosis() {
    const FileBytes f = ReadStamped(diagnosisPath(), diagnosisStamp_);
    readDiagnosis(f.bytes, f.error);
}

void Project::readParams(const std::optional<std::string>& bytes, const std::string& error) {
    // Field by field: GCC 12 takes a whole-part temporary for uninitialised.
    params_.report.state = LoadState::Absent;
    params_.report.reason.clear();
    params_.rootName = "Par_Gen";
    params_.texts = ParamTexts{};
    pargenDoc_ = Parsed(bytes, error, pargenPath(), params_.report);
    if (!pargenDoc_) return;
    const XmlNode root = pargenDoc_->root();
    params_.rootName = root.name();
    for (const ParamInfo& info : AllParams())
        if (auto e = root.findChild(info.element)) params_.texts[info.id] = e->text();
    try {
        CommParams p;
        ReadCommParams(params_, p);
    } catch (const std::exception& e) {
        params_.report = {LoadState::Partial, e.what()};
    }
}

namespace {
constexpr size_t kNoAttr = std::size(kAttrs);

// The attribute of a row named `name`, kNoAttr for another name; `next`,
// the one after the last found, is tried first, as rows are written in order.
size_t AttrIndex(const char* name, size_t next) {
    // Inline: a library strcmp costs more to start than these short names.
    auto same = [name](const char* known) {
        const char* n = name;
        while (*n && *n == *known)
            ++n, ++known;
        return *n == *known;
    };
    if (next < kNoAttr && same(kAttrs[next].name)) return next;
    for (size_t k = 0; k < kNoAttr; ++k)
        if (kAttrs[k].name[0] == name[0] && same(kAttrs[k].name)) return k;
    return kNoAttr;
}

// Reads every child node of `list` as a row; the walk is also the
// document's structure check for the list's subtree (at level 2), so a
// fault there goes to `fault` and stops it. `reason` gets the first row's
// reason to stop an editor's reading.
void ReadRows(pugi::xml_node list, AccessTable t, AccessTableRows& table, std::string& reason,
              std::string& fault) {
    const uint8_t mandatory = MandatoryBits(t);
    size_t count = 0;
    for (pugi::xml_node c = list.first_child(); c; c = c.next_sibling())
        ++count;
    // Made in one go: a row made one at a time is zeroed or moved each time.
    table.rows.resize(count);
    table.absent.resize(count);
    size_t index = 0;
    for (pugi::xml_node c = list.first_child(); c; c = c.next_sibling(), ++index) {
        AccessRow& row = table.rows[index];
        // One pass over the attributes; a name given twice is a fault of
        // the document, as the structure check finds it.
        uint8_t absent = 0x7F;
        bool other = false;
        size_t next = 0;
        for (pugi::xml_attribute a = c.first_attribute(); a; a = a.next_attribute()) {
            const size_t k = AttrIndex(a.name(), next);
            if (k == kNoAttr) {
                other = true;
                continue;
            }
            const uint8_t bit = uint8_t(kAttrs[k].bit);
            if (!(absent & bit)) {
                fault = "duplicate attribute";
                return;
            }
            row.*kAttrs[k].cell = a.value();
            absent &= uint8_t(~bit);
            next = k + 1;
        }
        if (other && HasDuplicateAttribute(c)) {
            fault = "duplicate attribute";
            return;
        }
        for (pugi::xml_node below = c.first_child(); below; below = below.next_sibling())
            if (fault = StructureFault(below, 4); !fault.empty()) return;
        if (absent) {
            for (const AttrInfo& a : kAttrs)
                if (absent & uint8_t(a.bit)) row.*a.cell = Fallback(t, a.bit);
            if (reason.empty())
                for (const AttrInfo& a : kAttrs)
                    if (absent & mandatory & uint8_t(a.bit)) {
                        reason = MissingAttribute(a.name);
                        break;
                    }
        }
        table.absent[index] = absent;
    }
}
} // namespace

void Project::readAccess(std::optional<std::string> bytes, const std::string& error) {
    auto reset = [&] {
        access_.rootName = kSdoRoot;
        access_.in = AccessTableRows{};
        access_.out = AccessTableRows{};
        sdoDoc_.reset();
        sdoBytes_.reset();
    };
    access_.report.state = LoadState::Absent;
    access_.report.reason.clear();
    reset();
    // The structure check is this reader's own walk, one pass for both.
    auto doc = Parsed(bytes, error, sdoPath(), access_.report, false);
    if (!doc) return;
    const pugi::xml_node root = doc->root().raw();
    pugi::xml_node lists[2];
    for (AccessTable t : {AccessTable::Read, AccessTable::Write})
        lists[size_t(t)] = root.child(AccessListName(t));
    std::string reasons[2];
    std::string fault = HasDuplicateAttribute(root) ? "duplicate attribute" : "";
    for (pugi::xml_node c = root.first_child(); c && fault.empty(); c = c.next_sibling()) {
        const AccessTable t = c == lists[0] ? AccessTable::Read : AccessTable::Write;
        if (c != lists[0] && c != lists[1]) {
            fault = StructureFault(c, 2);
        } else if (HasDuplicateAttribute(c)) {
            fault = "duplicate attribute";
        } else {
            access_.table(t).found = true;
            ReadRows(c, t, access_.table(t), reasons[size_t(t)], fault);
        }
    }
    if (!fault.empty()) {
        reset();
        access_.report = Unreadable(XmlDocument::StructureError(sdoPath(), fault));
        return;
    }
    access_.rootName = root.name();
    // The first reason in table order, as the editor reads the tables.
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        if (access_.report.state != LoadState::Read) break;
        if (!access_.table(t).found)
            access_.report = {LoadState::Partial, "Element '" + std::string(AccessListName(t)) +
                                                      "' not found in '" + root.name() + "'"};
        else if (!reasons[size_t(t)].empty())
            access_.report = {LoadState::Partial, reasons[size_t(t)]};
    }
    sdoDoc_ = std::move(doc);
    sdoBytes_ = std::make_shared<const std::string>(std::move(*bytes));
}

void Project::readDiagnosis(const std::optional<std::string>& bytes, const std::string& error) {
    diagnosis_ = DiagnosisPart{};
    const auto doc = Parsed(bytes, error, diagnosisPath(), diagnosis_.report);
    if (!doc) return;
    // Entries by position; the element names are not looked at.
    for (auto c = doc->root().raw().first_child(); c; c = c.next_sibling())
        diagnosis_.ids.push_back(XmlNode(c).text());
}

// --- Writers ---

std::string Project::paramsXml(const CommParams& p) const {
    if (auto failures = CommChoiceFailures(p); !failures.empty()) throw TessaroError(failures[0]);
    const ParamTexts texts = ParamTextsOf(p, params_.texts);
    XmlDocument doc = CopyOf(params_.report.usable() ? pargenDoc_ : nullptr);
    XmlNode root = params_.report.usable() ? doc.root() : doc.createRoot("Par_Gen");
    for (Param id : CommParamFileOrder()) {
        const std::string& value = *texts[id];
        if (auto e = root.findChild(InfoOf(id).element)) {
            if (e->text() != value) e->setText(value);
        } else {
            root.append(InfoOf(id).element).setText(value);
        }
    }
    return doc.toString();
}

namespace {
// `doc` with list `t` holding `rows`; the list is made where it is missing.
// `isRoot`: the list is the document's root.
void PutList(XmlDocument& doc, AccessTable t, const std::vector<AccessRow>& rows,
             bool isRoot = false) {
    XmlNode root = doc.root();
    std::optional<XmlNode> list = isRoot ? std::optional(root) : root.findChild(AccessListName(t));
    if (!list) {
        pugi::xml_node made;
        auto out = root.findChild(AccessListName(AccessTable::Write));
        if (t == AccessTable::Read && out)
            made = root.raw().insert_child_before(AccessListName(t), out->raw());
        else
            made = root.raw().append_child(AccessListName(t));
        list = XmlNode(made);
    }
    while (list->raw().first_child())
        list->raw().remove_child(list->raw().first_child());
    for (const AccessRow& r : rows)
        WriteRow(*list, r);
}

// Where element `e` stands in the bytes it was parsed from: from its '<' to
// the '>' that ends it. Nothing when that cannot be told for sure.
std::optional<std::pair<size_t, size_t>> SpanOf(const std::string& bytes, pugi::xml_node e,
                                                const std::string& rootName) {
    const ptrdiff_t off = e.offset_debug();
    if (off <= 0 || size_t(off) > bytes.size() || bytes[size_t(off) - 1] != '<')
        return std::nullopt;
    const size_t begin = size_t(off) - 1;
    size_t limit;
    if (pugi::xml_node next = e.next_sibling()) {
        const ptrdiff_t n = next.offset_debug();
        if (n <= 0 || next.type() != pugi::node_element) return std::nullopt;
        limit = size_t(n) - 1;
    } else {
        limit = bytes.rfind("</" + rootName);
    }
    if (limit == std::string::npos || limit <= begin || limit > bytes.size()) return std::nullopt;
    size_t end = limit;
    while (end > begin && std::isspace(static_cast<unsigned char>(bytes[end - 1])))
        --end;
    if (end == begin || bytes[end - 1] != '>') return std::nullopt;
    return std::pair{begin, end};
}

} // namespace

std::string Project::accessXml(const AccessMap& map) const {
    // Set Access owns both tables: a file it could not read is replaced.
    XmlDocument doc = CopyOf(access_.report.usable() ? sdoDoc_ : nullptr);
    if (!access_.report.usable()) doc.createRoot(kSdoRoot);
    const AccessMap runs = RunsOf(map);
    for (AccessTable t : {AccessTable::Read, AccessTable::Write})
        PutList(doc, t, runs.rows(t));
    return doc.toString();
}

std::string Project::accessTableXml(AccessTable t, const std::vector<AccessRow>& rows) const {
    if (access_.report.state == LoadState::Unreadable)
        throw TessaroError("sdo.xml cannot be read, so its other table cannot be kept: " +
                           access_.report.reason);
    XmlDocument doc = CopyOf(access_.report.usable() ? sdoDoc_ : nullptr);
    if (!access_.report.usable()) {
        doc.createRoot(kSdoRoot);
        PutList(doc, AccessTable::Read, {});
        PutList(doc, AccessTable::Write, {});
    }
    // The file's own bytes around the list, when it can be found in them:
    // everything else, the other table included, stays as it was written.
    const AccessTable other = t == AccessTable::Read ? AccessTable::Write : AccessTable::Read;
    const bool found = access_.table(t).found;
    if (access_.report.usable() && sdoBytes_ && (found || access_.table(other).found)) {
        const pugi::xml_node root = sdoDoc_->root().raw();
        const pugi::xml_node list = root.child(AccessListName(found ? t : other));
        if (auto span = SpanOf(*sdoBytes_, list, access_.rootName)) {
            XmlDocument one;
            if (found)
                one.raw().append_copy(list);
            else
                one.createRoot(AccessListName(t));
            PutList(one, t, rows, true);
            const std::string& b = *sdoBytes_;
            // A missing list goes where Set Access would have it: the read
            // table before the write table.
            if (!found)
                span = t == AccessTable::Read ? std::pair{span->first, span->first}
                                              : std::pair{span->second, span->second};
            std::string spliced =
                b.substr(0, span->first) + one.toString() + b.substr(span->second);
            try {
                XmlDocument check;
                check.loadString(spliced);
                return spliced;
            } catch (const std::exception&) {
                // Not what it seemed: the document as a whole then.
            }
        }
    }
    PutList(doc, t, rows);
    return doc.toString();
}

void Project::saveParams(const CommParams& p) {
    const std::string xml = paramsXml(p);
    try {
        WriteFileAtomic(pargenPath(), xml);
    } catch (const FileError& e) {
        throw XmlError(e.what());
    }
    pargenStamp_ = StampOf(pargenPath());
    readParams(xml, "");
}

namespace {
void WriteDocument(const std::string& path, const std::string& xml) {
    try {
        WriteFileAtomic(path, xml);
    } catch (const FileError& e) {
        throw XmlError(e.what());
    }
}
} // namespace

void Project::saveAccessMap(const AccessMap& map) {
    const std::string xml = accessXml(map);
    WriteDocument(sdoPath(), xml);
    sdoStamp_ = StampOf(sdoPath());
    readAccess(xml, "");
}

void Project::saveAccessTable(AccessTable t, const std::vector<AccessRow>& rows) {
    const std::string xml = accessTableXml(t, rows);
    WriteDocument(sdoPath(), xml);
    sdoStamp_ = StampOf(sdoPath());
    readAccess(xml, "");
}

void Project::saveDiagnosis(const std::vector<std::string>& ids) {
    const std::string xml = DiagnosisXml(ids);
    WriteDocument(diagnosisPath(), xml);
    diagnosisStamp_ = StampOf(diagnosisPath());
    readDiagnosis(xml, "");
}

// --- Views ---

void ReadCommParams(const ParamsPart& part, CommParams& p) {
    const ParamTexts& t = part.texts;
    auto text = [&](Param id) -> const std::string& {
        if (!t[id])
            throw XmlError("Element '" + std::string(InfoOf(id).element) + "' not found in '" +
                           part.rootName + "'");
        return *t[id];
    };
    // No fallback: an error here ends the reading.
    p.SerBaud = ParseInteger(text(Param::SerBaud));
    p.SerPar = ParseInteger(text(Param::SerPar));
    p.SerTO = text(Param::SerTO);
    p.SerCD = text(Param::SerCD);
    p.SerType = ParseInteger(text(Param::SerType)) == 1 ? 1 : 0;
    const int prot = ParseInteger(text(Param::SerProt));
    p.SerProt = prot >= 0 && prot <= 3 ? prot : 4;

    auto orText = [&](Param id) { return t[id] ? *t[id] : std::string(InfoOf(id).fallback); };
    auto number = [&](Param id, int fallback) {
        return t[id] ? ParseInteger(*t[id], fallback) : fallback;
    };
    p.SerWriteMode = number(Param::SerWriteMode, 0) != 0 ? 1 : 0;
    p.DnId = orText(Param::DnId);
    p.DnBaud = number(Param::DnBaud, 2);
    p.DnNbIn = orText(Param::DnNbIn);
    p.DnNbOut = orText(Param::DnNbOut);
    p.DnEnableError = number(Param::DnEnableError, 0) == 1;
    p.DnNumContErr = orText(Param::DnNumContErr);
    p.DnValCancData = orText(Param::DnValCancData);
}

CommParams CommParamsOf(const ParamsPart& part) {
    CommParams p;
    try {
        ReadCommParams(part, p);
    } catch (const std::exception&) {
        // What was read before the stop is kept, the rest are the defaults.
    }
    return p;
}

ParamTexts ParamTextsOf(const CommParams& p, const ParamTexts& stored) {
    ParamTexts out = stored;
    auto code = [&](Param id, int value) {
        const auto& s = stored[id];
        const bool same = s && TryParseInteger(*s) == std::optional<int32_t>(value);
        out[id] = same ? *s : std::to_string(value);
    };
    code(Param::SerBaud, p.SerBaud);
    code(Param::SerPar, p.SerPar);
    out[Param::SerTO] = p.SerTO;
    out[Param::SerCD] = p.SerCD;
    code(Param::SerType, p.SerType == 1 ? 1 : 0);
    code(Param::SerProt, p.SerProt >= 0 && p.SerProt <= 3 ? p.SerProt : 4);
    code(Param::SerWriteMode, p.SerWriteMode != 0 ? 1 : 0);
    out[Param::DnId] = p.DnId;
    code(Param::DnBaud, p.DnBaud);
    out[Param::DnNbIn] = p.DnNbIn;
    out[Param::DnNbOut] = p.DnNbOut;
    code(Param::DnEnableError, p.DnEnableError ? 1 : 0);
    out[Param::DnNumContErr] = p.DnNumContErr;
    out[Param::DnValCancData] = p.DnValCancData;
    return out;
}

AccessBounds BoundsOf(const ParamsPart& part) {
    auto size = [&](Param id) {
        const auto& t = part.texts[id];
        return t ? TryParseInteger(*t).value_or(DefaultDeviceNetBytes) : DefaultDeviceNetBytes;
    };
    return {size(Param::DnNbIn), size(Param::DnNbOut)};
}

ProfiSizes ProfiSizesOf(const ParamsPart& part) {
    auto size = [&](Param id) {
        const auto& t = part.texts[id];
        const std::optional<int32_t> v = t ? TryParseInteger(*t) : std::nullopt;
        return v && *v >= 0 ? int(*v) : 244;
    };
    return {size(Param::ProfiNbIn), size(Param::ProfiNbOut)};
}

AccessMap EditorAccessMap(const AccessPart& part, std::string* stop) {
    // The report's reason is the first place where Set Access stops reading:
    // a missing list, or a row without a mandatory attribute.
    AccessMap map;
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        const AccessTableRows& table = part.table(t);
        if (!table.found) break;
        const uint8_t mandatory = MandatoryBits(t);
        auto& rows = map.rows(t);
        size_t i = 0;
        for (; i < table.rows.size() && !(table.absent[i] & mandatory); ++i)
            if (rows.size() < size_t(AccessMapRows)) rows.push_back(table.rows[i]);
        if (i < table.rows.size()) break;
    }
    if (stop) *stop = part.report.state == LoadState::Read ? std::string() : part.report.reason;
    return map;
}

AccessMap StoredAccessMap(const AccessPart& part) {
    return {part.in.rows, part.out.rows};
}
