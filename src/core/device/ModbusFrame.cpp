#include "core/device/ModbusFrame.h"

#include "core/project/Lookup.h"
#include "core/project/ParseInteger.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {
void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v & 0xFF));
}

unsigned Get16(const uint8_t* p) {
    return (unsigned(p[0]) << 8) | p[1];
}

bool IsBitFunction(int f) {
    return f == 1 || f == 2 || f == 15;
}

ModbusReply Bad(BadFrameKind kind, std::string detail) {
    ModbusReply r;
    r.Outcome = ProbeOutcome::BadFrame;
    r.Bad = kind;
    r.Detail = std::move(detail);
    return r;
}
} // namespace

std::vector<uint8_t> RequestAdu(const ModbusRequest& req) {
    std::vector<uint8_t> adu{req.Slave, req.Function};
    Put16(adu, req.Address);
    Put16(adu, req.Count);
    if (req.Function == 15) {
        std::vector<uint8_t> bits((req.Count + 7) / 8, 0);
        for (size_t i = 0; i < req.Values.size() && i < req.Count; ++i)
            if (req.Values[i]) bits[i / 8] |= uint8_t(1u << (i % 8));
        adu.push_back(static_cast<uint8_t>(bits.size()));
        adu.insert(adu.end(), bits.begin(), bits.end());
    } else if (req.Function == 16) {
        adu.push_back(static_cast<uint8_t>(req.Count * 2));
        for (size_t i = 0; i < req.Count; ++i)
            Put16(adu, i < req.Values.size() ? req.Values[i] : 0);
    }
    return adu;
}

ModbusReply DecodeReplyAdu(const ModbusRequest& req, const uint8_t* adu, size_t size) {
    if (size < 2) return Bad(BadFrameKind::Length, "reply of " + std::to_string(size) + " bytes");
    if (adu[0] != req.Slave)
        return Bad(BadFrameKind::OtherSlave, "reply from slave " + std::to_string(adu[0]));
    const int fn = adu[1];
    if (fn == (req.Function | 0x80)) {
        if (size != 3) return Bad(BadFrameKind::Length, "exception reply of wrong length");
        ModbusReply r;
        r.Outcome = ProbeOutcome::Exception;
        r.ExceptionCode = adu[2];
        return r;
    }
    if (fn != req.Function)
        return Bad(BadFrameKind::OtherFunction, "reply for function " + std::to_string(fn));

    ModbusReply r;
    if (fn == 15 || fn == 16) {
        if (size != 6) return Bad(BadFrameKind::Length, "write reply of wrong length");
        if (Get16(adu + 2) != req.Address || Get16(adu + 4) != req.Count)
            return Bad(BadFrameKind::Garbage, "write reply names other addresses");
        r.Outcome = ProbeOutcome::Answered;
        r.Values = req.Values;
        return r;
    }
    const size_t expected = IsBitFunction(fn) ? (req.Count + 7u) / 8u : req.Count * 2u;
    if (size < 3 || adu[2] != expected || size != 3 + expected)
        return Bad(BadFrameKind::Length, "byte count " + std::to_string(size < 3 ? 0 : adu[2]) +
                                             ", expected " + std::to_string(expected));
    const uint8_t* data = adu + 3;
    r.Values.reserve(req.Count);
    for (size_t i = 0; i < req.Count; ++i)
        r.Values.push_back(IsBitFunction(fn) ? (data[i / 8] >> (i % 8)) & 1u
                                             : static_cast<uint16_t>(Get16(data + 2 * i)));
    r.Outcome = ProbeOutcome::Answered;
    return r;
}

const char* ExceptionName(int code) {
    static constexpr std::pair<int, const char*> names[] = {
        {1, "Illegal Function"},
        {2, "Illegal Data Address"},
        {3, "Illegal Data Value"},
        {4, "Slave Device Failure"},
        {5, "Acknowledge"},
        {6, "Slave Device Busy"},
        {7, "Negative Acknowledge"},
        {8, "Memory Parity Error"},
        {10, "Gateway Path Unavailable"},
        {11, "Gateway Target Device Failed to Respond"}};
    return Lookup(names, code, "Unknown exception");
}

std::string BadFrameText(BadFrameKind kind, bool ascii) {
    static constexpr std::pair<BadFrameKind, const char*> texts[] = {
        {BadFrameKind::Length, "wrong length"},
        {BadFrameKind::OtherSlave, "other slave"},
        {BadFrameKind::OtherFunction, "other function"},
        {BadFrameKind::Garbage, "unreadable reply"}};
    if (kind == BadFrameKind::Checksum) return ascii ? "LRC error" : "CRC error";
    return Lookup(texts, kind, "");
}

uint8_t AsciiLrc(const uint8_t* data, size_t size) {
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum = static_cast<uint8_t>(sum + data[i]);
    return static_cast<uint8_t>(-sum);
}

std::string AsciiFrame(const std::vector<uint8_t>& adu) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out = ":";
    auto put = [&](uint8_t b) {
        out += hex[b >> 4];
        out += hex[b & 15];
    };
    for (uint8_t b : adu)
        put(b);
    put(AsciiLrc(adu.data(), adu.size()));
    out += "\r\n";
    return out;
}

std::optional<std::vector<uint8_t>> DecodeAsciiFrame(std::string_view frame, BadFrameKind& bad,
                                                     std::string& why) {
    bad = BadFrameKind::Garbage;
    if (frame.size() < 3 || frame.front() != ':' || frame.substr(frame.size() - 2) != "\r\n") {
        why = "not an ASCII frame";
        return std::nullopt;
    }
    std::string_view hex = frame.substr(1, frame.size() - 3);
    if (hex.size() % 2 != 0 || hex.size() < 6) {
        bad = BadFrameKind::Length;
        why = "odd or short ASCII frame";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) {
            why = "not a hex digit in ASCII frame";
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    const uint8_t lrc = bytes.back();
    bytes.pop_back();
    if (AsciiLrc(bytes.data(), bytes.size()) != lrc) {
        bad = BadFrameKind::Checksum;
        why = "LRC error";
        return std::nullopt;
    }
    bad = BadFrameKind::None;
    return bytes;
}

ModbusReply DecodeAsciiReply(const ModbusRequest& req, std::string_view frame) {
    BadFrameKind bad;
    std::string why;
    auto adu = DecodeAsciiFrame(frame, bad, why);
    if (adu) return DecodeReplyAdu(req, adu->data(), adu->size());
    ModbusReply r;
    r.Outcome = ProbeOutcome::BadFrame;
    r.Bad = bad;
    r.Detail = why;
    return r;
}

bool AsciiFrameCollector::Feed(const char* data, size_t size) {
    for (size_t i = 0; i < size && !done_; ++i) {
        any_ = true;
        // 7-bit characters whatever the data bits.
        const char c = static_cast<char>(data[i] & 0x7F);
        if (c == ':') buf_.clear();
        if (buf_.empty() && c != ':') continue;
        buf_ += c;
        if (c == '\n') done_ = true;
        // The longest frame is 513 characters; more is a broken line.
        else if (buf_.size() > 520)
            buf_.clear();
    }
    return done_;
}

bool IsPairForm(ValueKind k) {
    return k == ValueKind::U32 || k == ValueKind::S32 || k == ValueKind::F32;
}

const char* WordOrderName(WordOrder o) {
    static const char* const names[] = {"abcd", "cdab", "badc", "dcba"};
    return names[static_cast<int>(o)];
}

std::string ValueFormName(ValueForm f) {
    switch (f.Kind) {
    case ValueKind::U16:
        return "u16";
    case ValueKind::S16:
        return "s16";
    case ValueKind::Hex:
        return "hex";
    case ValueKind::U32:
        return std::string("u32-") + WordOrderName(f.Order);
    case ValueKind::S32:
        return std::string("s32-") + WordOrderName(f.Order);
    case ValueKind::F32:
        return std::string("f32-") + WordOrderName(f.Order);
    }
    return {};
}

std::vector<ValueForm> ValueForms() {
    std::vector<ValueForm> out = {{ValueKind::U16}, {ValueKind::S16}, {ValueKind::Hex}};
    for (ValueKind k : {ValueKind::U32, ValueKind::S32, ValueKind::F32})
        for (WordOrder o : {WordOrder::Abcd, WordOrder::Cdab, WordOrder::Badc, WordOrder::Dcba})
            out.push_back({k, o});
    return out;
}

std::optional<ValueForm> ParseValueForm(std::string_view name) {
    for (ValueForm f : ValueForms())
        if (ValueFormName(f) == name) return f;
    return std::nullopt;
}

uint32_t Join32(uint16_t first, uint16_t second, WordOrder o) {
    auto swap = [](uint16_t v) { return static_cast<uint32_t>(((v & 0xFF) << 8) | (v >> 8)); };
    switch (o) {
    case WordOrder::Cdab:
        return (uint32_t(second) << 16) | first;
    case WordOrder::Badc:
        return (swap(first) << 16) | swap(second);
    case WordOrder::Dcba:
        return (swap(second) << 16) | swap(first);
    case WordOrder::Abcd:
        break;
    }
    return (uint32_t(first) << 16) | second;
}

float FloatOfBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

namespace {
const char* SpecialFloat(float f) {
    if (std::isnan(f)) return "nan"; // the sign of a NaN means nothing
    if (std::isinf(f)) return f < 0 ? "-inf" : "inf";
    return nullptr;
}
} // namespace

std::string FloatText(float f, int digits) {
    if (const char* s = SpecialFloat(f)) return s;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(f));
    return buf;
}

std::string FloatShortest(float f) {
    if (const char* s = SpecialFloat(f)) return s;
    for (int digits = 6; digits < 9; ++digits) {
        std::string t = FloatText(f, digits);
        if (std::strtof(t.c_str(), nullptr) == f) return t;
    }
    return FloatText(f, 9);
}

std::vector<std::string> RegisterTexts(const std::vector<uint16_t>& regs, ValueForm form) {
    std::vector<std::string> out;
    char buf[48];
    auto hex = [&](uint16_t v) {
        std::snprintf(buf, sizeof buf, "0x%04X", v);
        return std::string(buf);
    };
    if (!IsPairForm(form.Kind)) {
        for (uint16_t v : regs)
            out.push_back(form.Kind == ValueKind::Hex   ? hex(v)
                          : form.Kind == ValueKind::S16 ? std::to_string(static_cast<int16_t>(v))
                                                        : std::to_string(v));
        return out;
    }
    for (size_t k = 0; k + 1 < regs.size(); k += 2) {
        const uint32_t bits = Join32(regs[k], regs[k + 1], form.Order);
        out.push_back(form.Kind == ValueKind::U32   ? std::to_string(bits)
                      : form.Kind == ValueKind::S32 ? std::to_string(static_cast<int32_t>(bits))
                                                    : FloatText(FloatOfBits(bits)));
    }
    if (regs.size() % 2) out.push_back(hex(regs.back()));
    return out;
}
