#include "core/editors/CommParams.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

namespace {
// Range check of an edit-box value; text that is not a number counts as -1.
bool InRange(const std::string& text, int low, int high) {
    int v = ParseInteger(text, -1);
    return v >= low && v <= high;
}

int ListCode(int position, size_t count, int def) {
    return position >= 0 && static_cast<size_t>(position) < count ? position : def;
}

// Runs one element's reading; a missing element or a text that is not a
// number gives the fallback instead.
template <class F> void WithFallback(F&& read, auto& field, auto fallback) {
    try {
        read();
    } catch (const TessaroError&) {
        field = fallback;
    }
}
} // namespace

void LoadCommParams(const std::string& path, CommParams& p) {
    if (!FileExists(path)) {
        p = CommParams{};
        return;
    }
    XmlDocument doc;
    doc.load(path);
    LoadCommParams(doc, p);
}

void LoadCommParams(const XmlDocument& doc, CommParams& p) {
    XmlNode root = doc.root();
    auto text = [&](const char* name) { return root.child(name).text(); };

    // No fallback: an error here ends the reading.
    p.SerBaud = ParseInteger(text("Ser_Baud"));
    p.SerPar = ParseInteger(text("Ser_Par"));
    p.SerTO = text("Ser_TO");
    p.SerCD = text("Ser_CD");
    p.SerType = ParseInteger(text("Ser_Type")) == 1 ? 1 : 0;
    int prot = ParseInteger(text("Ser_Prot"));
    p.SerProt = prot >= 0 && prot <= 3 ? prot : 4;

    WithFallback([&] { p.SerWriteMode = ParseInteger(text("Ser_Write_Mode")) != 0 ? 1 : 0; },
                 p.SerWriteMode, 0);
    WithFallback([&] { p.DnId = text("DN_ID"); }, p.DnId, std::string("1"));
    WithFallback([&] { p.DnBaud = ParseInteger(text("DN_Baud"), 2); }, p.DnBaud, 2);
    WithFallback([&] { p.DnNbIn = text("DN_NB_IN"); }, p.DnNbIn, std::string("455"));
    WithFallback([&] { p.DnNbOut = text("DN_NB_OUT"); }, p.DnNbOut, std::string("455"));
    WithFallback([&] { p.DnEnableError = ParseInteger(text("DN_Enable_Error")) == 1; },
                 p.DnEnableError, false);
    WithFallback([&] { p.DnNumContErr = text("DN_Num_Cont_Err"); }, p.DnNumContErr,
                 std::string("3"));
    WithFallback([&] { p.DnValCancData = text("DN_Val_Canc_Data"); }, p.DnValCancData,
                 std::string("0x00"));
}

std::vector<Finding> CommParamsFindings(const CommParams& p) {
    std::vector<Finding> out;
    auto check = [&](const std::string& text, int low, int high, const char* label,
                     const char* message) {
        if (!InRange(text, low, high))
            out.push_back({Severity::Error, "pargen.xml", "", 0, label, message});
    };
    check(p.SerTO, 0, 10000, "TimeOut", "Error!! Serial TimeOut must be between 0 and 10000 mS. ");
    check(p.SerCD, 0, 1000, "Cyclic Delay",
          "Error!! Serial Cyclic Delay must be between 0 and 1000 mS. ");
    check(p.DnId, 0, 63, "ID Dev.", "Error!! DeviceNet address must be between 0 and 63. ");
    check(p.DnNbIn, 0, 455, "N Byte IN", "Error!! DeviceNet N Byte IN must be between 0 and 455. ");
    check(p.DnNbOut, 0, 455, "N Byte OUT",
          "Error!! DeviceNet N Byte OUT must be between 0 and 455. ");
    if (p.DnEnableError) {
        check(p.DnNumContErr, 1, 250, "Number Continuos Error",
              "Error!! Number Continuos Error must be between 1 and 250. ");
        check(p.DnValCancData, 0, 255, "Value to set to data bytes",
              "Error!! Value to set to cancel data must be between 0 and 255. ");
    }
    return out;
}

std::vector<std::string> CommParamsFailures(const CommParams& p) {
    return Messages(CommParamsFindings(p));
}

std::optional<std::string> CheckCommParams(const CommParams& p) {
    auto all = CommParamsFailures(p);
    if (all.empty()) return std::nullopt;
    return all.front();
}

namespace {
XmlDocument BuildDoc(const CommParams& p) {
    XmlDocument doc;
    XmlNode root = doc.createRoot("Par_Gen");
    auto put = [&](const char* name, const std::string& value) {
        root.append(name).setText(value);
    };
    auto code = [](int v) { return std::to_string(v); };
    put("Ser_Baud", code(ListCode(p.SerBaud, SerBaudItems.size(), 7)));
    put("Ser_Par", code(ListCode(p.SerPar, SerParItems.size(), 0)));
    put("Ser_TO", p.SerTO);
    put("Ser_CD", p.SerCD);
    put("Ser_Type", p.SerType == 1 ? "1" : "0");
    put("Ser_Prot", code(p.SerProt >= 0 && p.SerProt <= 3 ? p.SerProt : 4));
    put("Ser_Write_Mode", p.SerWriteMode != 0 ? "1" : "0");
    put("DN_ID", p.DnId);
    put("DN_Baud", code(ListCode(p.DnBaud, DnBaudItems.size(), 2)));
    put("DN_NB_IN", p.DnNbIn);
    put("DN_NB_OUT", p.DnNbOut);
    put("DN_Enable_Error", p.DnEnableError ? "1" : "0");
    put("DN_Num_Cont_Err", p.DnNumContErr);
    put("DN_Val_Canc_Data", p.DnValCancData);
    return doc;
}
} // namespace

std::string CommParamsXml(const CommParams& p) {
    return BuildDoc(p).toString();
}

void SaveCommParams(const CommParams& p, const std::string& path) {
    BuildDoc(p).save(path);
}
