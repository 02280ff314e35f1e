#include "core/report/CommissioningReport.h"

#include "TempDir.h"
#include "core/project/FileSystem.h"

#include <gtest/gtest.h>
#include <regex>

namespace {
// Read table of 6 bytes: row 1 takes bytes 0-3 (two registers), row 2 one
// byte of coils at byte 2, so byte 2 is shared; bytes 4 and 5 stay free.
struct OverlapProject {
    TempDir dir;
    OverlapProject() {
        WriteText(
            dir / "pargen.xml",
            "<Par_Gen><Ser_Baud>3</Ser_Baud><Ser_Par>1</Ser_Par><Ser_TO>250</Ser_TO>"
            "<Ser_CD>20</Ser_CD><Ser_Type>0</Ser_Type><Ser_Prot>2</Ser_Prot>"
            "<Ser_Write_Mode>1</Ser_Write_Mode><DN_ID>12</DN_ID><DN_Baud>1</DN_Baud>"
            "<DN_NB_IN>6</DN_NB_IN><DN_NB_OUT>4</DN_NB_OUT><DN_Enable_Error>0</DN_Enable_Error>"
            "<DN_Num_Cont_Err>3</DN_Num_Cont_Err><DN_Val_Canc_Data>0</DN_Val_Canc_Data>"
            "</Par_Gen>");
        WriteText(dir / "sdo.xml",
                  "<Serial_to_ProfiBus><DeviceNet_IN>"
                  "<row Slave_ID=\"1\" Type=\"Holding Register\" Address_Mod=\"100\" NPoint=\"2\" "
                  "Swap=\"N\" Address_DeviceNet=\"0\" Mnemonic=\"T&lt;1&gt; &amp; P\"/>"
                  "<row Slave_ID=\"2\" Type=\"Coil Status\" Address_Mod=\"10\" NPoint=\"8\" "
                  "Swap=\"N\" Address_DeviceNet=\"2\" Mnemonic=\"valves\"/>"
                  "</DeviceNet_IN><DeviceNet_OUT>"
                  "<row Slave_ID=\"3\" Type=\"Holding Register\" Address_Mod=\"5\" NPoint=\"1\" "
                  "Swap=\"Y\" Address_DeviceNet=\"0\" Mnemonic=\"\"/>"
                  "</DeviceNet_OUT></Serial_to_ProfiBus>");
        CreateDir(dir / "bin");
    }
    std::string html(ByteMapDrawing d = ByteMapDrawing::Svg) const {
        return CommissioningReportHtml(dir.path(), "Plant1", "2026-12-10", d);
    }
};

// The class of each byte cell of one direction's SVG, in byte order.
std::vector<std::string> Cells(const std::string& html, const std::string& table) {
    const auto start = html.find("data-table=\"" + table + "\"");
    const auto end = html.find("</svg>", start);
    std::vector<std::string> out;
    if (start == std::string::npos) return out;
    const std::string svg = html.substr(start, end - start);
    std::regex cell("class=\"byte (\\w+)\" data-byte=\"(\\d+)\"");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), cell); it != std::sregex_iterator();
         ++it) {
        EXPECT_EQ(std::stoul((*it)[2]), out.size());
        out.push_back((*it)[1]);
    }
    return out;
}

TEST(CommissioningReport, SectionsInOrder) {
    OverlapProject p;
    const std::string h = p.html();
    size_t at = 0;
    for (const char* part : {"<!DOCTYPE html>",
                             "<h1>Commissioning report: Plant1</h1>",
                             "Date: 2026-12-10",
                             "id=\"parameters\"",
                             "<td>Line</td><td>serial line type</td><td>RS232</td>",
                             "<td>Baudrate</td><td>serial bit rate</td><td>9600</td><td>bit/s</td>",
                             "<td>Parity</td><td>serial parity</td><td>EVEN</td>",
                             "<td>250</td><td>ms</td>",

                             "<td>JBUS</td>",
                             "<td>Cyclic Write</td>",
                             "<td>250K</td><td>bit/s</td>",
                             "<td>6</td><td>bytes</td>",
                             "id=\"accessmap\"",
                             "id=\"read\"",
                             "T&lt;1&gt; &amp; P",
                             "id=\"write\"",
                             "id=\"bytemap\"",
                             "data-table=\"read\"",
                             "data-table=\"write\"",
                             "id=\"findings\"",
                             "warning",
                             "id=\"bank\"",
                             "bin/bank.bin has not been built.",
                             "</html>"}) {
        const size_t found = h.find(part, at);
        ASSERT_NE(found, std::string::npos) << part;
        at = found;
    }
    // One file: no script, stylesheet link or image fetched from elsewhere.
    for (const char* outside : {"<script", "<link", "src=", "href", "url("})
        EXPECT_EQ(h.find(outside), std::string::npos) << outside;
    EXPECT_NE(h.find("@page"), std::string::npos);
}

TEST(CommissioningReport, ByteCellsShowUseAndOverlap) {
    OverlapProject p;
    const std::string h = p.html();
    EXPECT_EQ(Cells(h, "read"),
              (std::vector<std::string>{"used", "used", "overlap", "used", "free", "free"}));
    EXPECT_EQ(Cells(h, "write"), (std::vector<std::string>{"used", "used", "free", "free"}));
    EXPECT_NE(h.find("<title>Byte 2: row 1, row 2</title>"), std::string::npos);
    EXPECT_NE(h.find("<title>Byte 4: free</title>"), std::string::npos);

    // The table drawing has the same cells, for renderers without SVG.
    const std::string t = p.html(ByteMapDrawing::Table);
    EXPECT_EQ(t.find("<svg"), std::string::npos);
    EXPECT_NE(t.find("bgcolor=\"#e06666\" title=\"Byte 2: row 1, row 2\""), std::string::npos);
}

TEST(CommissioningReport, RowPastTheEndAndEveryFinding) {
    OverlapProject p;
    WriteText(p.dir / "diagnosis.xml", "<Modbus_IDs><ID>0</ID></Modbus_IDs>");
    WriteText(p.dir / "sdo.xml",
              "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\" Type=\"Holding Register\" "
              "Address_Mod=\"1\" NPoint=\"2\" Swap=\"N\" Address_DeviceNet=\"4\" Mnemonic=\"\"/>"
              "</DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>");
    const std::string h = p.html();
    EXPECT_EQ(Cells(h, "read"), (std::vector<std::string>{"free", "free", "free", "free", "used",
                                                          "used", "past", "past"}));
    EXPECT_NE(h.find("<tr class=\"error\"><td>error</td><td>diagnosis.xml</td>"),
              std::string::npos);
    EXPECT_NE(h.find("Modbus ID must be between 1 and 255."), std::string::npos);
    EXPECT_NE(h.find("1 error, 1 warning"), std::string::npos) << h;
}

TEST(CommissioningReport, BuiltBankSizeAndCrc) {
    OverlapProject p;
    WriteText(p.dir / "bin/bank.bin", "123456789");
    const std::string h = p.html();
    EXPECT_NE(h.find("<td>9 bytes</td>"), std::string::npos);
    EXPECT_NE(h.find("<th>CRC-32</th><td>CBF43926</td>"), std::string::npos); // the check value
    EXPECT_TRUE(std::regex_search(
        h, std::regex("<th>Built</th><td>\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d</td>")));
}
} // namespace
