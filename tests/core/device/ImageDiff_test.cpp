#include "TempDir.h"
#include "core/device/ConfigImage.h"
#include "core/device/Crc32.h"
#include "core/device/ImageDiff.h"
#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include <algorithm>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <utility>

namespace {
std::string Attr(const std::string& s) {
    std::string out;
    for (char c : s)
        out += c == '"'    ? "&quot;"
               : c == '&'  ? "&amp;"
               : c == '<'  ? "&lt;"
               : c == '\n' ? "&#10;"
                           : std::string(1, c);
    return out;
}

using Row = std::array<std::string,
                       7>; // Slave_ID, Type, Address_Mod, NPoint, Swap, Address_DeviceNet, Mnemonic

// A project as its files spell it; Write() puts it in a folder of its own.
struct Sketch {
    std::vector<std::pair<std::string, std::string>> pargen = {
        {"Ser_Baud", "4"},        {"Ser_Par", "1"},
        {"Ser_TO", "500"},        {"Ser_CD", "50"},
        {"Ser_Type", "1"},        {"Ser_Prot", "0"},
        {"Ser_Write_Mode", "0"},  {"DN_ID", "12"},
        {"DN_Baud", "1"},         {"DN_NB_IN", "64"},
        {"DN_NB_OUT", "32"},      {"DN_Enable_Error", "1"},
        {"DN_Num_Cont_Err", "3"}, {"DN_Val_Canc_Data", "0x00"}};
    std::vector<Row> in = {{"1", "Holding Register", "100", "2", "N", "0", "TEMP"},
                           {"1", "Input Register", "200", "2", "N", "4", "FLOW"},
                           {"2", "Input Status", "0", "16", "N", "8", "LIMITS"}};
    std::vector<Row> out = {{"1", "Holding Register", "500", "2", "N", "0", "SET"},
                            {"3", "Coil Status", "10", "8", "N", "4", "VALVES"}};

    std::string& param(const std::string& name) {
        for (auto& [n, v] : pargen)
            if (n == name) return v;
        throw std::runtime_error(name);
    }
    std::shared_ptr<TempDir> write() const {
        auto dir = std::make_shared<TempDir>();
        std::string p = "<Par_Gen>";
        for (const auto& [n, v] : pargen)
            p += "<" + n + ">" + v + "</" + n + ">";
        WriteText(*dir / "pargen.xml", p + "</Par_Gen>");
        auto rows = [](const std::vector<Row>& rs) {
            std::string s;
            for (const Row& r : rs)
                s += "<row Slave_ID=\"" + r[0] + "\" Type=\"" + r[1] + "\" Address_Mod=\"" + r[2] +
                     "\" NPoint=\"" + r[3] + "\" Swap=\"" + r[4] + "\" Address_DeviceNet=\"" +
                     r[5] + "\" Mnemonic=\"" + Attr(r[6]) + "\"/>";
            return s;
        };
        WriteText(*dir / "sdo.xml", "<Serial_to_ProfiBus><DeviceNet_IN>" + rows(in) +
                                        "</DeviceNet_IN><DeviceNet_OUT>" + rows(out) +
                                        "</DeviceNet_OUT></Serial_to_ProfiBus>");
        CreateDir(*dir / "bin");
        return dir;
    }
};

std::vector<std::string> Lines(const ImageComparison& c) {
    std::vector<std::string> out;
    for (const Difference& d : c.differences)
        out.push_back(DifferenceLine(d));
    return out;
}

// The image file a project builds, as a side.
DiffSide ImageOf(const std::string& folder) {
    return ImageDiffSide("bank.bin", BuildImage(folder));
}

TEST(Crc32, MatchesTheCheckValueAndItsSpelling) {
    EXPECT_EQ(Crc32(std::string_view("123456789")), 0xCBF43926u);
    EXPECT_EQ(Crc32(std::string_view()), 0u);
    EXPECT_EQ(Crc32Text(0xCBF43926u), "CRC-32 CBF43926");
    EXPECT_EQ(Crc32Hex(0x0000ABCDu), "0000ABCD"); // eight digits, upper case
    // In pieces as in one go.
    EXPECT_EQ(Crc32Update(Crc32Update(0, "12345", 5), "6789", 4), 0xCBF43926u);
    EXPECT_EQ(ImageFingerprint("123456789"), "CRC-32 CBF43926");
}

// Each change of a generated project gives exactly its lines, between two
// projects and, where the image holds it, between a project and an image.
TEST(ImageDiff, EveryKnownChangeGivesExactlyItsLines) {
    struct Case {
        const char* name;
        std::function<void(Sketch&)> change;
        std::vector<std::string> projects; // B a project
        // B the image B builds; none: the same lines
        std::optional<std::vector<std::string>> image = std::nullopt;
    };
    auto Lines_ = [](std::vector<std::string> l) { return l; };
    const std::vector<Case> cases = {
        {"Ser_Baud",
         [](Sketch& s) { s.param("Ser_Baud") = "5"; },
         {"parameter Ser_Baud: 4 (19200) -> 5 (38400)"}},
        {"Ser_Par",
         [](Sketch& s) { s.param("Ser_Par") = "2"; },
         {"parameter Ser_Par: 1 (EVEN) -> 2 (ODD)"}},
        {"Ser_TO", [](Sketch& s) { s.param("Ser_TO") = "600"; }, {"parameter Ser_TO: 500 -> 600"}},
        {"Ser_CD", [](Sketch& s) { s.param("Ser_CD") = "60"; }, {"parameter Ser_CD: 50 -> 60"}},
        // Stored codes between projects, the image's inverted code otherwise.
        {"Ser_Type", [](Sketch& s) { s.param("Ser_Type") = "0"; },
         Lines_({"parameter Ser_Type: 1 (RS485) -> 0 (RS232)"}),
         Lines_({"parameter Ser_Type: 0 (RS485) -> 1 (RS232)"})},
        {"Ser_Prot", [](Sketch& s) { s.param("Ser_Prot") = "4"; },
         Lines_({"parameter Ser_Prot: 0 (Modbus RTU) -> 4 (ASCII)"}),
         Lines_({"parameter Ser_Prot: 0 (RTU framing) -> 1 (ASCII framing)"})},
        // JBUS builds the same image as Modbus RTU: only the files differ.
        {"Ser_Prot same framing", [](Sketch& s) { s.param("Ser_Prot") = "2"; },
         Lines_({"parameter Ser_Prot: 0 (Modbus RTU) -> 2 (JBUS)"}), Lines_({})},
        {"DN_ID", [](Sketch& s) { s.param("DN_ID") = "13"; }, Lines_({"parameter DN_ID: 12 -> 13"}),
         Lines_({"parameter DN_ID: 12 -> 13"})},
        {"DN_Baud",
         [](Sketch& s) { s.param("DN_Baud") = "2"; },
         {"parameter DN_Baud: 1 (250K) -> 2 (500K)"}},
        {"DN_NB_IN",
         [](Sketch& s) { s.param("DN_NB_IN") = "100"; },
         {"parameter DN_NB_IN: 64 -> 100"}},
        {"DN_NB_OUT",
         [](Sketch& s) { s.param("DN_NB_OUT") = "40"; },
         {"parameter DN_NB_OUT: 32 -> 40"}},
        {"Ser_Write_Mode",
         [](Sketch& s) { s.param("Ser_Write_Mode") = "1"; },
         {"parameter Ser_Write_Mode: 0 (write on change of data) -> 1 (cyclic write)"}},
        {"DN_Enable_Error",
         [](Sketch& s) { s.param("DN_Enable_Error") = "0"; },
         {"parameter DN_Enable_Error: 1 -> 0"}},
        {"DN_Num_Cont_Err",
         [](Sketch& s) { s.param("DN_Num_Cont_Err") = "4"; },
         {"parameter DN_Num_Cont_Err: 3 -> 4"}},
        {"DN_Val_Canc_Data",
         [](Sketch& s) { s.param("DN_Val_Canc_Data") = "0x10"; },
         {"parameter DN_Val_Canc_Data: 0 -> 16"}},
        // Every column of both tables.
        {"read Slave ID", [](Sketch& s) { s.in[1][0] = "5"; }, {"read:2:Slave ID: 1 -> 5"}},
        {"read Type",
         [](Sketch& s) { s.in[1][1] = "Holding Register"; },
         {"read:2:Type: 4 (Input Register) -> 3 (Holding Register)"}},
        {"read Address Register",
         [](Sketch& s) { s.in[1][2] = "201"; },
         {"read:2:Address Register: 200 -> 201"}},
        {"read NPoint", [](Sketch& s) { s.in[2][3] = "8"; }, {"read:3:NPoint: 16 -> 8"}},
        {"read SWAP", [](Sketch& s) { s.in[1][4] = "Y"; }, {"read:2:SWAP: 0 (N) -> 1 (Y)"}},
        {"read Address DeviceNet",
         [](Sketch& s) { s.in[2][5] = "20"; },
         {"read:3:Address DeviceNet: 8 -> 20"}},
        {"read Mnemonic", [](Sketch& s) { s.in[0][6] = "TEMP 2"; },
         Lines_({"read:1:Mnemonic: \"TEMP\" -> \"TEMP 2\""}), Lines_({})},
        {"write Slave ID", [](Sketch& s) { s.out[1][0] = "4"; },
         Lines_({"write:2:Slave ID: 3 -> 4"}), Lines_({"write:2:Slave ID: 3 -> 4"})},
        {"write Type",
         [](Sketch& s) { s.out[1][1] = "Holding Register"; },
         {"write:2:Type: 1 (Coil Status) -> 3 (Holding Register)"}},
        {"write Address Register",
         [](Sketch& s) { s.out[0][2] = "0x1F5"; },
         {"write:1:Address Register: 500 -> 501"}},
        {"write NPoint", [](Sketch& s) { s.out[1][3] = "16"; }, {"write:2:NPoint: 8 -> 16"}},
        {"write SWAP", [](Sketch& s) { s.out[0][4] = "Y"; }, {"write:1:SWAP: 0 (N) -> 1 (Y)"}},
        {"write Address DeviceNet",
         [](Sketch& s) { s.out[1][5] = "6"; },
         {"write:2:Address DeviceNet: 4 -> 6"}},
        {"write Mnemonic", [](Sketch& s) { s.out[1][6] = "VALVES \"A\""; },
         Lines_({"write:2:Mnemonic: \"VALVES\" -> \"VALVES \\\"A\\\"\""}), Lines_({})},
        // Rows added and removed in both tables.
        {"read row added",
         [](Sketch& s) {
             s.in.push_back({"4", "Coil Status", "7", "1", "N", "10", "NEW"});
         },
         Lines_({"read:4: only in B (slave 4, Coil Status, address 7, 1 point, DeviceNet byte 10, "
                 "\"NEW\")"}),
         Lines_(
             {"read:4: only in B (slave 4, Coil Status, address 7, 1 point, DeviceNet byte 10)"})},
        {"read row removed", [](Sketch& s) { s.in.pop_back(); },
         Lines_(
             {"read:3: only in A (slave 2, Input Status, address 0, 16 points, DeviceNet byte 8, "
              "\"LIMITS\")"}),
         Lines_({"read:3: only in A (slave 2, Input Status, address 0, 16 points, DeviceNet byte "
                 "8)"})},
        {"write row added",
         [](Sketch& s) {
             s.out.push_back({"3", "Coil Status", "10", "8", "Y", "6", ""});
         },
         Lines_(
             {"write:3: only in B (slave 3, Coil Status, address 10, 8 points, DeviceNet byte 6, "
              "swapped, \"\")"}),
         Lines_(
             {"write:3: only in B (slave 3, Coil Status, address 10, 8 points, DeviceNet byte 6, "
              "swapped)"})},
        {"write row removed", [](Sketch& s) { s.out.pop_back(); },
         Lines_(
             {"write:2: only in A (slave 3, Coil Status, address 10, 8 points, DeviceNet byte 4, "
              "\"VALVES\")"}),
         Lines_({"write:2: only in A (slave 3, Coil Status, address 10, 8 points, DeviceNet byte "
                 "4)"})},
    };
    const Sketch base;
    const auto a = base.write();
    const DiffSide sa = LoadDiffSide(a->path(), false);
    ASSERT_FALSE(sa.stopped) << sa.errors.front().message;
    std::vector<std::string> all;
    Sketch every;
    for (const Case& c : cases) {
        Sketch s;
        c.change(s);
        const std::string name = c.name;
        if (name != "Ser_Prot same framing" && name.find(" row ") == std::string::npos) {
            c.change(every);
            all.insert(all.end(), c.projects.begin(), c.projects.end());
        }
        const auto b = s.write();
        const DiffSide sb = LoadDiffSide(b->path(), false);
        ASSERT_FALSE(sb.stopped) << c.name << ": " << sb.errors.front().message;
        const ImageComparison p = CompareSides(sa, sb);
        EXPECT_EQ(Lines(p), c.projects) << c.name;
        EXPECT_EQ(ComparisonSummary(p), "1 difference") << c.name;
        const ImageComparison i = CompareSides(sa, ImageOf(b->path()));
        EXPECT_EQ(Lines(i), c.image.value_or(c.projects)) << c.name;
        // The image codes agree exactly when the fingerprints do.
        EXPECT_EQ(i.identical(), i.crcA == i.crcB) << c.name;
    }
    // Every change in place at once: each line once, parameters first, then
    // the read table and the write table, each row by row.
    const auto b = every.write();
    const ImageComparison together = CompareSides(sa, LoadDiffSide(b->path(), false));
    std::vector<std::string> got = Lines(together);
    EXPECT_EQ(got.front(), "parameter Ser_Baud: 4 (19200) -> 5 (38400)");
    for (size_t i = 1; i < together.differences.size(); ++i) {
        const Difference& x = together.differences[i - 1];
        const Difference& y = together.differences[i];
        EXPECT_LE(std::pair(int(x.part), x.row), std::pair(int(y.part), y.row)) << got[i];
    }
    std::sort(got.begin(), got.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(got, all);
    EXPECT_EQ(ComparisonSummary(together), std::to_string(all.size()) + " differences");
}

TEST(ImageDiff, SpellingsOfOneImageAreIdentical) {
    const Sketch base;
    Sketch hex = base;
    for (const char* n : {"Ser_TO", "Ser_CD", "DN_ID", "DN_NB_IN", "DN_NB_OUT"})
        hex.param(n) = "0x" + [](int v) {
            char b[16];
            std::snprintf(b, sizeof b, "%X", v);
            return std::string(b);
        }(std::stoi(hex.param(n)));
    hex.param("DN_Val_Canc_Data") = "0";
    for (auto* rows : {&hex.in, &hex.out})
        for (Row& r : *rows) {
            r[2] = "$" + r[2];                                   // hex after "$"
            r[0] = "  " + r[0];                                  // leading spaces
            r[1] = r[1] == "Coil Status" ? "COIL STATUS" : r[1]; // letter case
        }
    hex.in[0][2] = "0x64"; // 100
    hex.in[1][2] = "0XC8"; // 200
    hex.in[2][2] = "$0";
    hex.out[0][2] = "x1F4"; // 500
    hex.out[1][2] = "0x0A"; // 10
    const auto a = base.write();
    const auto b = hex.write();
    const DiffSide sa = LoadDiffSide(a->path(), false);
    const DiffSide sb = LoadDiffSide(b->path(), false);
    ASSERT_FALSE(sb.stopped) << sb.errors.front().message;
    const ImageComparison c = CompareSides(sa, sb);
    EXPECT_EQ(Lines(c), std::vector<std::string>{});
    EXPECT_EQ(c.crcA, c.crcB);
    EXPECT_EQ(ComparisonSummary(c), "identical (" + Crc32Text(c.crcA) + ")");
}

TEST(ImageDiff, AProjectAgainstItsOwnBuiltImageIsIdentical) {
    const auto dir = Sketch().write();
    const std::vector<uint8_t> image = BuildImage(dir->path());
    WriteFileAtomic(*dir / "bin/bank.bin", std::string(image.begin(), image.end()));
    const DiffSide project = LoadDiffSide(dir->path(), false);
    const DiffSide file = LoadDiffSide(*dir / "bin/bank.bin", false);
    EXPECT_TRUE(project.project);
    EXPECT_FALSE(file.project);
    for (const auto& [x, y] : {std::pair{&project, &file}, std::pair{&file, &project}}) {
        const ImageComparison c = CompareSides(*x, *y);
        EXPECT_TRUE(c.identical()) << ComparisonText(c);
        EXPECT_EQ(ComparisonText(c), "identical (" + Crc32Text(Crc32(image)) + ")\n");
    }
    EXPECT_EQ(ProjectFingerprint(Project::load(dir->path()), {}).text, Crc32Text(Crc32(image)));
}

TEST(ImageDiff, DamagedImagesAreRefusedWithAReason) {
    const auto dir = Sketch().write();
    const std::vector<uint8_t> good = BuildImage(dir->path());
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + long(n)); };
    std::vector<uint8_t> badCount = good;
    badCount[good.size() - 22 + bank::PCountIn] = 9;
    std::vector<uint8_t> badFirst = good;
    badFirst[0] = 9;
    std::vector<uint8_t> badOffset = good;
    badOffset[4] = 0xFF;
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"empty", {}},
        {"header cut", cut(5)},
        {"no parameter block", cut(8 + 8 * 5)},
        {"block cut", cut(good.size() - 1)},
        {"one byte more", longer},
        {"counts disagree", badCount},
        {"first record offset", badFirst},
        {"block offset", badOffset},
    };
    for (const auto& [name, bytes] : cases) {
        try {
            ImageDiffSide("x.bin", bytes);
            ADD_FAILURE() << name << " was accepted";
        } catch (const TessaroError& e) {
            EXPECT_NE(std::string(e.what()), "") << name;
        }
    }
    // An image with records but no block cannot be split into tables.
    std::vector<uint8_t> noBlock = {8, 0, 0, 0, 16, 0, 0, 0, 1, 3, 100, 0, 2, 0, 0, 0};
    EXPECT_THROW(ImageDiffSide("x.bin", noBlock), TessaroError);
    EXPECT_THROW(LoadDiffSide(*dir / "missing.bin", false), TessaroError);
}

TEST(ImageDiff, CheckErrorsStopAProjectUnlessForced) {
    Sketch s;
    s.param("DN_ID") = "99"; // outside 0..63, still built
    const auto dir = s.write();
    const DiffSide stopped = LoadDiffSide(dir->path(), false);
    EXPECT_TRUE(stopped.stopped);
    ASSERT_EQ(stopped.errors.size(), 1u);
    EXPECT_EQ(stopped.errors[0].column, "ID Dev.");
    EXPECT_TRUE(stopped.bytes.empty());
    const DiffSide forced = LoadDiffSide(dir->path(), true);
    EXPECT_FALSE(forced.stopped);
    EXPECT_EQ(forced.errors.size(), 1u);
    EXPECT_EQ(forced.image.params->dnId, 99);
    EXPECT_EQ(ProjectFingerprint(Project::load(dir->path()), stopped.errors).text,
              "not buildable: Error!! DeviceNet address must be between 0 and 63.");
    // A build that stops gives its reason.
    WriteText(*dir / "sdo.xml", "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\"/>"
                                "</DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>");
    const ProjectPrint p = ProjectFingerprint(Project::load(dir->path()), {});
    EXPECT_FALSE(p.buildable);
    EXPECT_EQ(p.text.rfind("not buildable: ", 0), 0u) << p.text;
    EXPECT_NE(p.text.find("Type"), std::string::npos) << p.text;
}

TEST(ImageDiff, JsonAndCsvCarryEveryDifference) {
    Sketch b;
    b.param("Ser_Baud") = "5";
    b.in[0][6] = "T\n\"1\"";
    b.out.pop_back();
    const auto da = Sketch().write();
    const auto db = b.write();
    const ImageComparison c =
        CompareSides(LoadDiffSide(da->path(), false), LoadDiffSide(db->path(), false));
    EXPECT_EQ(
        ComparisonJson(c),
        "{\"identical\": false, \"crc32\": {\"a\": \"" + Crc32Hex(c.crcA) + "\", \"b\": \"" +
            Crc32Hex(c.crcB) +
            "\"}, \"differences\": [{\"part\": \"parameter\", \"row\": null, \"field\": "
            "\"Ser_Baud\", \"a\": 4, \"b\": 5}, {\"part\": \"read\", \"row\": 1, \"field\": "
            "\"Mnemonic\", \"a\": \"TEMP\", \"b\": \"T\\n\\\"1\\\"\"}, {\"part\": \"write\", "
            "\"row\": 2, \"field\": null, \"a\": {\"slave\": 3, \"type\": 1, \"typeName\": "
            "\"Coil Status\", \"address\": 10, \"points\": 8, \"deviceNetByte\": 4, \"swap\": "
            "false, \"mnemonic\": \"VALVES\"}, \"b\": null}]}\n");
    // A line break in a mnemonic stays on its line.
    EXPECT_EQ(DifferenceLine(c.differences[1]), "read:1:Mnemonic: \"TEMP\" -> \"T\\n\\\"1\\\"\"");
    EXPECT_EQ(ComparisonCsv(c),
              "Part,Row,Field,A,B\r\n"
              "parameter,,Ser_Baud,4 (19200),5 (38400)\r\n"
              "read,1,Mnemonic,\"\"\"TEMP\"\"\",\"\"\"T\\n\\\"\"1\\\"\"\"\"\"\r\n"
              "write,2,only in A,\"slave 3, Coil Status, address 10, 8 points, DeviceNet byte 4, "
              "\"\"VALVES\"\"\",\r\n");
}
} // namespace
