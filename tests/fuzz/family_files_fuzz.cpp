// The loaders of the family editors' files fed arbitrary bytes. The first
// byte picks the file: emcydef.xml, emcyword.xml, rpdodef.xml, pdo.xml, or
// the three files of the stored PDO editor (sdo.xml, rpdodef.xml, sdopdo.xml
// split at "\n--\n"). Whatever loads is saved again and must load back.
#include "FuzzScratch.h"
#include "core/family/EmcyTable.h"
#include "core/family/EmcyWords.h"
#include "core/family/FamilyTables.h"
#include "core/family/PdoAccess.h"
#include "core/family/StoredPdo.h"
#include "core/project/Errors.h"

#include <cstdlib>

namespace {
void Emcy(std::string_view bytes) {
    const std::string in = FuzzPut("emcydef.xml", bytes), out = FuzzScratchDir() + "/emcy-out.xml";
    EmcyLists lists;
    if (LoadEmcyFile(in, lists) != EmcyLoadEnd::Loaded) return;
    try {
        SaveEmcyFile(out, lists);
    } catch (const EConvertError&) {
        return; // an ID that is not an integer is refused on save
    }
    EmcyLists back;
    if (LoadEmcyFile(out, back) != EmcyLoadEnd::Loaded) abort();
    if (back.EmcyListA.size() + back.EmcyListB.size() !=
        lists.EmcyListA.size() + lists.EmcyListB.size())
        abort();
}

void Words(std::string_view bytes) {
    const std::string in = FuzzPut("emcyword.xml", bytes), out = FuzzScratchDir() + "/word-out.xml";
    WordLists lists;
    if (LoadWordFile(in, lists) != WordLoadEnd::Loaded) return;
    try {
        SaveWordFile(out, lists);
    } catch (const EConvertError&) {
        return;
    }
    WordLists back;
    if (LoadWordFile(out, back) != WordLoadEnd::Loaded) abort();
}

void Rpdodef(std::string_view bytes) {
    const std::string in = FuzzPut("rpdodef.xml", bytes), out = FuzzScratchDir() + "/rpdo-out.xml";
    PdoTables tables;
    if (LoadRpdodef(in, tables) != FamilyLoad::Loaded) return;
    try {
        SaveRpdodef(out, tables);
    } catch (const EConvertError&) {
        return;
    }
    PdoTables back;
    if (LoadRpdodef(out, back) != FamilyLoad::Loaded) abort();
}

void Pdo(std::string_view bytes) {
    const std::string in = FuzzPut("pdo.xml", bytes), out = FuzzScratchDir() + "/pdo-out.xml";
    PdoAccessTables tables;
    LoadPdoFile(in, tables); // XmlError for a faulty file
    (void)CheckPdoTables(tables, ReadPdoAreaSizes(in));
    try {
        SavePdoFile(out, tables);
    } catch (const EConvertError&) {
        return;
    }
    PdoAccessTables back;
    LoadPdoFile(out, back);
}

void Stored(std::string_view bytes) {
    const auto parts = FuzzSplit(bytes, "\n--\n", 3);
    const std::string sdo = FuzzPut("sdo.xml", parts[0]), rpdo = FuzzPut("rpdodef.xml", parts[1]),
                      sdopdo = FuzzPut("sdopdo.xml", parts[2]);
    StoredPdoModel model;
    (void)LoadStoredPdo(sdo, rpdo, sdopdo, model);
    try {
        SaveSdopdo(FuzzScratchDir() + "/sdopdo-out.xml", model);
    } catch (const EConvertError&) {
    }
    SdoAccessTables access;
    (void)LoadSdoAccess(sdo, access);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        switch (data[0] % 5) {
        case 0:
            Emcy(bytes);
            break;
        case 1:
            Words(bytes);
            break;
        case 2:
            Rpdodef(bytes);
            break;
        case 3:
            Pdo(bytes);
            break;
        default:
            Stored(bytes);
            break;
        }
    } catch (const TessaroError&) {
    }
    return 0;
}
