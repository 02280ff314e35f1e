#include "core/device/ConfigImage.h"

#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/Lookup.h"
#include "core/project/ParseInteger.h"
#include "core/project/Text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <optional>

namespace bank {
namespace {

// Appends little-endian fields at the write position; every write is
// bounds-checked even though the size is checked before the build starts.
class ImageWriter {
public:
    ImageWriter(uint8_t* buf, size_t capacity) : buf_(buf), cap_(capacity) {}

    size_t pos() const { return pos_; }
    void seek(size_t pos) { pos_ = pos; }
    void put8(int32_t v) { putAt(pos_, uint32_t(v), 1), pos_ += 1; }
    void put16(int32_t v) { putAt(pos_, uint32_t(v), 2), pos_ += 2; }
    void put32(int32_t v) { putAt(pos_, uint32_t(v), 4), pos_ += 4; }
    void skip(size_t n) { pos_ += n; }
    void put32At(size_t at, int32_t v) { putAt(at, uint32_t(v), 4); }

private:
    void putAt(size_t at, uint32_t v, size_t width) {
        if (at + width > cap_)
            throw TessaroError("The configuration image does not fit in its buffer of " +
                               std::to_string(cap_) + " bytes");
        for (size_t i = 0; i < width; ++i)
            buf_[at + i] = uint8_t(v >> (8 * i));
    }

    uint8_t* buf_;
    size_t cap_;
    size_t pos_ = 0;
};

// One stored row of a table, its values converted as the image needs them.
struct RowReader {
    const AccessTableRows& table;
    AccessTable t;
    size_t index;

    const AccessRow& row() const { return table.rows[index]; }
    int32_t number(AccessAttr a, const char* column, const std::string& text) const {
        if (table.lacks(index, a))
            throw XmlError(std::string("Error in ") + SdoFile + ": row " +
                           std::to_string(index + 1) + " of " + AccessListName(t) +
                           " has no attribute '" + AccessAttrName(a) + "'");
        if (auto v = TryParseInteger(text)) return *v;
        try {
            return ParseInteger(text);
        } catch (const EConvertError& e) {
            throw EConvertError(std::string("Error in ") + SdoFile + ": " + AccessTableName(t) +
                                " table row " + std::to_string(index + 1) + ", " + column + ": " +
                                e.what());
        }
    }
    int32_t slave() const { return number(AccessAttr::SlaveId, "Slave ID", row().SlaveId); }
    int32_t address() const {
        return number(AccessAttr::AddressMod, "Address Register", row().AddressMod);
    }
    int32_t points() const { return number(AccessAttr::NPoint, "NPoint", row().NPoint); }
    int32_t deviceNet() const {
        return number(AccessAttr::AddressDeviceNet, "Address DeviceNet", row().AddressDeviceNet);
    }
    uint8_t type() const {
        if (t == AccessTable::Read && table.lacks(index, AccessAttr::Type))
            throw XmlError(std::string("Error in ") + SdoFile + ": row " +
                           std::to_string(index + 1) + " of " + AccessListName(t) +
                           " has no attribute '" + AccessAttrName(AccessAttr::Type) + "'");
        return ImageTypeCode(t, row().Type);
    }
    uint8_t swap() const { return EqualsAsciiNoCase(row().Swap, "Y") ? 1 : 0; }
};

// A serial-read or serial-write record: the write record has its type
// after the addresses.
void PutRecord(ImageWriter& w, const RowReader& r) {
    const bool read = r.t == AccessTable::Read;
    w.put8(r.slave());
    if (read) w.put8(r.type());
    w.put16(r.address());
    w.put8(r.points());
    w.put16(r.deviceNet());
    if (!read) w.put8(r.type());
    w.put8(r.swap());
}

int32_t Mandatory(const ParamsPart& part, Param id) {
    const auto& text = part.texts[id];
    const char* name = InfoOf(id).element;
    if (!text)
        throw XmlError(std::string("Error in ") + PargenFile + ": element '" + name +
                       "' not found");
    try {
        return ParseInteger(*text);
    } catch (const EConvertError& e) {
        throw EConvertError(std::string("Error in ") + PargenFile + ": " + name + ": " + e.what());
    }
}

int32_t Optional(const ParamsPart& part, Param id, int32_t def) {
    const auto& text = part.texts[id];
    return text ? ParseInteger(*text, def) : def;
}

void PutParamBlock(ImageWriter& w, const ParamsPart& part, size_t nIn, size_t nOut) {
    w.put8(Mandatory(part, Param::SerBaud));
    w.put8(Mandatory(part, Param::SerPar));
    w.put16(Mandatory(part, Param::SerTO));
    w.put16(Mandatory(part, Param::SerCD));
    w.put8(Mandatory(part, Param::SerType) == 1 ? 0 : 1);
    // Binary framing for Modbus RTU, JBUS and Binary, ASCII framing for the
    // two ASCII protocols; an unknown code (a check error) gets binary framing.
    static constexpr std::pair<int, uint8_t> framing[] = {{0, 0}, {1, 1}, {2, 0}, {3, 0}, {4, 1}};
    w.put8(Lookup(framing, Mandatory(part, Param::SerProt) & 0xFF, uint8_t(0)));
    w.put8(Mandatory(part, Param::DnId));
    w.put8(Mandatory(part, Param::DnBaud));
    w.put16(Mandatory(part, Param::DnNbIn));
    w.put16(Mandatory(part, Param::DnNbOut));
    w.put16(int32_t(nIn));
    w.put16(int32_t(nOut));
    w.put8(Optional(part, Param::SerWriteMode, 0));
    w.put8(Optional(part, Param::DnEnableError, 0));
    w.put8(Optional(part, Param::DnNumContErr, 3));
    w.put8(Optional(part, Param::DnValCancData, 0));
}

} // namespace
} // namespace bank

std::vector<uint8_t> BuildImage(const Project& project) {
    using namespace bank;
    const AccessPart& access = project.access();
    const ParamsPart& params = project.params();
    access.report.requireReadable();
    params.report.requireReadable();
    const bool withParams = params.report.present();

    size_t nIn = 0, nOut = 0;
    if (access.report.present()) {
        for (AccessTable t : {AccessTable::Read, AccessTable::Write})
            if (!access.table(t).found)
                throw XmlError(std::string("Error in ") + SdoFile + ": element '" +
                               AccessListName(t) + "' not found");
        nIn = access.in.rows.size();
        nOut = access.out.rows.size();
    }
    const size_t need = HeaderSize + RecordSize * (nIn + nOut) + (withParams ? ParamBlockSize : 0);
    if (need > Capacity)
        throw TessaroError("The project needs a configuration image of " + std::to_string(need) +
                           " bytes, more than the " + std::to_string(Capacity) +
                           " bytes the image can hold (" + std::to_string(nIn) + " read rows, " +
                           std::to_string(nOut) + " write rows)");

    std::vector<uint8_t> buf(need, 0);
    ImageWriter w(buf.data(), buf.size());
    w.put32(int32_t(HeaderSize));
    w.seek(HeaderSize);
    for (AccessTable t : {AccessTable::Read, AccessTable::Write})
        for (size_t i = 0; i < access.table(t).rows.size(); ++i)
            PutRecord(w, RowReader{access.table(t), t, i});
    w.put32At(OffParamBlock, int32_t(w.pos()));
    if (withParams) PutParamBlock(w, params, nIn, nOut);
    buf.resize(w.pos());
    return buf;
}

std::vector<uint8_t> BuildImage(const std::string& projectFolder) {
    // An empty folder would make the paths point at the file system root.
    if (projectFolder.empty()) throw TessaroError("Project not valid");
    return BuildImage(Project::load(projectFolder));
}

std::string BankPath(const std::string& projectFolder) {
    return projectFolder + PathSep + bank::BinFolder + PathSep + bank::BankFile;
}

void WriteImage(const std::string& projectFolder, const std::vector<uint8_t>& image) {
    if (projectFolder.empty()) throw TessaroError("Project not valid");
    // New Project makes bin/; a project copied without it gets it here.
    const std::string bin = projectFolder + PathSep + bank::BinFolder;
    if (!DirectoryExists(bin) && !ForceDirectories(bin))
        throw FileError("Cannot create folder \"" + bin + "\". " + SystemErrorText(errno), errno);
    WriteFileAtomic(BankPath(projectFolder),
                    std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}
