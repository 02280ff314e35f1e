#include "gui/widgets/FieldHints.h"

#include "core/project/FieldRange.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace {
constexpr int ExtraRole = Qt::UserRole + 71; // stored code of the extra entry
const char* const kRangeTip = "rangeTip";
const char* const kMarked = "outOfRange";

int OwnCount(const QComboBox* box) {
    int n = box->count();
    while (n > 0 && box->itemData(n - 1, ExtraRole).isValid())
        --n;
    return n;
}

void Mark(QLineEdit* edit, int32_t low, int32_t high, bool emptyOk) {
    const bool marked =
        !(emptyOk && edit->text().isEmpty()) &&
        RangeEntryState(edit->text().toStdString(), low, high) != EntryState::Acceptable;
    if (edit->property(kMarked).toBool() == marked && edit->property(kMarked).isValid()) return;
    edit->setProperty(kMarked, marked);
    if (!marked) {
        edit->setPalette(QPalette()); // back to the inherited colours
        return;
    }
    QPalette pal = edit->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::Base, QColor(255, 205, 205));
    edit->setPalette(pal);
}
} // namespace

void ShowChoice(QComboBox* box, int code) {
    const int own = OwnCount(box);
    while (box->count() > own)
        box->removeItem(box->count() - 1);
    if ((code >= 0 && code < own) || code == NoChoiceCode) {
        box->setCurrentIndex(code == NoChoiceCode ? -1 : code);
        return;
    }
    box->addItem(QString("%1 (stored value, not in the list)").arg(code));
    box->setItemData(own, code, ExtraRole);
    box->setItemData(own, QColor(Qt::red), Qt::ForegroundRole);
    box->setCurrentIndex(own);
}

int ShownCode(const QComboBox* box) {
    const int i = box->currentIndex();
    if (i < 0) return NoChoiceCode;
    const QVariant extra = box->itemData(i, ExtraRole);
    return extra.isValid() ? extra.toInt() : i;
}

RangeValidator::RangeValidator(int32_t low, int32_t high, QObject* parent)
    : QValidator(parent), low_(low), high_(high) {}

QValidator::State RangeValidator::validate(QString& input, int&) const {
    switch (RangeEntryState(input.toStdString(), low_, high_)) {
    case EntryState::Acceptable:
        return Acceptable;
    case EntryState::Intermediate:
        return Intermediate;
    case EntryState::Invalid:
        break;
    }
    return Invalid;
}

QLabel* SetNumericRange(QLineEdit* edit, int32_t low, int32_t high, const QString& unit,
                        const QString& unitLabelName, bool emptyOk) {
    edit->setValidator(new RangeValidator(low, high, edit));
    const QString tip = QString::fromStdString(RangeHint(low, high, unit.toStdString()));
    edit->setProperty(kRangeTip, tip);
    edit->setToolTip(tip);
    edit->setAccessibleDescription(tip);
    // Texts set by the program (a loaded file) are marked as well as typed ones.
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [edit, low, high, emptyOk] { Mark(edit, low, high, emptyOk); });
    Mark(edit, low, high, emptyOk);
    if (unit.isEmpty()) return nullptr;
    auto* label = new QLabel(unit, edit->parentWidget());
    label->setObjectName(unitLabelName);
    const QRect g = edit->geometry();
    label->setGeometry(g.right() + 4, g.top(), 40, g.height());
    return label;
}

bool EntryMarked(const QLineEdit* edit) {
    return edit->property(kMarked).toBool();
}

void SetUsed(QWidget* control, bool used, const QString& reason) {
    control->setEnabled(used);
    const QString own = control->property(kRangeTip).toString();
    // Unused, a box (and the label naming it) still tells what it takes once used.
    QString range = own;
    if (auto* label = qobject_cast<QLabel*>(control); label && label->buddy() && range.isEmpty())
        range = label->buddy()->property(kRangeTip).toString();
    const QString tip = used ? own : range.isEmpty() ? reason : reason + ' ' + range;
    control->setToolTip(tip);
    control->setAccessibleDescription(tip);
}
