#pragma once
#include <string>
#include <string_view>
#include <vector>

// A piece of text with one look.
struct HelpRun {
    std::string text; // UTF-8; a line break inside a paragraph is '\n'
    bool bold = false;
    bool italic = false;
};

struct HelpParagraph {
    std::vector<HelpRun> runs;
};

// The help text: rich (paragraphs of runs) when the file is RTF, else plain.
struct HelpText {
    bool rich = false;
    std::string plain;
    std::vector<HelpParagraph> paragraphs;
};

// ExeFolder + "/help" + the product variant + ".dat".
std::string HelpFilePath(const std::string& exeFolder);

bool IsRtf(std::string_view bytes);

// Paragraphs, bold, italic, escaped and Unicode characters of an RTF text;
// other control words are dropped, and so are the groups of destinations that
// hold no text (font and colour tables, style sheet, pictures, "\*" groups).
// Throws TessaroError when the groups are unbalanced.
std::vector<HelpParagraph> ParseRtf(std::string_view rtf);

// Reads the help file; throws TessaroError or FileError when it cannot.
HelpText LoadHelpText(const std::string& path);
