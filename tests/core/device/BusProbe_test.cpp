// The bus probe against a real Modbus slave (pymodbus on a pty) with injected
// line faults; see tests/support/modbus_sim.py for the slave IDs.
#include "ModbusSim.h"
#include "TempDir.h"
#include "core/device/BusProbe.h"
#include "core/device/SerialPort.h"
#include "core/editors/CommParams.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
ProbeRow Row(int slave, const std::string& type, int address, int points,
             AccessTable table = AccessTable::Read) {
    AccessMap map;
    map.rows(table).push_back({std::to_string(slave), type, std::to_string(address),
                               std::to_string(points), "N", "0", "m"});
    return ProbeRows(map).at(0);
}

ProbeSettings Fast(int protocol) {
    ProbeSettings s;
    s.Protocol = protocol;
    s.DataBits = protocol == 1 ? 7 : 8;
    s.TimeoutMs = 200;
    s.CyclicDelayMs = 0;
    return s;
}

struct Case {
    int slave;
    const char* type;
    int address, points;
    ProbeOutcome outcome;
    BadFrameKind bad;
    std::vector<uint16_t> values;
};

const Case kCases[] = {
    {1, "Coil Status", 0, 4, ProbeOutcome::Answered, BadFrameKind::None, {1, 0, 0, 1}},
    {11,
     "Coil Status",
     0,
     10,
     ProbeOutcome::Answered,
     BadFrameKind::None,
     {1, 0, 0, 1, 0, 0, 1, 0, 0, 1}},
    {1, "Input Status", 1, 3, ProbeOutcome::Answered, BadFrameKind::None, {1, 0, 1}},
    {1, "Holding Register", 9, 2, ProbeOutcome::Answered, BadFrameKind::None, {0x109, 0xFFFE}},
    {1, "Input Register", 99, 1, ProbeOutcome::Answered, BadFrameKind::None, {0x2063}},
    {1, "Holding Register", 100, 1, ProbeOutcome::Exception, BadFrameKind::None, {}},
    {1, "Input Status", 98, 5, ProbeOutcome::Exception, BadFrameKind::None, {}},
    {2, "Holding Register", 0, 1, ProbeOutcome::NoAnswer, BadFrameKind::None, {}},
    {3, "Holding Register", 0, 3, ProbeOutcome::BadFrame, BadFrameKind::Checksum, {}},
    {4, "Holding Register", 0, 1, ProbeOutcome::BadFrame, BadFrameKind::OtherSlave, {}},
    {5, "Holding Register", 0, 1, ProbeOutcome::BadFrame, BadFrameKind::OtherFunction, {}},
    {6, "Input Register", 0, 2, ProbeOutcome::Answered, BadFrameKind::None, {0x2000, 0x2001}},
    {7, "Holding Register", 0, 2, ProbeOutcome::BadFrame, BadFrameKind::Length, {}},
    // Junk in front of the reply spoils that row only (ASCII skips it up to ':').
    {8, "Holding Register", 0, 1, ProbeOutcome::BadFrame, BadFrameKind::None, {}},
    {1, "Holding Register", 0, 1, ProbeOutcome::Answered, BadFrameKind::None, {0x100}},
};

class BusProbeOnBus : public ::testing::TestWithParam<int> {};

TEST_P(BusProbeOnBus, EveryOutcomeOfTheLine) {
    const int protocol = GetParam();
    ModbusSim sim(protocol == 1 ? "ascii" : "rtu");
    BusProbe probe(Fast(protocol));
    probe.Open(sim.port());
    for (Case c : kCases) {
        if (protocol == 1 && c.slave == 8)
            c = {8, "Holding Register", 0, 1, ProbeOutcome::Answered, BadFrameKind::None, {0x100}};
        SCOPED_TRACE(std::to_string(c.slave) + " " + c.type + " " + std::to_string(c.address));
        ProbeResult r = probe.Probe(Row(c.slave, c.type, c.address, c.points));
        EXPECT_EQ(OutcomeKey(r.Outcome), std::string(OutcomeKey(c.outcome))) << r.Detail;
        if (c.bad != BadFrameKind::None) {
            EXPECT_EQ(r.Bad, c.bad) << r.Detail;
        }
        if (c.outcome == ProbeOutcome::Exception) {
            EXPECT_EQ(r.ExceptionCode, 2);
            EXPECT_EQ(OutcomeText(r, protocol), "exception 02 Illegal Data Address");
        }
        EXPECT_EQ(r.Values, c.values);
        // No answer means the whole time-out went by; any other verdict came sooner.
        if (c.outcome == ProbeOutcome::NoAnswer) {
            EXPECT_GE(r.Milliseconds, 195);
        } else {
            EXPECT_LT(r.Milliseconds, 200);
        }
    }
}

TEST_P(BusProbeOnBus, WriteRowsAreReadUnlessAWriteIsAsked) {
    const int protocol = GetParam();
    ModbusSim sim(protocol == 1 ? "ascii" : "rtu");
    BusProbe probe(Fast(protocol));
    probe.Open(sim.port());
    ProbeRow regs = Row(1, "Holding Register", 20, 2, AccessTable::Write);
    ProbeRow coils = Row(1, "Coil Status", 4, 3, AccessTable::Write);
    EXPECT_EQ(regs.Request.Function, 3);
    EXPECT_EQ(coils.Request.Function, 1);
    EXPECT_EQ(probe.Probe(regs).Values, (std::vector<uint16_t>{0x114, 0x115}));
    EXPECT_EQ(probe.Write(regs, {7, 0xABCD}).Outcome, ProbeOutcome::Answered);
    EXPECT_EQ(probe.Probe(regs).Values, (std::vector<uint16_t>{7, 0xABCD}));
    EXPECT_EQ(probe.Write(coils, {1, 1, 1}).Outcome, ProbeOutcome::Answered);
    EXPECT_EQ(probe.Probe(coils).Values, (std::vector<uint16_t>{1, 1, 1}));
    EXPECT_EQ(probe.Write(Row(1, "Holding Register", 20, 2), {1, 2}).Outcome,
              ProbeOutcome::NotTested);
    EXPECT_EQ(probe.Write(Row(1, "Holding Register", 99, 2, AccessTable::Write), {1, 2}).Outcome,
              ProbeOutcome::Exception);
}

TEST_P(BusProbeOnBus, FullMapOfFourHundredFiftyFiveRowsAnswers) {
    const int protocol = GetParam();
    ModbusSim sim(protocol == 1 ? "ascii" : "rtu");
    AccessMap map;
    const char* types[] = {"Coil Status", "Input Status", "Holding Register", "Input Register"};
    for (int i = 0; i < AccessMapRows; ++i)
        map.In.push_back({i % 2 ? "1" : "11", types[i % 4], std::to_string(i % 90),
                          std::to_string(1 + i % 10), "N", "0", ""});
    auto rows = ProbeRows(map);
    ASSERT_EQ(rows.size(), 455u);
    BusProbe probe(Fast(protocol));
    probe.Open(sim.port());
    size_t answered = 0, seen = 0;
    EXPECT_EQ(probe.Run(rows, 2,
                        [&](size_t i, const ProbeResult& r) {
                            ++seen;
                            if (r.Outcome == ProbeOutcome::Answered &&
                                r.Values.size() == rows[i].Request.Count)
                                ++answered;
                        }),
              2);
    EXPECT_EQ(seen, 910u);
    EXPECT_EQ(answered, 910u);
}

INSTANTIATE_TEST_SUITE_P(Framings, BusProbeOnBus, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 1 ? "Ascii" : "Rtu"; });

TEST(BusProbe, StopEndsTheRunWithinOneTimeOut) {
    ModbusSim sim;
    std::vector<ProbeRow> rows(50, Row(2, "Holding Register", 0, 1)); // nobody answers
    BusProbe probe(Fast(0));
    probe.Open(sim.port());
    std::atomic<int> seen{0};
    std::thread run([&] { probe.Run(rows, 0, [&](size_t, const ProbeResult&) { ++seen; }); });
    while (seen < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto t0 = std::chrono::steady_clock::now();
    probe.Stop();
    run.join();
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_LE(took, std::chrono::milliseconds(200 + 150)); // one time-out and some slack
    EXPECT_LT(seen, 5);
}

TEST(BusProbe, CyclicDelayLiesBetweenRequestsAndStopCutsIt) {
    ModbusSim sim;
    ProbeSettings s = Fast(0);
    s.CyclicDelayMs = 100;
    std::vector<ProbeRow> rows(4, Row(1, "Holding Register", 0, 1));
    BusProbe probe(s);
    probe.Open(sim.port());
    const auto t0 = std::chrono::steady_clock::now();
    probe.Run(rows, 1, [](size_t, const ProbeResult&) {});
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(300));

    s.CyclicDelayMs = 1000;
    BusProbe slow(s);
    probe.Close();
    slow.Open(sim.port());
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        slow.Stop();
    });
    const auto t1 = std::chrono::steady_clock::now();
    int seen = 0;
    slow.Run(rows, 1, [&](size_t, const ProbeResult&) { ++seen; });
    stopper.join();
    EXPECT_EQ(seen, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - t1, std::chrono::milliseconds(500));
}

TEST(BusProbe, PortClosedInTheMiddleEndsTheRunWithAPortError) {
    for (int protocol : {0, 1}) {
        ModbusSim sim(protocol == 1 ? "ascii" : "rtu");
        std::vector<ProbeRow> rows = {Row(1, "Holding Register", 0, 1), Row(9, "Coil Status", 0, 1),
                                      Row(1, "Holding Register", 0, 1)};
        BusProbe probe(Fast(protocol));
        probe.Open(sim.port());
        std::vector<ProbeOutcome> got;
        probe.Run(rows, 0, [&](size_t, const ProbeResult& r) { got.push_back(r.Outcome); });
        EXPECT_EQ(got, (std::vector<ProbeOutcome>{ProbeOutcome::Answered, ProbeOutcome::PortError}))
            << protocol;
    }
}

TEST(BusProbe, PortThatCannotBeOpenedSaysWhy) {
    ModbusSim sim;
    BusProbe probe(Fast(0));
    try {
        probe.Open("/dev/tessaro-no-such-port");
        FAIL();
    } catch (const EProbePort& e) {
        EXPECT_EQ(e.Reason, "missing: no such port");
    }
    TCustomComm holder;
    holder.SetDeviceName(sim.port());
    holder.Open();
    try {
        probe.Open(sim.port());
        FAIL();
    } catch (const EProbePort& e) {
        EXPECT_EQ(e.Reason, "in use by another program");
    }
    holder.Close();
    EXPECT_NO_THROW(probe.Open(sim.port()));
}

TEST(BusProbe, RowsTheProbeCannotTry) {
    AccessMap map;
    map.In = {{"1", "Holding Register", "0", "2", "", "0", "a"},
              {"0", "Holding Register", "0", "2", "", "0", ""},
              {"1", "", "0", "2", "", "0", ""},
              {"1", "Input Register", "65535", "2", "", "0", ""},
              {"", "Coil Status", "0", "1", "", "0", "after the run"}};
    map.Out = {{"0x10", "coil status", "0x20", "8", "", "0", ""},
               {"1", "Input Register", "0", "1", "", "0", ""}};
    auto rows = ProbeRows(map);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].Problem, "");
    EXPECT_EQ(rows[1].Problem, "Slave ID must be between 1 and 250.");
    EXPECT_EQ(rows[2].Problem, "Type must be Coil Status or Input Status or Holding Register or "
                               "Input Register.");
    EXPECT_EQ(rows[3].Problem, "points beyond address 65535");
    EXPECT_EQ(rows[4].Table, AccessTable::Write);
    EXPECT_EQ(rows[4].Request.Slave, 16);
    EXPECT_EQ(rows[4].Request.Address, 0x20);
    EXPECT_EQ(rows[4].Request.Function, 1);
    EXPECT_EQ(rows[5].Problem, "Type must be Coil Status or Holding Register.");

    // Binary and ASCII are not Modbus: one pass of "not tested", no request.
    for (int protocol : {3, 4}) {
        BusProbe probe(Fast(protocol));
        int seen = 0;
        EXPECT_EQ(probe.Run(rows, 0,
                            [&](size_t, const ProbeResult& r) {
                                ++seen;
                                EXPECT_EQ(r.Outcome, ProbeOutcome::NotTested);
                            }),
                  1);
        EXPECT_EQ(seen, 6);
    }
}

TEST(ModbusFrame, AsciiFramesAndTheirFaults) {
    EXPECT_EQ(AsciiFrame({0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}), ":01030000000AF2\r\n");
    struct {
        const char* frame;
        bool ok;
        BadFrameKind bad;
    } cases[] = {{":01030000000AF2\r\n", true, BadFrameKind::None},
                 {":01030000000af2\r\n", true, BadFrameKind::None},
                 {":01030000000AF3\r\n", false, BadFrameKind::Checksum},
                 {":01030000000AF\r\n", false, BadFrameKind::Length},
                 {":0103G000000AF2\r\n", false, BadFrameKind::Garbage},
                 {"01030000000AF2\r\n", false, BadFrameKind::Garbage},
                 {":01030000000AF2\n", false, BadFrameKind::Garbage},
                 {":\r\n", false, BadFrameKind::Length}};
    for (const auto& c : cases) {
        BadFrameKind bad;
        std::string why;
        EXPECT_EQ(DecodeAsciiFrame(c.frame, bad, why).has_value(), c.ok) << c.frame;
        EXPECT_EQ(bad, c.bad) << c.frame;
    }
}

TEST(ModbusFrame, SettingsFollowTheProjectAndTheStandard) {
    CommParams p;
    p.SerBaud = 3;
    p.SerPar = 2;
    p.SerProt = 1;
    p.SerTO = "0x10";
    p.SerCD = "0";
    ProbeSettings s = ProbeSettingsFrom(p);
    EXPECT_EQ(s.Baud, 9600);
    EXPECT_EQ(s.Parity, TParity::paOdd);
    EXPECT_EQ(s.DataBits, 7);
    EXPECT_EQ(s.StopBits, 1);
    EXPECT_EQ(s.TimeoutMs, 16);
    EXPECT_EQ(s.CyclicDelayMs, 0);
    p.SerProt = 2;
    p.SerTO = "0";
    s = ProbeSettingsFrom(p);
    EXPECT_EQ(s.DataBits, 8);
    EXPECT_EQ(s.TimeoutMs, 1);
}
} // namespace

namespace {
TEST(BusProbe, SlaveIdsAboveLibmodbusRangeAreNotSentInRtu) {
    ModbusSim sim;
    BusProbe probe(Fast(0));
    probe.Open(sim.port());
    ProbeResult r = probe.Probe(Row(248, "Holding Register", 0, 1));
    EXPECT_EQ(r.Outcome, ProbeOutcome::NotTested);
    EXPECT_EQ(OutcomeText(r, 0), "not tested: slave ID above 247 cannot be addressed");
    EXPECT_EQ(probe.Probe(Row(1, "Holding Register", 0, 1)).Outcome, ProbeOutcome::Answered);
}

TEST(BusProbe, PortListAddsOtherSerialDevicesOnce) {
    TempDir dev, sys;
    // Character devices are needed; /dev/null stands in for each.
    for (const char* name : {"ttyUSB0", "ttyS0", "ttyS12", "ttyAMA0", "tty5", "ttyACM1"}) {
        ASSERT_EQ(::symlink("/dev/null", (dev / name).c_str()), 0);
        ::mkdir((sys / name).c_str(), 0755);
        if (std::string(name) != "tty5") ::mkdir((sys / name + "/device").c_str(), 0755);
    }
    ::mkdir((sys / "ttyS13").c_str(), 0755); // listed by the kernel, no node
    ::mkdir((sys / "ttyS13/device").c_str(), 0755);
    auto ports = ProbePortNames(dev.path(), sys.path());
    std::vector<std::string> tail(ports.begin() + 10, ports.end());
    EXPECT_EQ(tail, (std::vector<std::string>{dev / "ttyUSB0", dev / "ttyACM1", dev / "ttyS12",
                                              dev / "ttyAMA0"}));
    EXPECT_EQ(ports.front(), "COM1");
}

TEST(BusProbe, ResultsAsCsv) {
    AccessMap map;
    map.In = {{"1", "Holding Register", "9", "2", "", "0", "Speed, \"set\""},
              {"2", "Coil Status", "0", "3", "", "0", ""}};
    map.Out = {{"1", "Coil Status", "0", "1", "", "0", "=cmd|' /C calc'!A0"}};
    auto rows = ProbeRows(map);
    std::vector<std::optional<ProbeResult>> results(3);
    results[0].emplace();
    results[0]->Outcome = ProbeOutcome::Answered;
    results[0]->Values = {0x109, 0xFFFE};
    results[0]->Milliseconds = 3.25;
    results[1].emplace();
    results[1]->Outcome = ProbeOutcome::Exception;
    results[1]->ExceptionCode = 2;
    results[1]->Milliseconds = 1;
    EXPECT_EQ(ProbeResultsCsv(rows, results, 0),
              "Table,Row,Slave ID,Type,Address Register,NPoint,Mnemonic,Outcome,Exception,Values,"
              "Time ms\r\n"
              "read,1,1,Holding Register,9,2,\"Speed, \"\"set\"\"\",answered,,"
              "0x0109 265 265; 0xFFFE 65534 -2,3.2\r\n"
              "read,2,2,Coil Status,0,3,,exception 02 Illegal Data Address,2,,1.0\r\n"
              "write,1,1,Coil Status,0,1,'=cmd|' /C calc'!A0,,,,\r\n"); // no formula
    ProbeTally t;
    for (auto o : {ProbeOutcome::Answered, ProbeOutcome::NoAnswer, ProbeOutcome::NoAnswer,
                   ProbeOutcome::BadFrame})
        t.Add(o);
    EXPECT_EQ(t.Text(), "1 answered, 0 exceptions, 2 no answer, 1 bad frame");
}

// Every outcome counts once under its own heading and has its own key.
TEST(BusProbe, EachOutcomeHasItsKeyAndItsCount) {
    const struct {
        ProbeOutcome outcome;
        const char* key;
        const char* tally;
    } cases[] = {
        {ProbeOutcome::Answered, "answered", "1 answered, 0 exceptions, 0 no answer"},
        {ProbeOutcome::Exception, "exception", "0 answered, 1 exception, 0 no answer"},
        {ProbeOutcome::NoAnswer, "no answer", "0 answered, 0 exceptions, 1 no answer"},
        {ProbeOutcome::BadFrame, "bad frame", "0 answered, 0 exceptions, 0 no answer, 1 bad frame"},
        {ProbeOutcome::PortError, "port error",
         "0 answered, 0 exceptions, 0 no answer, 1 port error"},
        {ProbeOutcome::NotTested, "not tested",
         "0 answered, 0 exceptions, 0 no answer, 1 not tested"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(OutcomeKey(c.outcome), c.key);
        ProbeTally t;
        t.Add(c.outcome);
        EXPECT_EQ(t.Text(), c.tally) << c.key;
        EXPECT_EQ(t.Total(), 1) << c.key;
    }

    const struct {
        BadFrameKind kind;
        bool ascii;
        const char* text;
    } frames[] = {
        {BadFrameKind::Checksum, false, "CRC error"},
        {BadFrameKind::Checksum, true, "LRC error"},
        {BadFrameKind::Length, false, "wrong length"},
        {BadFrameKind::OtherSlave, true, "other slave"},
        {BadFrameKind::OtherFunction, false, "other function"},
        {BadFrameKind::Garbage, true, "unreadable reply"},
        {BadFrameKind::None, false, ""},
    };
    for (const auto& f : frames)
        EXPECT_EQ(BadFrameText(f.kind, f.ascii), f.text);
    EXPECT_STREQ(ExceptionName(11), "Gateway Target Device Failed to Respond");
    EXPECT_STREQ(ExceptionName(9), "Unknown exception");
}
} // namespace
