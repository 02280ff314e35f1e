#pragma once
// The project as one model: every file of a project folder read once, by one
// reader per file, into typed parts that keep each value's stored text. The
// check, the image, the byte map, the report, the CSV commands, the probe and
// the windows all take it; each file has one writer, which replaces only the
// part it owns and copies every other part of the file as it was read.
#include "core/editors/AccessMap.h"
#include "core/editors/CommParams.h"
#include "core/model/ParamFields.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

class XmlDocument;

enum class LoadState { Absent, Read, Partial, Unreadable };

// How one file of the project was read.
struct LoadReport {
    LoadState state = LoadState::Absent;
    std::string reason; // why it was read in part or not at all
    bool present() const { return state != LoadState::Absent; }
    // Read whole or in part: its parts hold what the file holds.
    bool usable() const { return state == LoadState::Read || state == LoadState::Partial; }
    // XmlError with the reason when the file is there but could not be read;
    // requireWhole also when it was read only in part.
    void requireReadable() const;
    void requireWhole() const;
};

// The attributes of an access-map row, as bits of AccessTableRows::absent.
enum class AccessAttr : uint8_t {
    SlaveId = 1,
    Type = 2,
    AddressMod = 4,
    NPoint = 8,
    Swap = 16,
    AddressDeviceNet = 32,
    Mnemonic = 64,
};

// "DeviceNet_IN" / "DeviceNet_OUT", the list element of a table.
const char* AccessListName(AccessTable t);
// "Slave_ID", "Type", ...: the attribute of a row.
const char* AccessAttrName(AccessAttr a);

// One list of sdo.xml: every child node of the list element in order, also
// those below an empty Slave ID and past the 455 a grid shows.
struct AccessTableRows {
    bool found = false; // the list element exists
    std::vector<AccessRow> rows;
    std::vector<uint8_t> absent; // per row, the AccessAttr bits the row lacks

    bool lacks(size_t row, AccessAttr a) const {
        return row < absent.size() && (absent[row] & static_cast<uint8_t>(a));
    }
};

struct AccessPart {
    LoadReport report;
    std::string rootName = "Serial_to_ProfiBus";
    AccessTableRows in, out;
    const AccessTableRows& table(AccessTable t) const { return t == AccessTable::Read ? in : out; }
    AccessTableRows& table(AccessTable t) { return t == AccessTable::Read ? in : out; }
};

struct ParamsPart {
    LoadReport report;
    std::string rootName = "Par_Gen";
    ParamTexts texts;
};

struct DiagnosisPart {
    LoadReport report;
    std::vector<std::string> ids; // every element's text, also past the 64 entries
};

class Project {
public:
    Project();
    ~Project();
    Project(const Project&);
    Project& operator=(const Project&);
    Project(Project&&) noexcept;
    Project& operator=(Project&&) noexcept;

    // Reads pargen.xml, sdo.xml and diagnosis.xml of the folder. Never throws
    // for what the files hold: each part's report says how it was read.
    static Project load(const std::string& folder);
    // The same from texts (an empty optional for an absent file), for tests
    // and fuzzing; `folder` is only remembered.
    static Project fromTexts(const std::optional<std::string>& pargen,
                             const std::optional<std::string>& sdo,
                             const std::optional<std::string>& diagnosis,
                             const std::string& folder = "");

    // One file read alone from any path, the other parts absent: the
    // readers and writers of a single file use it.
    enum class File { Pargen, Sdo, Diagnosis };
    static Project loadFile(File which, const std::string& path);

    const std::string& folder() const { return folder_; }
    const ParamsPart& params() const { return params_; }
    const AccessPart& access() const { return access_; }
    const DiagnosisPart& diagnosis() const { return diagnosis_; }

    // Re-reads the files changed on disk since they were read or written
    // (size, time or inode differ), so an edit made outside the program is
    // seen; true when one was.
    bool refresh();

    // Re-reads one file, as an editor does on each showing.
    void reloadParams();
    void reloadAccess();
    void reloadDiagnosis();

    // The writers: each builds its file from the part it is given and the
    // rest of the file as read, writes it through the safe file writer and
    // then holds the new content. They throw XmlError when writing fails.
    void saveParams(const CommParams& p);
    // Both tables, as Set Access stores them (the run of each).
    void saveAccessMap(const AccessMap& map);
    // One table; the other is copied from the file as read. Refused
    // (TessaroError) when sdo.xml is there but could not be read.
    void saveAccessTable(AccessTable t, const std::vector<AccessRow>& rows);
    void saveDiagnosis(const std::vector<std::string>& ids);

    // The texts the writers would store, without writing.
    std::string paramsXml(const CommParams& p) const;
    std::string accessXml(const AccessMap& map) const;
    std::string accessTableXml(AccessTable t, const std::vector<AccessRow>& rows) const;

    std::string pargenPath() const;
    std::string sdoPath() const;
    std::string diagnosisPath() const;

private:
    void readParams(const std::optional<std::string>& bytes, const std::string& error);
    void readAccess(std::optional<std::string> bytes, const std::string& error);
    void readDiagnosis(const std::optional<std::string>& bytes, const std::string& error);

    // What a file looked like on disk when it was last read or written.
    struct Stamp {
        bool exists = false;
        uint64_t dev = 0, ino = 0, size = 0;
        int64_t mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp StampOf(const std::string& path);
    static Stamp StampOf(const struct stat& st);
    // A file's bytes (none when absent or unreadable, `error` saying why),
    // its stamp taken from the opened file.
    struct FileBytes {
        std::optional<std::string> bytes;
        std::string error;
    };
    static FileBytes ReadStamped(const std::string& path, Stamp& stamp);

    std::string folder_;
    std::string pargenPath_, sdoPath_, diagnosisPath_; // set by loadFile
    Stamp pargenStamp_, sdoStamp_, diagnosisStamp_;
    ParamsPart params_;
    AccessPart access_;
    DiagnosisPart diagnosis_;
    // The documents as read, for the writers to copy what they do not own.
    std::shared_ptr<const XmlDocument> pargenDoc_, sdoDoc_;
    // sdo.xml's bytes as read, so that a save of one table copies the other
    // byte for byte.
    std::shared_ptr<const std::string> sdoBytes_;
};

// --- Views of the parts as the editors show them ---

// Set Communication's fields. Elements with a fallback take it when missing
// or not a number; any other problem throws (XmlError, EConvertError) after
// the fields read so far were set, as the editor's reading stops there.
void ReadCommParams(const ParamsPart& part, CommParams& into);
// The communication parameters with every fallback, never throwing: what the
// probe, the report and the other consumers use.
CommParams CommParamsOf(const ParamsPart& part);
// The texts Set Communication stores for `p`: list codes as numbers, edit
// boxes as typed; a stored text that means the same code is kept.
ParamTexts ParamTextsOf(const CommParams& p, const ParamTexts& stored = {});

// N Byte IN / N Byte OUT, 455 where missing or not a number.
AccessBounds BoundsOf(const ParamsPart& part);
// Profi_NB_IN / Profi_NB_OUT, 244 where missing, not a number or negative.
struct ProfiSizes {
    int in = 244, out = 244;
};
ProfiSizes ProfiSizesOf(const ParamsPart& part);

// The access map as Set Access shows it: per table the rows up to the first
// row lacking a mandatory attribute, at most 455; `stop` gets the reason the
// loading stopped, if it did.
AccessMap EditorAccessMap(const AccessPart& part, std::string* stop = nullptr);
// Every row of both tables, as the image and the check see them.
AccessMap StoredAccessMap(const AccessPart& part);
