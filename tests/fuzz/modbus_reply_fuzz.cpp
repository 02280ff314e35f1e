// The probe's reply decoding over arbitrary line bytes. Byte 0 picks the
// framing (even RTU ADU, odd ASCII characters), bytes 1..6 the request (slave,
// function, address, count), the rest is what came back. Whatever arrives, the
// verdict holds together: values only for an answer, as many as asked; and
// the registers of an answer decode the same in every form.
#include "core/device/ModbusFrame.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
uint32_t Swap32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

// Each form's texts against the word orders and each other.
void CheckDecoding(const std::vector<uint16_t>& regs) {
    for (ValueForm f : ValueForms()) {
        const auto texts = RegisterTexts(regs, f);
        const size_t n = IsPairForm(f.Kind) ? (regs.size() + 1) / 2 : regs.size();
        if (texts.size() != n) abort();
        if (ParseValueForm(ValueFormName(f)) != f) abort();
        if (IsPairForm(f.Kind) && regs.size() % 2 && texts.back()[1] != 'x') abort();
    }
    for (size_t k = 0; k + 1 < regs.size(); k += 2) {
        const uint32_t abcd = Join32(regs[k], regs[k + 1], WordOrder::Abcd);
        const uint32_t cdab = Join32(regs[k], regs[k + 1], WordOrder::Cdab);
        if (Join32(regs[k], regs[k + 1], WordOrder::Dcba) != Swap32(abcd)) abort();
        if (Join32(regs[k], regs[k + 1], WordOrder::Badc) != Swap32(cdab)) abort();
        if ((abcd >> 16) != regs[k] || (cdab & 0xFFFF) != regs[k]) abort();
        // The shortest float text reads back as the same bits (NaN as "nan").
        const float f = FloatOfBits(abcd);
        const std::string t = FloatShortest(f);
        if (std::isnan(f) ? t != "nan" : std::strtof(t.c_str(), nullptr) != f) abort();
        if (FloatText(f).size() > 16) abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 7) return 0;
    static const uint8_t functions[] = {1, 2, 3, 4, 15, 16};
    ModbusRequest req;
    req.Slave = data[1];
    req.Function = functions[data[2] % 6];
    req.Address = static_cast<uint16_t>(data[3] << 8 | data[4]);
    req.Count = static_cast<uint16_t>(1 + (data[5] << 8 | data[6]) % 2000);
    if (req.Function >= 15) req.Values.assign(req.Count, 1);
    const uint8_t* reply = data + 7;
    const size_t n = size - 7;

    ModbusReply r;
    if (data[0] % 2 == 0) {
        r = DecodeReplyAdu(req, reply, n);
    } else {
        AsciiFrameCollector collector;
        // Delivered in pieces, as a line does.
        size_t at = 0, step = 1 + data[0] % 7;
        bool whole = false;
        while (at < n && !whole) {
            const size_t take = std::min(step, n - at);
            whole = collector.Feed(reinterpret_cast<const char*>(reply + at), take);
            at += take;
        }
        if (!whole) return 0;
        const std::string_view frame = collector.Frame();
        if (frame.empty() || frame.front() != ':' || frame.back() != '\n' || frame.size() > 521)
            abort();
        r = DecodeAsciiReply(req, frame);
        // A good frame comes back from its own ADU unchanged.
        BadFrameKind bad;
        std::string why;
        if (auto adu = DecodeAsciiFrame(frame, bad, why)) {
            std::string again = AsciiFrame(*adu);
            for (char& c : again)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            std::string upper(frame);
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (again != upper) abort();
        }
    }
    const bool answered = r.Outcome == ProbeOutcome::Answered;
    if (answered && r.Values.size() != req.Count) abort();
    if (!answered && !r.Values.empty()) abort();
    if ((r.Outcome == ProbeOutcome::BadFrame) != (r.Bad != BadFrameKind::None)) abort();
    if (r.Outcome != ProbeOutcome::Answered && r.Outcome != ProbeOutcome::Exception &&
        r.Outcome != ProbeOutcome::BadFrame)
        abort();
    for (uint16_t v : r.Values)
        if ((req.Function <= 2) && v > 1) abort();
    if (answered && (req.Function == 3 || req.Function == 4)) CheckDecoding(r.Values);
    return 0;
}
