#include "core/tools/StringsList.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/XmlDoc.h"

StringsList ReadStringsList(const std::string& path) {
    StringsList out;
    if (path.empty() || !FileExists(path)) {
        out.messages.push_back("File strings XML not found");
        return out;
    }
    try {
        XmlDocument doc;
        doc.load(path);
        XmlNode root = doc.root();
        size_t n = root.childCount();
        for (size_t i = 0; i < n && out.strings.size() < size_t(StringsListRows); ++i)
            out.strings.push_back(root.child(i).text());
    } catch (const TessaroError&) {
        out.messages.push_back("Error in reading file XML");
    }
    return out;
}
