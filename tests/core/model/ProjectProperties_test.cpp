// Properties of the project model over generated projects, valid and not:
// the check and the image agree, the byte map lies where the image puts the
// rows, a table's CSV round trip gives back its file, a save of one part
// keeps the others, and no project leaks into the next.
#include "core/device/BankDump.h"
#include "core/device/ConfigImage.h"
#include "core/editors/ByteMap.h"
#include "core/editors/ProjectCheck.h"
#include "core/editors/TableCsv.h"
#include "core/model/Check.h"
#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/XmlDoc.h"

#include "ImageModel.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class Generator {
public:
    // Half the projects are faulty somewhere, the others use only values the
    // editors would store (in various spellings).
    explicit Generator(unsigned seed) : rng_(seed) { dirty_ = chance(2); }

    // A pargen.xml text, or nothing (no file).
    std::optional<std::string> pargen() {
        if (dirty_ && chance(4)) return std::nullopt;
        std::string x = "<Par_Gen>";
        const std::pair<const char*, std::vector<std::string>> fields[] = {
            {"Ser_Baud", {"7", "0x05", " 4", "9", "x", "+2"}},
            {"Ser_Par", {"0", "1", "2", "$1", "3"}},
            {"Ser_TO", {"1000", "0", "10000", "0x3E8", "20000", "-1", ""}},
            {"Ser_CD", {"100", "0", "1000", "1001", "abc"}},
            {"Ser_Type", {"1", "0", "5"}},
            {"Ser_Prot", {"0", "1", "2", "3", "4", "9", "0x104", "RTU"}},
            {"Ser_Write_Mode", {"0", "1", "2", "cyclic"}},
            {"DN_ID", {"1", "63", "0", "64", "0x10"}},
            {"DN_Baud", {"0", "1", "2", "3"}},
            {"DN_NB_IN", {"455", "20", "0", "456", "$40"}},
            {"DN_NB_OUT", {"455", "20", "8", "500"}},
            {"DN_Enable_Error", {"0", "1", "2"}},
            {"DN_Num_Cont_Err", {"3", "1", "250", "251", "999", ""}},
            {"DN_Val_Canc_Data", {"0x00", "0xFF", "$10", "256", "abc"}},
            {"Profi_NB_IN", {"244", "100", "-5"}},
        };
        for (const auto& [name, values] : fields) {
            if (dirty_ && chance(12)) continue; // element missing
            const std::string& v = dirty_ && chance(4) ? pick(values) : values.front();
            x += std::string("<") + name + ">" + v + "</" + name + ">";
        }
        return x + "</Par_Gen>";
    }

    std::optional<std::string> sdo() {
        if (chance(8)) return std::nullopt;
        std::string x = "<Serial_to_ProfiBus>";
        for (bool read : {true, false}) {
            const char* list = read ? "DeviceNet_IN" : "DeviceNet_OUT";
            if (dirty_ && chance(40)) continue;
            x += std::string("<") + list + ">";
            int rows = int(rng_() % 12);
            if (chance(25)) rows = (dirty_ ? 455 : 440) + int(rng_() % 6);
            for (int r = 0; r < rows; ++r)
                x += row(read, r);
            x += std::string("</") + list + ">";
        }
        return x + "</Serial_to_ProfiBus>";
    }

private:
    bool chance(int oneIn) { return rng_() % unsigned(oneIn) == 0; }
    bool dirty_ = false;
    const std::string& pick(const std::vector<std::string>& v) { return v[rng_() % v.size()]; }

    std::string row(bool read, int r) {
        static const std::vector<std::string> readTypes = {"Coil Status",
                                                           "Input Status",
                                                           "Holding Register",
                                                           "Input Register",
                                                           "holding register",
                                                           "COIL STATUS",
                                                           "Coil",
                                                           "Foo",
                                                           ""};
        static const std::vector<std::string> writeTypes = {"Coil Status",    "Holding Register",
                                                            "coil status",    "Input Status",
                                                            "Input Register", "Foo"};
        const bool bad = dirty_ && chance(6);
        auto attr = [&](const char* name, const std::string& good,
                        const std::vector<std::string>& odd) {
            if (bad && chance(8)) return std::string(); // attribute missing
            const std::string& v = bad && chance(3) ? pick(odd) : good;
            return std::string(" ") + name + "=\"" + v + "\"";
        };
        const int slave = 1 + int(rng_() % 250);
        const int points = 1 + int(rng_() % 20);
        // Clean rows take a type of their table, in any letter case.
        const std::vector<std::string>& types = read ? readTypes : writeTypes;
        const std::string& type =
            dirty_ && chance(5) ? pick(types) : types[rng_() % (read ? 6 : 3)];
        std::string x = "<row";
        x += attr("Slave_ID", chance(4) ? "0x" + Hex(slave) : std::to_string(slave),
                  {"0", "", "251", "999", "abc", " 7"});
        x += attr("Type", type, {"", "Foo"});
        x += attr("Address_Mod", std::to_string(rng_() % 60000), {"70000", "-1", "$FFFF"});
        x += attr("NPoint", std::to_string(points), {"0", "128", "300", "+5"});
        x += attr("Swap", chance(2) ? "Y" : "N", {"", "y", "YES"});
        x += attr("Address_DeviceNet", std::to_string(rng_() % 20), {"9999", "-1", ""});
        x +=
            attr("Mnemonic",
                 "m" + std::to_string(r) + (chance(5) ? " &quot;q&quot; &amp; &lt;a&gt;, b;c" : ""),
                 {""});
        return x + "/>";
    }

    static std::string Hex(int v) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%X", v);
        return buf;
    }

    std::mt19937 rng_;
};

constexpr int kProjects = 300;

// The image's layout of one direction: bytes from each record's DeviceNet
// byte, registers two a point, coils and inputs one bit a point.
std::vector<std::vector<int>> LayoutOf(const std::vector<BankRecord>& records, size_t area) {
    std::vector<std::vector<int>> users(area);
    for (size_t i = 0; i < records.size(); ++i) {
        const BankRecord& r = records[i];
        const bool bits = r.type == 1 || r.type == 2;
        const int length = bits ? (r.points + 7) / 8 : 2 * r.points;
        for (int b = r.addressDeviceNet; b < r.addressDeviceNet + length; ++b) {
            if (size_t(b) >= users.size()) users.resize(size_t(b) + 1);
            users[size_t(b)].push_back(int(i) + 1);
        }
    }
    return users;
}

TEST(ProjectProperties, CheckAndImageAgreeOnGeneratedProjects) {
    int clean = 0, refused = 0;
    for (int seed = 0; seed < kProjects; ++seed) {
        Generator g{unsigned(seed)};
        const auto pargen = g.pargen();
        const auto sdo = g.sdo();
        const Project p = Project::fromTexts(pargen, sdo, std::nullopt);
        const bool errors = HasErrors(CheckProject(p));
        std::vector<uint8_t> image;
        try {
            image = BuildImage(p);
        } catch (const TessaroError& e) {
            ++refused;
            EXPECT_TRUE(errors) << "seed " << seed << ": the check passed, the build said "
                                << e.what();
            continue;
        }
        const std::string mismatch = ImageMismatch(p, image);
        if (!mismatch.empty()) {
            EXPECT_TRUE(errors) << "seed " << seed << ": the check passed, the image differs at "
                                << mismatch;
            continue;
        }
        if (errors) continue;
        ++clean;
        // The byte map of the check lies where the image puts the rows.
        const BankImage img = DecodeBank(image);
        const ByteMaps maps = ComputeByteMaps(StoredAccessMap(p.access()), BoundsOf(p.params()));
        for (const auto& [map, records] :
             {std::pair{&maps.read, &img.in}, std::pair{&maps.write, &img.out}}) {
            auto expected = LayoutOf(*records, size_t(map->areaBytes));
            EXPECT_EQ(map->users, expected) << "seed " << seed;
        }
    }
    // The generator gives both kinds in number.
    EXPECT_GT(clean, kProjects / 5);
    EXPECT_GT(refused, kProjects / 20);
}

TEST(ProjectProperties, ProjectsLoadedInTurnBuildAsAlone) {
    std::vector<std::vector<uint8_t>> alone;
    std::vector<Project> projects;
    for (int seed = 0; seed < 40; ++seed) {
        Generator g{unsigned(1000 + seed)};
        auto pargen = g.pargen();
        auto sdo = g.sdo();
        projects.push_back(Project::fromTexts(pargen, sdo, std::nullopt));
    }
    auto build = [](const Project& p) {
        try {
            return BuildImage(p);
        } catch (const TessaroError&) {
            return std::vector<uint8_t>{};
        }
    };
    for (const Project& p : projects)
        alone.push_back(build(p));
    // In reverse order, each after another: the same bytes.
    for (size_t i = projects.size(); i-- > 0;)
        EXPECT_EQ(build(projects[i]), alone[i]) << i;
}

// The file of a folder, for the writers that work on disk.
std::string Read(const TempDir& dir, const char* name) {
    return ReadText(dir / name);
}

TEST(ProjectProperties, CsvRoundTripOfEachTableGivesBackTheFile) {
    int tried = 0;
    for (int seed = 0; seed < kProjects && tried < 60; ++seed) {
        Generator g{unsigned(2000 + seed)};
        const auto pargen = g.pargen();
        const auto sdo = g.sdo();
        const Project probe = Project::fromTexts(pargen, sdo, std::nullopt);
        if (!sdo || HasErrors(CheckProject(probe))) continue;
        ++tried;
        TempDir dir;
        if (pargen) WriteText(dir / "pargen.xml", *pargen);
        WriteText(dir / "sdo.xml", *sdo);
        // Normalised once by the writer, as any save does.
        Project p = Project::load(dir.path());
        p.saveAccessMap(StoredAccessMap(p.access()));
        const std::string before = Read(dir, "sdo.xml");
        for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
            const std::string csv = AccessTableCsv(p.access().table(t).rows);
            const AccessBounds b = BoundsOf(p.params());
            const AccessCsvImport in =
                ParseAccessTableCsv(csv, t, t == AccessTable::Read ? b.NByteIn : b.NByteOut);
            ASSERT_TRUE(in.ok()) << "seed " << seed << ": " << in.message();
            p.saveAccessTable(t, in.rows);
            EXPECT_EQ(Read(dir, "sdo.xml"), before) << "seed " << seed;
        }
    }
    EXPECT_GE(tried, 30);
}

// The serialised list element of a table, as it stands in the file.
std::string ListText(const std::string& sdo, const char* list) {
    const size_t a = sdo.find(std::string("<") + list);
    const std::string close = std::string("</") + list + ">";
    size_t b = sdo.find(close, a);
    if (a == std::string::npos) return "";
    if (b == std::string::npos) return sdo.substr(a, sdo.find("/>", a) + 2 - a);
    return sdo.substr(a, b + close.size() - a);
}

TEST(ProjectProperties, SavingOnePartKeepsEveryOtherPartByteForByte) {
    for (int seed = 0; seed < 100; ++seed) {
        Generator g{unsigned(3000 + seed)};
        const auto pargen = g.pargen();
        auto sdo = g.sdo();
        if (!sdo || sdo->find("<DeviceNet_OUT") == std::string::npos) continue;
        TempDir dir;
        WriteText(dir / "sdo.xml", *sdo);
        if (pargen) WriteText(dir / "pargen.xml", *pargen);
        Project p = Project::load(dir.path());
        // Rows below a gap, past 455, odd attributes: all of the other table stays.
        const std::string out = ListText(*sdo, "DeviceNet_OUT");
        p.saveAccessTable(AccessTable::Read, {{"1", "Coil Status", "0", "8", "N", "0", "x"}});
        EXPECT_EQ(ListText(Read(dir, "sdo.xml"), "DeviceNet_OUT"), out) << "seed " << seed;
        EXPECT_EQ(p.access().in.rows.size(), 1u);

        if (!pargen) continue;
        // Set Communication's save keeps the elements it does not own.
        const std::string profi = "<Profi_NB_IN>";
        const size_t at = pargen->find(profi);
        p.saveParams(CommParamsOf(p.params()));
        const std::string saved = Read(dir, "pargen.xml");
        if (at != std::string::npos) {
            const std::string element =
                pargen->substr(at, pargen->find("</Profi_NB_IN>", at) + 14 - at);
            EXPECT_NE(saved.find(element), std::string::npos) << "seed " << seed << saved;
        }
    }
}

// Set Communication writes what it shows; a stored spelling of the same
// code is kept, so an unchanged field reads as typed.
TEST(ProjectModel, ParamsSaveKeepsTheStoredSpellingOfAnUnchangedCode) {
    TempDir dir;
    WriteText(dir / "pargen.xml",
              "<Par_Gen><Ser_Baud>0x07</Ser_Baud><Ser_Par> 1</Ser_Par><Ser_TO>500</Ser_TO>"
              "<Ser_CD>50</Ser_CD><Ser_Type>1</Ser_Type><Ser_Prot>0</Ser_Prot>"
              "<Unknown>kept</Unknown></Par_Gen>");
    Project p = Project::load(dir.path());
    CommParams c = CommParamsOf(p.params());
    c.SerPar = 2;
    p.saveParams(c);
    const std::string saved = Read(dir, "pargen.xml");
    EXPECT_NE(saved.find("<Ser_Baud>0x07</Ser_Baud>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Ser_Par>2</Ser_Par>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Unknown>kept</Unknown>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<DN_NB_IN>455</DN_NB_IN>"), std::string::npos) << saved;
}

struct ReportCase {
    const char* name;
    std::optional<std::string> sdo;
    LoadState state;
    const char* reason; // part of it
};

class LoadReports : public testing::TestWithParam<ReportCase> {};

TEST_P(LoadReports, SayHowTheFileWasRead) {
    const ReportCase& c = GetParam();
    const Project p = Project::fromTexts(std::nullopt, c.sdo, std::nullopt, "/nowhere");
    EXPECT_EQ(p.access().report.state, c.state);
    EXPECT_NE(p.access().report.reason.find(c.reason), std::string::npos)
        << p.access().report.reason;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadReports,
    testing::Values(ReportCase{"Absent", std::nullopt, LoadState::Absent, ""},
                    ReportCase{"Read",
                               "<S><DeviceNet_IN/><DeviceNet_OUT><row Slave_ID='1' Address_Mod='0' "
                               "NPoint='1' Address_DeviceNet='0'/></DeviceNet_OUT></S>",
                               LoadState::Read, ""},
                    ReportCase{"NoWriteList", "<S><DeviceNet_IN/></S>", LoadState::Partial,
                               "'DeviceNet_OUT' not found"},
                    ReportCase{
                        "RowWithoutNPoint",
                        "<S><DeviceNet_IN><row Slave_ID='1' Type='Coil Status' Address_Mod='0' "
                        "Address_DeviceNet='0' Mnemonic=''/></DeviceNet_IN><DeviceNet_OUT/></S>",
                        LoadState::Partial, "'NPoint'"},
                    ReportCase{"Malformed", "<S><DeviceNet_IN>", LoadState::Unreadable, "sdo.xml"}),
    [](const auto& info) { return std::string(info.param.name); });

// The check finds what the image would code wrongly, located.
struct FindingCase {
    const char* name;
    std::string rows; // of DeviceNet_IN
    std::string outRows;
    const char* table;
    int row;
    const char* column;
    const char* message; // part of it
};

class StoredRowFindings : public testing::TestWithParam<FindingCase> {};

std::string Row(const char* slave, const char* type, const char* address = "0",
                const char* points = "1", const char* deviceNet = "0") {
    return std::string("<row Slave_ID=\"") + slave + "\" Type=\"" + type + "\" Address_Mod=\"" +
           address + "\" NPoint=\"" + points + "\" Swap=\"N\" Address_DeviceNet=\"" + deviceNet +
           "\" Mnemonic=\"\"/>";
}

TEST_P(StoredRowFindings, AreErrorsAtTheirCell) {
    const FindingCase& c = GetParam();
    const Project p = Project::fromTexts(std::nullopt,
                                         "<Serial_to_ProfiBus><DeviceNet_IN>" + c.rows +
                                             "</DeviceNet_IN><DeviceNet_OUT>" + c.outRows +
                                             "</DeviceNet_OUT></Serial_to_ProfiBus>",
                                         std::nullopt);
    bool found = false;
    for (const Finding& f : CheckProject(p))
        if (f.severity == Severity::Error && f.file == "sdo.xml" && f.table == c.table &&
            f.row == c.row && f.column == c.column &&
            f.message.find(c.message) != std::string::npos)
            found = true;
    EXPECT_TRUE(found);
}

std::string Many(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += Row("1", "Coil Status", "0", "1", std::to_string(i % 400).c_str());
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredRowFindings,
    testing::Values(
        FindingCase{"ReadTypeCoil", Row("1", "Coil"), "", "read", 1, "Type",
                    "Type must be Coil Status or Input Status"},
        FindingCase{"ReadTypeFoo", Row("1", "Foo"), "", "read", 1, "Type", "Type must be"},
        FindingCase{"WriteInputStatus", "", Row("1", "Input Status"), "write", 1, "Type",
                    "Type must be Coil Status or Holding Register"},
        FindingCase{"WriteInputRegister", "", Row("1", "Input Register"), "write", 1, "Type",
                    "Type must be Coil Status or Holding Register"},
        FindingCase{"EmptySlaveIdAfterARow", Row("1", "Coil Status") + Row("", "Coil Status"), "",
                    "read", 2, "Slave ID", "Slave ID must be between 1 and 250"},
        FindingCase{"RowAfterTheGap",
                    Row("1", "Coil Status") + Row("", "Coil Status") + Row("999", "Coil Status"),
                    "", "read", 3, "Slave ID", "Slave ID must be between 1 and 250"},
        FindingCase{"Row456", Many(455) + Row("999", "Coil Status", "70000", "300", "9999"), "",
                    "read", 456, "Slave ID", "at most 455 rows"},
        FindingCase{"Row460", Many(459) + Row("1", "Coil Status"), "", "read", 460, "Slave ID",
                    "at most 455 rows"}),
    [](const auto& info) { return std::string(info.param.name); });

// Letter case is no error: the image compares without it.
TEST(ProjectModel, TypeInAnyLetterCaseIsAccepted) {
    const Project p =
        Project::fromTexts(std::nullopt,
                           "<Serial_to_ProfiBus><DeviceNet_IN>" + Row("1", "holding REGISTER") +
                               "</DeviceNet_IN><DeviceNet_OUT>" + Row("2", "COIL status") +
                               "</DeviceNet_OUT></Serial_to_ProfiBus>",
                           std::nullopt);
    for (const Finding& f : CheckProject(p))
        EXPECT_NE(f.column, "Type") << f.message;
}

} // namespace
