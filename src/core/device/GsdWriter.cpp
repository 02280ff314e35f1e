#include "core/device/GsdWriter.h"

#include "core/model/Project.h"
#include "core/project/FileSystem.h"

#include <cstdint>
#include <cstdio>
#include <initializer_list>

namespace {

// Vendor box: the closing "*" of every box line is its 85th character.
constexpr size_t BoxWidth = 85;
constexpr const char* VendorName = "Velmora Gateways S.r.l.";
constexpr const char* VendorStreet = "Via dei Telai 14";
constexpr const char* VendorTown = "20099 Borgo Tessaro (MI)";
constexpr const char* VendorCountry = "Lombardia - Italy";
constexpr const char* VendorPhone = "+39 02 5550 1200";
constexpr const char* VendorFax = "+39 02 5550 1299";
constexpr const char* VendorMail = "support@velmora.example";

class GsdText {
public:
    void line(const std::string& s) {
        out_ += s;
        out_ += "\r\n";
    }
    void lines(std::initializer_list<const char*> block) {
        for (const char* s : block)
            line(s);
    }
    void empty(int count) {
        for (int i = 0; i < count; ++i)
            line("");
    }
    void boxLine(const std::string& text) {
        std::string s = ";*" + text;
        if (s.size() < BoxWidth - 1) s.append(BoxWidth - 1 - s.size(), ' ');
        line(s + "*");
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

std::string Hex2(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
    return buf;
}

// One area's modules, numbered from `first`.
void WriteModules(GsdText& t, int bytes, int count, int first, const char* kind, const char* code) {
    if (bytes <= 0) return;
    for (int m = 0; m < count; ++m) {
        const std::string k = std::to_string(first + m);
        std::string head = std::string("Module=\"") + kind + "  (PORT" + k + ")    \" 0x" + code;
        if (m < count - 1) {
            head += ",0x3F,0x00,0x0" + k;
        } else {
            const int rest = bytes - GsdModuleBytes * (count - 1);
            head += ",0x" + Hex2(rest - 1) + ",0x00,0x0" + k;
        }
        t.line(head);
        t.line(k);
        t.line("EndModule");
    }
}

} // namespace

int GsdModuleCount(int bytes) {
    if (bytes <= 0) return 0;
    return bytes / GsdModuleBytes + (bytes % GsdModuleBytes != 0 ? 1 : 0);
}

std::string ComposeGsd(int nbIn, int nbOut) {
    const int modIn = GsdModuleCount(nbIn);
    const int modOut = GsdModuleCount(nbOut);
    GsdText t;

    t.lines({";", ";****************** Gateway Serial Master to ProfiBus Slave "
                  "*************************"});
    t.boxLine(" " + std::string(80, '=') + " ");
    t.boxLine("");
    t.boxLine(std::string(" Vendor:   ") + VendorName);
    t.boxLine(std::string("           ") + VendorStreet);
    t.boxLine(std::string("           ") + VendorTown);
    t.boxLine(std::string("           ") + VendorCountry);
    t.boxLine(std::string("           Tel. : ") + VendorPhone);
    t.boxLine(std::string("           FAX. : ") + VendorFax);
    t.boxLine(std::string("           eMail: ") + VendorMail);
    t.boxLine("");
    t.boxLine(" " + std::string(80, '=') + " ");
    t.boxLine("");
    t.boxLine(" Function:       Gateway Serial Master to ProfiBus Slave");
    t.boxLine("");
    t.boxLine("");
    t.boxLine(" Order Number : RG58804");
    t.boxLine("");
    t.boxLine("");
    t.line(";" + std::string(BoxWidth - 1, '*'));
    t.empty(2);
    t.line("#Profibus_DP");
    t.empty(2);

    t.lines(
        {";====================================================================================",
         ";==== Prm-Text-Def-List =============================================================",
         ";====================================================================================",
         "",
         "PrmText=1",
         "Text(0)=\"disable\"",
         "Text(1)=\"enable\"",
         "EndPrmText",
         "",
         "PrmText  = 2",
         "Text(0)  = \"clock up\"",
         "Text(1)  = \"clock down\"",
         "EndPrmText",
         "",
         "PrmText  = 3",
         "Text(1)  = \"10\"",
         "Text(2)  = \"20\"",
         "Text(3)  = \"30\"",
         "Text(4)  = \"40\"",
         "Text(5)  = \"50\"",
         "EndPrmText"});
    t.empty(2);

    t.lines(
        {";=====================================================================================",
         ";==== Ext-User-Prm-Data-Def-List =====================================================",
         ";=====================================================================================",
         "",
         "ExtUserPrmData=1 \"[SlotNumber]\"",
         "Unsigned8 0 0-32",
         "EndExtUserPrmData",
         "",
         "ExtUserPrmData=2 \"Diagnostic Alarm\"",
         "Bit(0) 0 0-1",
         "Prm_Text_Ref=1",
         "EndExtUserPrmData",
         "",
         "ExtUserPrmData=3 \"Process Alarm\"",
         "Bit(1) 0 0-1",
         "Prm_Text_Ref=1",
         "EndExtUserPrmData",
         "",
         "ExtUserPrmData=4 \"Counter mode\"",
         "Unsigned8 0 0-1",
         "Prm_Text_Ref=2",
         "EndExtUserPrmData",
         "",
         "ExtUserPrmData=5 \"Counter timebase (ms)\"",
         "Unsigned8 1 1-5",
         "Prm_Text_Ref=3",
         "EndExtUserPrmData",
         "",
         "ExtUserPrmData=6 \"Counter high-limit\"",
         "Unsigned16 65535 0-65535",
         "EndExtUserPrmData",
         "",
         "ExtUserPrmData=7 \"Counter low-limit\"",
         "Unsigned16 0 0-65535",
         "EndExtUserPrmData"});
    t.empty(2);

    t.lines(
        {";=====================================================================================",
         ";==== General DP Keywords ============================================================",
         ";=====================================================================================",
         "", "GSD_Revision = 5", "Vendor_Name = \"Velmora\"", "Model_Name = \"RG58804\"",
         "Revision = \"1.00\"", "Ident_Number = 0x5D1B", "Protocol_Ident = 0", "Station_Type = 0",
         "FMS_supp = 0", "Hardware_Release = \"V1.00\"", "Software_Release = \"V1.00\"",
         "Redundancy = 0", "Repeater_Ctrl_Sig = 2", "24V_Pins = 0"});
    t.empty(2);

    t.lines({";==============================================================================",
             ";==== Supported baudrates =====================================================",
             ";==============================================================================",
             "",
             "9.6_supp = 1",
             "19.2_supp = 1",
             "45.45_supp = 1",
             "93.75_supp = 1",
             "187.5_supp = 1",
             "500_supp = 1",
             "1.5M_supp = 1",
             "3M_supp = 1",
             "6M_supp = 1",
             "12M_supp = 1",
             "",
             "MaxTsdr_9.6=15",
             "MaxTsdr_19.2=15",
             "MaxTsdr_45.45=15",
             "MaxTsdr_93.75=15",
             "MaxTsdr_187.5=15",
             "MaxTsdr_500=15",
             "MaxTsdr_1.5M=20",
             "MaxTsdr_3M=35",
             "MaxTsdr_6M=50",
             "MaxTsdr_12M=95"});
    t.empty(2);

    t.lines({";==============================================================================",
             ";==== Slave specific values ===================================================",
             ";==============================================================================",
             "",
             "OrderNumber=\"RG58804\"",
             "Slave_Family = 9@Velmora@RG58804",
             "Implementation_Type = \"VPC3+\"",
             "Info_Text=\"Velmora: Gateway Serial Master to ProfiBus Slave\"",
             "Bitmap_Device = \"DPV0_1N\"",
             "Bitmap_SF=\"DPV0_1S\"",
             "",
             "Freeze_Mode_supp=1",
             "Sync_Mode_supp=1",
             "Fail_Safe=1",
             "Auto_Baud_supp=1",
             "Set_Slave_Add_supp=0",
             "",
             "Min_Slave_Intervall=6",
             "",
             "Modular_Station=1"});
    // Sums in 64 bits: two large areas must not overflow.
    t.line("Max_Module=" + std::to_string(int64_t(modIn) + modOut));
    t.line("Modul_Offset=1");
    t.line("Max_Input_Len=" + std::to_string(nbIn));
    t.line("Max_Output_Len=" + std::to_string(nbOut));
    t.line("Max_Data_Len=" + std::to_string(int64_t(nbIn) + nbOut));
    t.lines({"Max_Diag_Data_Len=15", "", "WD_Base_1ms_supp = 1", "Publisher_supp = 1"});
    t.empty(1);

    t.lines({";==============================================================================",
             ";==== User-Prm-Data ===========================================================",
             ";==============================================================================", "",
             "Max_User_Prm_Data_Len = 12", "Ext_User_Prm_Data_Const(0)= 0x00,0x00,0x00"});
    t.empty(1);

    t.lines({";==============================================================================",
             ";==== Modulstatus =============================================================",
             ";==============================================================================", "",
             "Unit_Diag_Area = 24 - 25", "Value(1)= \"Slot 1: Module error\"",
             "Value(2)= \"Slot 1: Wrong module\"", "Value(3)= \"Slot 1: No module\"",
             "Unit_Diag_Area_End", "Unit_Diag_Area = 26 - 27", "Value(1)= \"Slot 2: Module error\"",
             "Value(2)= \"Slot 2: Wrong module\"", "Value(3)= \"Slot 2: No module\"",
             "Unit_Diag_Area_End"});
    t.empty(2);

    t.lines({";==============================================================================",
             ";==== Module-Definition-List ==================================================",
             ";=============================================================================="});
    t.empty(1);
    WriteModules(t, nbIn, modIn, 1, "DI", "42");
    WriteModules(t, nbOut, modOut, modIn + 1, "DO", "82");
    t.empty(3);

    t.line("SlotDefinition");
    const int64_t slots = int64_t(modIn) + modOut;
    for (int64_t s = 1; s <= slots; ++s) {
        const std::string n = std::to_string(s);
        t.line("Slot(" + n + ") = \"Slot " + n + "\" " + n + " " + n);
    }
    t.line("EndSlotDefinition");
    t.empty(4);
    return t.take();
}

std::string ProjectGsd(const Project& project) {
    const ParamsPart& params = project.params();
    params.report.requireReadable();
    const ProfiSizes sizes = ProfiSizesOf(params);
    return ComposeGsd(sizes.in, sizes.out);
}

void WriteGsd(const std::string& path, const Project& project) {
    WriteFileAtomic(path, ProjectGsd(project));
}
