#include "core/device/ModbusFrame.h"

#include "core/project/Lookup.h"
#include "core/project/ParseInteger.h"

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
