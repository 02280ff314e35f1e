#pragma once
#include <QString>
#include <optional>

// Asks the user for a new text of one line, starting from `text`; nullopt
// when cancelled. The XML tool edits tree items through it.
class LineEditor {
public:
    virtual std::optional<QString> editLine(const QString& text) = 0;

protected:
    ~LineEditor() = default;
};
