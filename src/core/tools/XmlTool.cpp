#include "core/tools/XmlTool.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/XmlDoc.h"

namespace {

bool IsWs(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsWs(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsWs(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = s[i];
        size_t len;
        unsigned long cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            unsigned char d = s[i + k];
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

// A name the reader accepts, so that a written file reads back; the middle
// dot arrives here in UTF-8.
bool IsWritableName(std::string_view n) {
    if (n.empty() || !IsXmlNameStart(n[0])) return false;
    for (size_t i = 1; i < n.size(); ++i) {
        if (IsXmlNameChar(n[i]) && static_cast<unsigned char>(n[i]) < 0x80) continue;
        if (n[i] == '\xC2' && i + 1 < n.size() && n[i + 1] == '\xB7') {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

void BuildChildren(const XmlItem& item, XmlNode element) {
    for (const XmlItem& c : item.children) {
        if (c.kind == XmlNodeKind::Element) {
            XmlItemParts p = SplitXmlItemText(c.text);
            if (!IsWritableName(p.name)) throw XmlError("invalid element name");
            XmlNode e = element.append(p.name);
            if (!p.value.empty()) e.setText(p.value);
            BuildChildren(c, e);
        } else if (c.kind == XmlNodeKind::Attribute) {
            // An attribute shown by its name alone has an empty value.
            XmlItemParts p = SplitXmlItemText(c.text);
            if (!IsWritableName(p.name)) throw XmlError("invalid attribute name");
            element.setAttr(p.name, p.value);
        }
    }
}

} // namespace

std::string DisplayText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string XmlItemText(const XmlReaderNode& node, const std::string& fileName) {
    switch (node.kind) {
    case XmlNodeKind::Document:
        return "File: " + fileName;
    case XmlNodeKind::Element:
    case XmlNodeKind::Attribute:
        return node.value.empty() ? node.name : node.name + " = " + node.value;
    case XmlNodeKind::ProcessingInstruction:
        return node.value.empty() ? node.name + "ProcessingInstruction"
                                  : node.name + "ProcessingInstruction = " + node.value;
    case XmlNodeKind::Declaration:
        return "XMLDeclaration";
    }
    return {};
}

namespace {
XmlItem BuildItems(const XmlReaderNode& node, const std::string& fileName) {
    XmlItem item;
    item.kind = node.kind;
    item.text = DisplayText(XmlItemText(node, fileName));
    item.children.reserve(node.children.size());
    for (const XmlReaderNode& c : node.children)
        item.children.push_back(BuildItems(c, {}));
    return item;
}
} // namespace

XmlItem BuildXmlItems(const XmlReaderDocument& doc) {
    return BuildItems(doc, doc.fileName);
}

XmlItem ReadXmlFile(const std::string& path) {
    XmlReaderDocument doc = ReadXml(ReadFileBytes(path, MaxDocumentBytes));
    size_t slash = path.find_last_of(PathSep);
    doc.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    return BuildXmlItems(doc);
}

XmlItemParts SplitXmlItemText(std::string_view text) {
    XmlItemParts p;
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        p.name = Trim(text);
    } else {
        p.name = Trim(text.substr(0, eq));
        p.value = Trim(text.substr(eq + 1));
        p.hasValue = true;
    }
    return p;
}

std::string XmlWriteFileName(std::string_view documentText) {
    size_t colon = documentText.find(':');
    if (colon != std::string_view::npos) documentText.remove_prefix(colon + 1);
    return std::string(Trim(documentText));
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return false;
    return true;
}

XmlWriteOutcome WriteXmlItems(const XmlItem& doc, const std::string& projectFolder) {
    XmlWriteOutcome out;
    if (projectFolder.empty()) {
        out.message = "Project not valid";
        return out;
    }
    std::string name = XmlWriteFileName(doc.text);
    if (!IsPlainFileName(name)) {
        out.message = "File name not valid: \"" + name + "\"";
        return out;
    }
    const XmlItem* root = nullptr;
    for (const XmlItem& c : doc.children)
        if (c.kind == XmlNodeKind::Element) {
            root = &c;
            break;
        }
    if (!root) return out;
    try {
        XmlDocument xml;
        XmlItemParts p = SplitXmlItemText(root->text);
        if (!IsWritableName(p.name)) return out;
        XmlNode r = xml.createRoot(p.name);
        if (!p.value.empty()) r.setText(p.value);
        BuildChildren(*root, r);
        out.path = projectFolder + PathSep + name;
        xml.save(out.path);
        out.written = true;
    } catch (const TessaroError&) {
        out.path.clear();
    }
    return out;
}
