#pragma once
// Controls that tell what they hold: drop-downs that show a stored code the
// list does not have, and numeric edit boxes with range, unit and marking.
#include <QString>
#include <QValidator>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// Shows `code` in a drop-down whose codes are the positions of its own
// items. A code outside them is shown as an extra, marked last entry
// ("9 (stored value, not in the list)") instead of a blank, so that it is
// seen and never replaced silently. Any extra entry of an earlier call goes.
// NoChoiceCode shows no entry.
inline constexpr int NoChoiceCode = INT32_MIN;
void ShowChoice(QComboBox* box, int code);
// The code shown: a position, the stored code of the extra entry, or
// NoChoiceCode when no entry is current.
int ShownCode(const QComboBox* box);

// Refuses keystrokes that cannot lead to a number by the integer rule and
// calls a number outside [low, high] intermediate.
class RangeValidator : public QValidator {
    Q_OBJECT
public:
    RangeValidator(int32_t low, int32_t high, QObject* parent);
    State validate(QString& input, int& pos) const override;

private:
    int32_t low_, high_;
};

// Gives a numeric edit box its range: input limited by RangeValidator, the
// range (and unit) in its tooltip, and a red base while the text is out of
// range. `unit` non-empty also puts a label after the box (named
// `unitLabelName`), which is returned. `emptyOk`: an empty box is not marked
// (where empty stands for a value, e.g. "0").
QLabel* SetNumericRange(QLineEdit* edit, int32_t low, int32_t high, const QString& unit = {},
                        const QString& unitLabelName = {}, bool emptyOk = false);
// True while the edit box holds a text its range refuses (shown marked).
bool EntryMarked(const QLineEdit* edit);
// Enables a control the current choices use; disables one they do not use,
// with `reason` as its tooltip. An enabled numeric box gets its range back.
void SetUsed(QWidget* control, bool used, const QString& reason);
