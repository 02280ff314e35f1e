#pragma once
#include <string>

// The project of the configuration image's worked example and its 46 bytes.
inline const char* const ExamplePargen =
    "<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>1</Ser_TO><Ser_CD>1</Ser_CD>"
    "<Ser_Type>0</Ser_Type><Ser_Prot>0</Ser_Prot><Ser_Write_Mode>1</Ser_Write_Mode>"
    "<DN_ID>20</DN_ID><DN_Baud>0</DN_Baud><DN_NB_IN>20</DN_NB_IN><DN_NB_OUT>20</DN_NB_OUT>"
    "<DN_Enable_Error>0</DN_Enable_Error><DN_Num_Cont_Err>1</DN_Num_Cont_Err>"
    "<DN_Val_Canc_Data>0x00</DN_Val_Canc_Data></Par_Gen>";

inline const char* const ExampleSdo =
    "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\" Type=\"Holding Register\" "
    "Address_Mod=\"100\" NPoint=\"2\" Swap=\"N\" Address_DeviceNet=\"0\" Mnemonic=\"a\"/>"
    "</DeviceNet_IN><DeviceNet_OUT><row Slave_ID=\"2\" Type=\"Coil Status\" Address_Mod=\"10\" "
    "NPoint=\"8\" Swap=\"N\" Address_DeviceNet=\"4\" Mnemonic=\"b\"/></DeviceNet_OUT>"
    "</Serial_to_ProfiBus>";

inline const std::string ExampleBank = std::string(
    "\x08\x00\x00\x00\x18\x00\x00\x00"
    "\x01\x03\x64\x00\x02\x00\x00\x00"
    "\x02\x0A\x00\x08\x04\x00\x01\x00"
    "\x07\x00\x01\x00\x01\x00\x01\x00\x14\x00\x14\x00\x14\x00\x01\x00\x01\x00\x01\x00\x01\x00",
    46);
