#include "core/project/Errors.h"
#include "core/project/XmlDoc.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Any bytes either load or raise XmlError; a loaded document saves and
// reloads to the same serialisation.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XmlDocument doc;
    try {
        doc.loadString(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const XmlError&) {
        return 0;
    }
    XmlNode root = doc.root();
    for (size_t i = 0; i < root.childCount() && i < 64; ++i) {
        XmlNode c = root.child(i);
        (void)c.text();
        (void)c.findAttr("Slave_ID");
    }
    const std::string once = doc.toString();
    XmlDocument again;
    try {
        again.loadString(once);
    } catch (const XmlError&) {
        std::abort();
    }
    if (again.toString() != once) std::abort();
    return 0;
}
