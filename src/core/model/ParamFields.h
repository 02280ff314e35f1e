#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>

// The elements of pargen.xml, one entry each: the element's name, the caption
// of its field in Set Communication, whether the configuration image needs it,
// and the value the editor shows when it is missing. Every reader, writer and
// check of the file goes through this table.
enum class Param : int {
    SerBaud,
    SerPar,
    SerTO,
    SerCD,
    SerType,
    SerProt,
    DnId,
    DnBaud,
    DnNbIn,
    DnNbOut,
    SerWriteMode,
    DnEnableError,
    DnNumContErr,
    DnValCancData,
    ProfiNbIn,
    ProfiNbOut,
};
inline constexpr size_t ParamCount = 16;

struct ParamInfo {
    Param id;
    const char* element;
    const char* label;    // the field's caption; empty for the hidden editors' sizes
    bool imageMandatory;  // the image cannot be built without it
    bool commParam;       // written by Set Communication
    const char* fallback; // what the editor shows when it is missing
};

const ParamInfo& InfoOf(Param p);
// In image order: the ten mandatory elements, then the four optional ones,
// then the Profibus sizes of the hidden editors.
const std::array<ParamInfo, ParamCount>& AllParams();
// The order Set Communication writes its elements in.
const std::array<Param, 14>& CommParamFileOrder();

// Each element of pargen.xml as stored: the text of the first element of that
// name under the root, or nothing when there is none.
struct ParamTexts {
    std::array<std::optional<std::string>, ParamCount> text;

    const std::optional<std::string>& operator[](Param p) const {
        return text[static_cast<size_t>(p)];
    }
    std::optional<std::string>& operator[](Param p) { return text[static_cast<size_t>(p)]; }
    bool operator==(const ParamTexts&) const = default;
};
