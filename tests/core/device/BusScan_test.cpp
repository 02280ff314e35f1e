// The scan's pieces without a line, and the typed register values.
#include "TempDir.h"
#include "core/device/BusScan.h"
#include "core/model/Project.h"
#include "core/editors/CommParams.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {
TEST(RegisterValues, TheFourWordOrdersOfThePair4148F5C3) {
    // The pair from the README's table, by hand.
    struct {
        WordOrder order;
        uint32_t bits;
        const char* name;
    } cases[] = {{WordOrder::Abcd, 0x4148F5C3, "abcd"},
                 {WordOrder::Cdab, 0xF5C34148, "cdab"},
                 {WordOrder::Badc, 0x4841C3F5, "badc"},
                 {WordOrder::Dcba, 0xC3F54841, "dcba"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Join32(0x4148, 0xF5C3, c.order), c.bits) << c.name;
        EXPECT_STREQ(WordOrderName(c.order), c.name);
    }
    EXPECT_EQ(FloatOfBits(0x4148F5C3), 12.56f);
    EXPECT_EQ(FloatText(FloatOfBits(0x4148F5C3)), "12.56");
}

TEST(RegisterValues, FloatTextOfSpecialAndLongValues) {
    const float inf = std::numeric_limits<float>::infinity();
    struct {
        float f;
        const char* text;
        const char* shortest;
    } cases[] = {{std::nanf(""), "nan", "nan"},
                 {-std::nanf(""), "nan", "nan"},
                 {inf, "inf", "inf"},
                 {-inf, "-inf", "-inf"},
                 {0.1f, "0.1", "0.1"},
                 {1.0f / 3, "0.3333333", "0.33333334"},
                 {16777217.0f, "1.677722e+07", "16777216"},
                 {-2.5e-40f, "-2.500001e-40", "-2.5e-40"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FloatText(c.f), c.text);
        EXPECT_EQ(FloatShortest(c.f), c.shortest);
    }
}

TEST(RegisterValues, EveryFormByNameAndAnOddCount) {
    const auto forms = ValueForms();
    ASSERT_EQ(forms.size(), 15u);
    for (ValueForm f : forms)
        EXPECT_EQ(ParseValueForm(ValueFormName(f)), f) << ValueFormName(f);
    for (const char* bad : {"", "u32", "f32-abdc", "U16", "hex "})
        EXPECT_FALSE(ParseValueForm(bad)) << bad;
    const std::vector<uint16_t> regs = {0xFFFF, 0xFFFE, 0x0001};
    EXPECT_EQ(ValuesText(regs, true, ParseValueForm("s32-abcd")), "-2; 0x0001");
    EXPECT_EQ(ValuesText(regs, true, ParseValueForm("u32-cdab")), "4294901759; 0x0001");
    EXPECT_EQ(ValuesText(regs, true, ParseValueForm("s16")), "-1; -2; 1");
    // No form keeps the probe's own text; bits never take a form.
    EXPECT_EQ(ValuesText(regs, true, std::nullopt), ValuesText(regs, true));
    EXPECT_EQ(ValuesText({1, 0}, false, ParseValueForm("hex")), "1 0");
}

TEST(BusScan, IdRanges) {
    struct {
        const char* text;
        std::vector<int> ids;
    } cases[] = {{"5", {5}},     {"1-3", {1, 2, 3}}, {"3,1-2,2", {3, 1, 2}},
                 {"247", {247}}, {"0", {}},          {"248", {}},
                 {"4-2", {}},    {"", {}},           {"1,", {}},
                 {"1-", {}},     {"a-b", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseIdRange(c.text), c.ids) << c.text;
    EXPECT_EQ(ParseIdRange("1-247").size(), 247u);
}

TEST(BusScan, LinesAndTexts) {
    ScanOptions rtu, ascii;
    ascii.Protocol = 1;
    rtu.TimeoutMs = ascii.TimeoutMs = 100;
    const ProbeSettings a = ScanLine(rtu, 19200, TParity::paEven);
    const ProbeSettings b = ScanLine(ascii, 1200, TParity::paNone);
    EXPECT_EQ(LineText(a), "19200 8E1");
    EXPECT_EQ(LineText(b), "1200 7N1");
    // The time-out starts once the request is on the wire: 8 characters of
    // 11 bits at 19200, 17 of 9 bits at 1200.
    EXPECT_EQ(a.TimeoutMs, 104);
    EXPECT_EQ(b.TimeoutMs, 227);
    EXPECT_EQ(a.CyclicDelayMs, 0);

    ScanFound f{7, a, 3, {}};
    f.Reply.Outcome = ProbeOutcome::Exception;
    f.Reply.ExceptionCode = 2;
    EXPECT_EQ(FoundText(f), "slave 7 at 19200 8E1 Modbus RTU (read holding register 0: "
                            "exception 02)");
    ScanFound g{3, b, 1, {}};
    g.Reply.Outcome = ProbeOutcome::Answered;
    EXPECT_EQ(FoundText(g), "slave 3 at 1200 7N1 Modbus ASCII (read coil 0: answered)");

    ScanSummary s;
    s.SettingsTried = 2;
    s.Ids = 247;
    EXPECT_EQ(s.Text(), "no slave answered (2 settings x 247 IDs tried)");
    s.Found = {f};
    EXPECT_EQ(s.Text(), "1 slave found at 19200 8E1");
    s.Found = {f, f, g};
    EXPECT_EQ(s.Text(), "3 slaves found at 19200 8E1, 1200 7N1");
}

TEST(BusScan, ApplyLineSettingsChangesOnlyBaudAndParity) {
    TempDir dir;
    CommParams before;
    before.SerBaud = 7;
    before.SerPar = 0;
    before.SerTO = "250";
    before.DnId = "12";
    before.SerProt = 2;
    SaveCommParams(before, dir / "pargen.xml");
    Project project = Project::load(dir.path());
    ApplyLineSettings(project, SerBaudCode(19200), SerParCode(TParity::paOdd));
    CommParams after;
    LoadCommParams(dir / "pargen.xml", after);
    CommParams expected = before;
    expected.SerBaud = 4;
    expected.SerPar = 2;
    EXPECT_EQ(after, expected);
    EXPECT_EQ(SerBaudCode(1200), 0);
    EXPECT_EQ(SerBaudCode(14400), -1);
    EXPECT_EQ(SerParCode(TParity::paEven), 1);
}
} // namespace
