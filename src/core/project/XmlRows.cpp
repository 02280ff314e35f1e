#include "core/project/XmlRows.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/XmlDoc.h"

RowsLoad LoadRows(const std::string& path, const std::function<void(const XmlNode&)>& eachRow,
                  std::string_view otherRoot) {
    if (!FileExists(path)) return RowsLoad::FileMissing;
    try {
        XmlDocument doc;
        doc.load(path);
        const XmlNode root = doc.root();
        if (!otherRoot.empty() && root.name() == otherRoot) return RowsLoad::Loaded;
        for (auto c = root.raw().first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element) throw XmlError("Entry is not an element");
            eachRow(XmlNode(c));
        }
    } catch (const TessaroError&) {
        return RowsLoad::ReadError;
    }
    return RowsLoad::Loaded;
}
