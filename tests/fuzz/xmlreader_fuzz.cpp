// Any byte string: the reader either returns a tree or throws XmlError.
#include "core/project/Errors.h"
#include "core/tools/XmlReader.h"
#include "core/tools/XmlTool.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        XmlReaderDocument doc = ReadXml(text);
        // A successful read has exactly one root element below the document.
        int roots = 0;
        for (const auto& c : doc.children)
            if (c.kind == XmlNodeKind::Element) ++roots;
        if (roots != 1) abort();
        XmlItem items = BuildXmlItems(doc);
        if (items.children.size() != doc.children.size()) abort();
    } catch (const XmlError&) {
    }
    return 0;
}
