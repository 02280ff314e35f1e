#include "CliRun.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "core/device/Crc32.h"
#include "core/project/FileSystem.h"

#include <gtest/gtest.h>

namespace {
CliResult Cli(const std::vector<std::string>& args) {
    return RunProgram(CLI_PATH, args);
}

// A workspace with the worked example as P1 and P2 and its built image.
struct Plant {
    TempDir ws;
    std::string p1 = ws / "PROJECTS/P1", p2 = ws / "PROJECTS/P2", image = ws / "bank.bin";
    Plant() {
        for (const std::string& p : {p1, p2}) {
            ForceDirectories(p + "/bin");
            WriteText(p + "/pargen.xml", ExamplePargen);
            WriteText(p + "/sdo.xml", ExampleSdo);
        }
        WriteText(image, ExampleBank);
    }
};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    s.replace(s.find(from), from.size(), to);
    return s;
}

TEST(DiffCommand, ExitStatusTellsIdenticalDifferentAndUnreadable) {
    Plant w;
    WriteText(w.ws / "short.bin", ExampleBank.substr(0, 40));
    WriteText(w.ws / "header.bin", ExampleBank.substr(0, 5));
    std::string counts = ExampleBank;
    counts[38] = 5;
    WriteText(w.ws / "counts.bin", counts);
    const std::string crc = Crc32Text(Crc32(ExampleBank));
    const struct {
        std::vector<std::string> args;
        int rc;
        const char* out; // exact standard output
        const char* err; // part of standard error
    } cases[] = {
        {{"diff", w.p1, w.p2}, 0, "", ""},
        {{"diff", w.p1, w.image}, 0, "", ""},
        {{"diff", w.image, w.p2, "--json"}, 0, "", ""},
        {{"diff"}, 2, "", "diff takes two projects or image files"},
        {{"diff", w.p1}, 2, "", "diff takes two projects or image files"},
        {{"diff", w.p1, w.p2, w.image}, 2, "", "unexpected argument"},
        {{"diff", w.p1, w.p2, "--jsn"}, 2, "", "unexpected argument '--jsn'"},
        {{"diff", w.p1, w.ws / "none.bin"}, 2, "", "B ("},
        {{"diff", w.ws / "short.bin", w.p1}, 2, "", "A ("},
        {{"diff", w.p1, w.ws / "short.bin"}, 2, "", "After the records come 16 bytes"},
        {{"diff", w.p1, w.ws / "header.bin"}, 2, "", "shorter than its 8-byte header"},
        {{"diff", w.p1, w.ws / "counts.bin"}, 2, "", "The parameter block counts 5 read"},
        {{"diff", w.p1, "/dev/null"}, 2, "", "shorter than its 8-byte header"},
    };
    for (const auto& c : cases) {
        const CliResult r = Cli(c.args);
        const std::string what = c.args.size() > 1 ? c.args.back() : c.args[0];
        EXPECT_EQ(r.rc, c.rc) << what << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << what << ": " << r.err;
        if (c.rc == 2) {
            EXPECT_EQ(r.out, c.out) << what;
        } else if (c.args.back() != "--json") {
            EXPECT_EQ(r.out, "identical (" + crc + ")\n") << what;
        }
    }
}

TEST(DiffCommand, ListsDifferencesAndTheirJson) {
    Plant w;
    WriteText(w.p2 + "/pargen.xml", Replace(ExamplePargen, "<DN_ID>20<", "<DN_ID>0x15<"));
    WriteText(w.p2 + "/sdo.xml", Replace(ExampleSdo, "NPoint=\"2\"", "NPoint=\"4\""));
    CliResult r = Cli({"diff", w.p1, w.p2});
    EXPECT_EQ(r.rc, 1) << r.err;
    EXPECT_EQ(r.out, "parameter DN_ID: 20 -> 21\nread:1:NPoint: 2 -> 4\n2 differences\n");
    EXPECT_EQ(r.err, "");

    r = Cli({"diff", w.p1, w.p2, "--json"});
    EXPECT_EQ(r.rc, 1);
    WriteText(w.ws / "diff.json", r.out);
    // Python reads it as JSON of the documented shape.
    const CliResult py =
        RunProgram("python3", {"-c",
                               "import json,sys\n"
                               "d=json.load(open(sys.argv[1]))\n"
                               "assert d['identical'] is False\n"
                               "assert set(d['crc32'])=={'a','b'}\n"
                               "print([(x['part'],x['row'],x['field'],x['a'],x['b']) for x in "
                               "d['differences']])",
                               w.ws / "diff.json"});
    EXPECT_EQ(py.rc, 0) << py.err;
    EXPECT_EQ(py.out, "[('parameter', None, 'DN_ID', 20, 21), ('read', 1, 'NPoint', 2, 4)]\n");

    // A project with check errors is not compared unless forced.
    WriteText(w.p2 + "/pargen.xml", Replace(ExamplePargen, "<DN_ID>20<", "<DN_ID>99<"));
    r = Cli({"diff", w.p1, w.p2});
    EXPECT_EQ(r.rc, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("pargen.xml:::ID Dev.: error:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    r = Cli({"diff", "--force", w.p1, w.p2});
    EXPECT_EQ(r.rc, 1) << r.err;
    EXPECT_NE(r.err.find("pargen.xml:::ID Dev.: error:"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "parameter DN_ID: 20 -> 99\nread:1:NPoint: 2 -> 4\n2 differences\n");
}

// Both operands may be names of the workspace's projects; a file named here stays a file.
TEST(DiffCommand, BothOperandsAreLookedUpInTheWorkspace) {
    Plant w;
    TempDir here;
    WriteText(here / "device.bin", ExampleBank);
    const std::string script = "cd " + ShellQuote(here.path()) + " && " + ShellQuote(CLI_PATH) +
                               " --workspace " + ShellQuote(w.ws.path());
    for (const char* tail : {" diff P1 P2", " diff P1 device.bin", " diff device.bin P2"}) {
        const CliResult r = RunProgram("sh", {"-c", script + tail});
        EXPECT_EQ(r.rc, 0) << tail << r.err;
        EXPECT_EQ(r.out.rfind("identical (CRC-32 ", 0), 0u) << tail << r.out;
    }
    const CliResult r = RunProgram("sh", {"-c", script + " diff P1 P3"});
    EXPECT_EQ(r.rc, 2);
    EXPECT_NE(r.err.find("PROJECTS/P3"), std::string::npos) << r.err;
}

// The fingerprint of a built image is zlib's CRC-32 of the file written, as
// python's zlib computes it, in dump's listing and JSON alike.
TEST(DiffCommand, FingerprintIsZlibCrcOfTheWrittenFile) {
    Plant w;
    ASSERT_EQ(Cli({"build", w.p1}).rc, 0);
    const std::string bank = w.p1 + "/bin/bank.bin";
    const CliResult py = RunProgram(
        "python3",
        {"-c", "import zlib,sys; print('%08X' % zlib.crc32(open(sys.argv[1],'rb').read()))", bank});
    ASSERT_EQ(py.rc, 0) << py.err;
    const std::string hex = py.out.substr(0, 8);
    EXPECT_EQ(ImageFingerprint(ReadText(bank)), "CRC-32 " + hex);
    EXPECT_EQ(hex, "1D648DDC"); // the worked example's 46 bytes
    const CliResult json = Cli({"dump", bank, "--json"});
    EXPECT_NE(json.out.find("\"crc32\": \"" + hex + "\""), std::string::npos) << json.out;
    const CliResult text = Cli({"dump", bank});
    EXPECT_NE(text.out.find(bank + ": 46 bytes, CRC-32 " + hex + "\n"), std::string::npos)
        << text.out;
}
} // namespace
