#include "core/model/ParamFields.h"

namespace {
using P = Param;
// Fallbacks are what Set Communication shows for a missing element; an empty
// one means the editor has none (the element ends its reading).
constexpr std::array<ParamInfo, ParamCount> kParams = {{
    {P::SerBaud, "Ser_Baud", "Baudrate", true, true, ""},
    {P::SerPar, "Ser_Par", "Parity", true, true, ""},
    {P::SerTO, "Ser_TO", "TimeOut", true, true, ""},
    {P::SerCD, "Ser_CD", "Cyclic Delay", true, true, ""},
    {P::SerType, "Ser_Type", "RS232/RS485", true, true, ""},
    {P::SerProt, "Ser_Prot", "Protocol", true, true, ""},
    {P::DnId, "DN_ID", "ID Dev.", true, true, "1"},
    {P::DnBaud, "DN_Baud", "Baud rate", true, true, "2"},
    {P::DnNbIn, "DN_NB_IN", "N Byte IN", true, true, "455"},
    {P::DnNbOut, "DN_NB_OUT", "N Byte OUT", true, true, "455"},
    {P::SerWriteMode, "Ser_Write_Mode", "Write", false, true, "0"},
    {P::DnEnableError, "DN_Enable_Error", "Enable check Modbus Error", false, true, "0"},
    {P::DnNumContErr, "DN_Num_Cont_Err", "Number Continuos Error", false, true, "3"},
    {P::DnValCancData, "DN_Val_Canc_Data", "Value to set to data bytes", false, true, "0x00"},
    {P::ProfiNbIn, "Profi_NB_IN", "", false, false, "244"},
    {P::ProfiNbOut, "Profi_NB_OUT", "", false, false, "244"},
}};

constexpr std::array<Param, 14> kFileOrder = {
    P::SerBaud, P::SerPar,        P::SerTO,        P::SerCD,        P::SerType,
    P::SerProt, P::SerWriteMode,  P::DnId,         P::DnBaud,       P::DnNbIn,
    P::DnNbOut, P::DnEnableError, P::DnNumContErr, P::DnValCancData};

static_assert([] {
    for (size_t i = 0; i < ParamCount; ++i)
        if (static_cast<size_t>(kParams[i].id) != i) return false;
    return true;
}());
} // namespace

const ParamInfo& InfoOf(Param p) {
    return kParams[static_cast<size_t>(p)];
}

const std::array<ParamInfo, ParamCount>& AllParams() {
    return kParams;
}

const std::array<Param, 14>& CommParamFileOrder() {
    return kFileOrder;
}
