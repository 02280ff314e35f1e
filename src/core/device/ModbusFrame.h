#pragma once
// Modbus request building and reply decoding, apart from the line so that it
// can be checked and fuzzed on bytes alone. An ADU here is slave ID plus PDU,
// without the checksum: RTU's CRC is checked by libmodbus, ASCII's LRC below.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class ProbeOutcome {
    Answered,
    Exception, // the slave answered with a Modbus exception
    NoAnswer,  // nothing within the time-out
    BadFrame,  // checksum, length, other slave, other function, unreadable
    PortError, // the port failed (adapter pulled)
    NotTested  // the row or the protocol cannot be tried
};

enum class BadFrameKind { None, Checksum, Length, OtherSlave, OtherFunction, Garbage };

struct ModbusRequest {
    uint8_t Slave = 1;
    uint8_t Function = 3; // 1, 2, 3, 4 read; 15, 16 write
    uint16_t Address = 0;
    uint16_t Count = 1;
    std::vector<uint16_t> Values; // coils as 0/1; only for 15 and 16
};

struct ModbusReply {
    ProbeOutcome Outcome = ProbeOutcome::NoAnswer;
    BadFrameKind Bad = BadFrameKind::None;
    int ExceptionCode = 0;
    std::vector<uint16_t> Values; // bits as 0/1, registers as read
    std::string Detail;           // what was wrong, for bad frames
};

// Slave ID and PDU of the request.
std::vector<uint8_t> RequestAdu(const ModbusRequest& req);

// Judges the reply ADU (slave ID and PDU, checksum already removed) to `req`.
ModbusReply DecodeReplyAdu(const ModbusRequest& req, const uint8_t* adu, size_t size);

// Standard name of an exception code ("Illegal Data Address"), or "Unknown exception".
const char* ExceptionName(int code);
// Short text of a bad frame kind ("CRC error", "wrong length", ...); RTU or ASCII
// names the checksum.
std::string BadFrameText(BadFrameKind kind, bool ascii);

// Modbus ASCII: ':' then the ADU and its LRC in upper-case hex, then CR LF.
std::string AsciiFrame(const std::vector<uint8_t>& adu);
// The ADU of one received ASCII frame (from ':' to LF, both included). Returns
// nothing and sets `bad` / `why` when the frame is not readable or its LRC fails.
std::optional<std::vector<uint8_t>> DecodeAsciiFrame(std::string_view frame, BadFrameKind& bad,
                                                     std::string& why);
// Judges one received ASCII frame to `req`: its LRC and form, then its ADU.
ModbusReply DecodeAsciiReply(const ModbusRequest& req, std::string_view frame);
// Longitudinal redundancy check of the ADU bytes.
uint8_t AsciiLrc(const uint8_t* data, size_t size);

// Collects received characters into one ASCII frame: a ':' starts it afresh,
// LF ends it, noise outside a frame is dropped, a run-on frame is cut.
class AsciiFrameCollector {
public:
    // True once a whole frame is there (then Frame() holds it, ':' to LF).
    bool Feed(const char* data, size_t size);
    std::string_view Frame() const { return buf_; }
    bool SawAnything() const { return any_; }

private:
    std::string buf_;
    bool any_ = false;
    bool done_ = false;
};

// Registers as the device means them. A pair of registers k, k+1 holds the
// bytes A B (register k, high byte first) and C D (register k+1); devices put
// them on the wire in one of four orders.
enum class WordOrder {
    Abcd, // Modbus big-endian
    Cdab, // words swapped
    Badc, // bytes swapped in each word
    Dcba  // all four reversed
};
enum class ValueKind { U16, S16, Hex, U32, S32, F32 };
struct ValueForm {
    ValueKind Kind = ValueKind::U16;
    WordOrder Order = WordOrder::Abcd; // only for the 32-bit kinds
    bool operator==(const ValueForm&) const = default;
};
bool IsPairForm(ValueKind k);
// "abcd", "cdab", "badc", "dcba".
const char* WordOrderName(WordOrder o);
// "u16", "s16", "hex", "u32-abcd" ... "f32-dcba".
std::string ValueFormName(ValueForm f);
// Every form, in the order of the list above.
std::vector<ValueForm> ValueForms();
std::optional<ValueForm> ParseValueForm(std::string_view name);

// The 32 bits of the registers `first`, `second` read in the given order.
uint32_t Join32(uint16_t first, uint16_t second, WordOrder o);
float FloatOfBits(uint32_t bits);
// Up to `digits` significant digits; "nan", "inf", "-inf".
std::string FloatText(float f, int digits = 7);
// The fewest digits that read back as the same float ("12.56"); "nan", "inf", "-inf".
std::string FloatShortest(float f);
// One text a register (16-bit forms) or a pair of registers (32-bit forms);
// the last register of an odd count is shown on its own in hex.
std::vector<std::string> RegisterTexts(const std::vector<uint16_t>& regs, ValueForm form);
