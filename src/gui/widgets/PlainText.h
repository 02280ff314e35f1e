#pragma once
#include "core/project/Text.h"

#include <QString>
#include <string_view>

// A text from a file for a widget, by the one rule of the program: bytes that
// are not UTF-8 are read as Latin-1 (E9 shows as "é"), none is lost.
inline QString FileText(std::string_view bytes) {
    return QString::fromStdString(ValidUtf8(bytes));
}

// A tooltip that shows `text` as it is, line breaks kept and long lines
// wrapped: Qt takes a tooltip that looks like markup for rich text.
inline QString PlainTip(const QString& text) {
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}
