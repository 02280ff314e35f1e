#include "core/device/ConfigImage.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

#include <algorithm>
#include <cctype>
#include <optional>

uint8_t BankBuf[bank::Capacity];
int32_t BankLen = 0;

namespace bank {
namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

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

struct RowReader {
    const XmlNode& row;
    const char* table;
    size_t index;

    std::optional<std::string> find(const char* name) const { return row.findAttr(name); }
    std::string get(const char* name) const {
        if (auto v = row.findAttr(name)) return *v;
        throw XmlError(std::string("Error in ") + SdoFile + ": row " + std::to_string(index + 1) +
                       " of " + table + " has no attribute '" + name + "'");
    }
    int32_t number(const char* name) const { return ParseInteger(get(name)); }
    uint8_t swap() const {
        auto v = find("Swap");
        return v && Upper(*v) == "Y" ? 1 : 0;
    }
};

uint8_t ReadTypeCode(const std::string& text) {
    std::string t = Upper(text);
    if (t == "COIL STATUS") return TypeCoilStatus;
    if (t == "INPUT STATUS") return TypeInputStatus;
    if (t == "HOLDING REGISTER") return TypeHoldingRegister;
    if (t == "INPUT REGISTER") return TypeInputRegister;
    return TypeHoldingRegister;
}

void PutReadRecord(ImageWriter& w, const RowReader& r) {
    w.put8(r.number("Slave_ID"));
    w.put8(ReadTypeCode(r.get("Type")));
    w.put16(r.number("Address_Mod"));
    w.put8(r.number("NPoint"));
    w.put16(r.number("Address_DeviceNet"));
    w.put8(r.swap());
}

void PutWriteRecord(ImageWriter& w, const RowReader& r) {
    w.put8(r.number("Slave_ID"));
    w.put16(r.number("Address_Mod"));
    w.put8(r.number("NPoint"));
    w.put16(r.number("Address_DeviceNet"));
    auto type = r.find("Type");
    w.put8(type && Upper(*type) == "COIL STATUS" ? TypeCoilStatus : TypeHoldingRegister);
    w.put8(r.swap());
}

XmlNode ListOf(const XmlNode& root, const char* name) {
    if (auto n = root.findChild(name)) return *n;
    throw XmlError(std::string("Error in ") + SdoFile + ": element '" + name + "' not found");
}

int32_t Mandatory(const XmlNode& root, const char* name) {
    auto n = root.findChild(name);
    if (!n)
        throw XmlError(std::string("Error in ") + PargenFile + ": element '" + name +
                       "' not found");
    return ParseInteger(n->text());
}

int32_t Optional(const XmlNode& root, const char* name, int32_t def) {
    auto n = root.findChild(name);
    return n ? ParseInteger(n->text(), def) : def;
}

void PutParamBlock(ImageWriter& w, const XmlNode& root, size_t nIn, size_t nOut) {
    w.put8(Mandatory(root, "Ser_Baud"));
    w.put8(Mandatory(root, "Ser_Par"));
    w.put16(Mandatory(root, "Ser_TO"));
    w.put16(Mandatory(root, "Ser_CD"));
    w.put8(Mandatory(root, "Ser_Type") == 1 ? 0 : 1);
    switch (Mandatory(root, "Ser_Prot") & 0xFF) {
    case 0:
    case 2:
    case 3:
        w.put8(0);
        break;
    case 1:
    case 4:
        w.put8(1);
        break;
    default:
        // An unknown protocol leaves the byte as the buffer held it.
        w.skip(1);
        break;
    }
    w.put8(Mandatory(root, "DN_ID"));
    w.put8(Mandatory(root, "DN_Baud"));
    w.put16(Mandatory(root, "DN_NB_IN"));
    w.put16(Mandatory(root, "DN_NB_OUT"));
    w.put16(int32_t(nIn));
    w.put16(int32_t(nOut));
    w.put8(Optional(root, "Ser_Write_Mode", 0));
    w.put8(Optional(root, "DN_Enable_Error", 0));
    w.put8(Optional(root, "DN_Num_Cont_Err", 3));
    w.put8(Optional(root, "DN_Val_Canc_Data", 0));
}

} // namespace

int32_t Build(const std::string& folder, uint8_t* buf, size_t capacity) {
    // An empty folder would make the paths below point at the file system root.
    if (folder.empty()) throw TessaroError("Project not valid");

    ImageWriter w(buf, capacity);
    w.put32(int32_t(HeaderSize));
    w.seek(HeaderSize);

    const std::string sdoPath = folder + PathSep + SdoFile;
    const std::string pargenPath = folder + PathSep + PargenFile;
    const bool withParams = FileExists(pargenPath);

    size_t nIn = 0, nOut = 0;
    if (FileExists(sdoPath)) {
        XmlDocument doc;
        doc.load(sdoPath);
        XmlNode root = doc.root();
        XmlNode in = ListOf(root, "DeviceNet_IN");
        XmlNode out = ListOf(root, "DeviceNet_OUT");
        nIn = in.childCount();
        nOut = out.childCount();

        const size_t need =
            HeaderSize + RecordSize * (nIn + nOut) + (withParams ? ParamBlockSize : 0);
        if (need > capacity)
            throw TessaroError("The project needs a configuration image of " +
                               std::to_string(need) + " bytes, more than the " +
                               std::to_string(capacity) + " bytes the image can hold (" +
                               std::to_string(nIn) + " read rows, " + std::to_string(nOut) +
                               " write rows)");

        size_t i = 0;
        for (auto c = in.raw().first_child(); c; c = c.next_sibling(), ++i) {
            XmlNode row(c);
            PutReadRecord(w, RowReader{row, "DeviceNet_IN", i});
        }
        i = 0;
        for (auto c = out.raw().first_child(); c; c = c.next_sibling(), ++i) {
            XmlNode row(c);
            PutWriteRecord(w, RowReader{row, "DeviceNet_OUT", i});
        }
    }

    w.put32At(OffParamBlock, int32_t(w.pos()));

    if (withParams) {
        XmlDocument doc;
        doc.load(pargenPath);
        PutParamBlock(w, doc.root(), nIn, nOut);
    }
    return int32_t(w.pos());
}

} // namespace bank

std::string BankPath(const std::string& projectFolder) {
    return projectFolder + PathSep + bank::BinFolder + PathSep + bank::BankFile;
}

void BuildBank(const std::string& projectFolder) {
    BankLen = int32_t(bank::HeaderSize);
    BankLen = bank::Build(projectFolder, BankBuf, bank::Capacity);
}

void WriteBank(const std::string& projectFolder) {
    if (projectFolder.empty()) throw TessaroError("Project not valid");
    WriteFileAtomic(BankPath(projectFolder),
                    std::string_view(reinterpret_cast<const char*>(BankBuf), size_t(BankLen)));
}

std::vector<uint8_t> BuildImage(const std::string& projectFolder) {
    std::vector<uint8_t> buf(bank::Capacity, 0);
    buf.resize(size_t(bank::Build(projectFolder, buf.data(), buf.size())));
    return buf;
}
