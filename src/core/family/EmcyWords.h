#pragma once
#include "core/project/XmlRows.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// emcyword.xml: per CAN side, 16-bit status words built from the EMCY
// messages of one node, each bit defined by two mask bytes and two positions.

inline constexpr const char* WordTableName = "emcyword";
inline constexpr int WordBits = 16;
// Nodes a word takes in its tree: the word node and its 16 bit nodes.
inline constexpr int NodesPerWord = 1 + WordBits;

// "index_addrm", "subindex", "extdata", "devid", then bitN_b0, bitN_b1,
// bitN_poscomp for N = 0..15: attribute and worksheet column order.
const std::vector<std::string>& WordFieldNames();
inline constexpr int WordFieldCount = 4 + 3 * WordBits;

class ClEbm {
public:
    std::string b0;
    std::string b1;
    std::string poscomp;
};

class TClWEmcy {
public:
    std::string index_addrm;
    std::string subindex;
    std::string devid;
    std::array<ClEbm, WordBits> Bits; // all texts empty when made
};

struct WordLists {
    std::vector<TClWEmcy> WordListA;
    std::vector<TClWEmcy> WordListB;
    std::vector<TClWEmcy>& side(int s) { return s ? WordListB : WordListA; }
    const std::vector<TClWEmcy>& side(int s) const { return s ? WordListB : WordListA; }
};

// poscomp: low 16 bits of first * 16 + second, in unsigned decimal.
std::string PackWordPoscomp(int32_t first, int32_t second);
// first = v div 16, second = v mod 16 of the low 16 bits of v.
std::pair<int32_t, int32_t> UnpackWordPoscomp(int32_t value);

// A node at an absolute tree position: its word's list position and its bit
// (-1 for the word node itself).
struct WordNodePos {
    int word;
    int bit;
};
WordNodePos NodeAtPosition(int position);
int NodePosition(int word, int bit);

// Label of a new word from the texts of the tree's word nodes, in tree order:
// one more than the last one's number ("W" + number), "0" for none.
std::string NextWordLabel(const std::vector<std::string>& wordNodeTexts);

// Group captions shown for a node; bit -1 (a word node) gives the caption
// the bit group starts with.
std::string WordGroupCaption(int word);
std::string BitGroupCaption(int bit);
// The bit group's caption once the node at `position` is shown: a bit node
// gives its bit number (as the tree's "BitN"), a word node, which has no bit,
// its absolute position in the tree, so that the caption always has a number.
std::string BitGroupCaptionAt(int position);

// New (ownPosition -1) or Modify of a word at ownPosition: false when a text
// is empty or another word of the list has the same three texts.
bool WordTextsAccepted(const std::vector<TClWEmcy>& list, const std::string& index_addrm,
                       const std::string& subindex, const std::string& devid, int ownPosition);

// Save order of one list: ascending (devid, index_addrm, subindex) by value,
// of two equal keys the later word first; keys of any size take part.
// Non-integer text throws EConvertError.
std::vector<size_t> WordSaveOrder(const std::vector<TClWEmcy>& list);

using WordLoadEnd = RowsLoad;

// Reads emcyword.xml into `into` (cleared first): extdata 0 to list A, 1 to
// list B, other values dropped; texts as read. On ReadError the words read
// before the failing row stay.
WordLoadEnd LoadWordFile(const std::string& path, WordLists& into);

// Whole emcyword.xml text: list A then list B, each in save order.
std::string WordDocumentText(const WordLists& lists);
void SaveWordFile(const std::string& path, const WordLists& lists);

// Export lines: list A then list B in list order, the columns of
// WordFieldNames with the side marker "0" / "1" in third place.
std::vector<std::vector<std::string>> WordCsvLines(const WordLists& lists);

// An imported record (52 texts by column). The side marker is the caller's.
TClWEmcy WordFromRecord(const std::vector<std::string>& fields);
// Appends an imported record to list A (marker 0) or B (1); other markers are skipped.
void ImportWordRecord(WordLists& into, int32_t marker, const std::vector<std::string>& fields);
