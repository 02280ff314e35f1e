#include "core/device/BankDump.h"
#include "core/device/ConfigImage.h"

#include <gtest/gtest.h>

namespace {

// A header with no records and a parameter block whose byte i is 0x40 + i,
// but for the record counts, which must be zero to agree with the image.
std::vector<uint8_t> ImageWithParams() {
    std::vector<uint8_t> img = {8, 0, 0, 0, 8, 0, 0, 0};
    for (size_t i = 0; i < bank::ParamBlockSize; ++i)
        img.push_back(uint8_t(0x40 + i));
    for (size_t at : {bank::PCountIn, bank::PCountOut})
        img[8 + at] = img[8 + at + 1] = 0;
    return img;
}

int Byte(size_t at) {
    return int(0x40 + at);
}
int Word(size_t at) {
    return Byte(at) | Byte(at + 1) << 8;
}

TEST(BankDump, ReadsEveryParameterFromItsPlaceAndWidth) {
    const BankImage img = DecodeBank(ImageWithParams());
    ASSERT_TRUE(img.params);
    const BankParams& p = *img.params;
    const struct {
        const char* name;
        int got, want;
    } cases[] = {
        {"serBaud", p.serBaud, Byte(bank::PSerBaud)},
        {"serPar", p.serPar, Byte(bank::PSerPar)},
        {"serTO", p.serTO, Word(bank::PSerTO)},
        {"serCD", p.serCD, Word(bank::PSerCD)},
        {"serType", p.serType, Byte(bank::PSerType)},
        {"serProt", p.serProt, Byte(bank::PSerProt)},
        {"dnId", p.dnId, Byte(bank::PDnId)},
        {"dnBaud", p.dnBaud, Byte(bank::PDnBaud)},
        {"dnNbIn", p.dnNbIn, Word(bank::PDnNbIn)},
        {"dnNbOut", p.dnNbOut, Word(bank::PDnNbOut)},
        {"countIn", p.countIn, 0},
        {"countOut", p.countOut, 0},
        {"writeMode", p.writeMode, Byte(bank::PSerWriteMode)},
        {"enableError", p.enableError, Byte(bank::PDnEnableError)},
        {"numContErr", p.numContErr, Byte(bank::PDnNumContErr)},
        {"valCancData", p.valCancData, Byte(bank::PDnValCancData)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.want) << c.name;
}

} // namespace
