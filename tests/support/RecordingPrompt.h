#pragma once
#include "gui/widgets/Prompt.h"

#include <QList>
#include <QString>
#include <deque>
#include <optional>

// Keeps every message a window would show and answers file choosers and
// questions from scripted queues (an empty queue answers as a cancel / No).
class RecordingPrompt : public Prompt {
public:
    struct Entry {
        QString kind; // "message", "error", "confirm", "risky", "choose", "open", "save", "browse"
        QString title;
        QString text;
    };
    QList<Entry> entries;
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<bool> confirmAnswers; // confirm and confirmRisky
    std::deque<int> choiceAnswers;   // choose; empty answers the escape button
    QStringList lastButtons;         // the buttons of the last choose
    int lastDefault = -1;            // and its default button

    void message(const QString& text) override { entries.push_back({"message", {}, text}); }
    void error(const QString& text) override { entries.push_back({"error", "Error", text}); }
    bool confirm(const QString& title, const QString& text) override {
        entries.push_back({"confirm", title, text});
        return next(confirmAnswers, false);
    }
    bool confirmRisky(const QString& title, const QString& text) override {
        entries.push_back({"risky", title, text});
        return next(confirmAnswers, false);
    }
    int choose(const QString& title, const QString& text, const QStringList& buttons,
               int defaultButton, int escapeButton) override {
        entries.push_back({"choose", title, text});
        lastButtons = buttons;
        lastDefault = defaultButton;
        return next(choiceAnswers, escapeButton);
    }
    std::optional<QString> openFile(const QString& title, const QString& folder,
                                    const QString& filter) override {
        entries.push_back({"open", title, folder + "|" + filter});
        return next(fileAnswers, std::optional<QString>());
    }
    std::optional<QString> saveFile(const QString& title, const QString& folder,
                                    const QString& filter, const QString& ext) override {
        entries.push_back({"save", title, folder + "|" + filter + "|" + ext});
        return next(fileAnswers, std::optional<QString>());
    }
    std::optional<QString> browseFolder(const QString& title, const QString& root,
                                        const QString& selected) override {
        entries.push_back({"browse", title, root + "|" + selected});
        return next(fileAnswers, std::optional<QString>());
    }

    // Texts of the entries of one kind, in order.
    QStringList texts(const QString& kind) const {
        QStringList out;
        for (const auto& e : entries)
            if (e.kind == kind) out << e.text;
        return out;
    }
    // Texts of messages and errors together, in order.
    QStringList shown() const {
        QStringList out;
        for (const auto& e : entries)
            if (e.kind == "message" || e.kind == "error") out << e.text;
        return out;
    }
    void clear() { entries.clear(); }

private:
    template <class T> static T next(std::deque<T>& q, const T& def) {
        if (q.empty()) return def;
        // Popped after the copy is made; avoids a spurious uninitialised warning.
        struct Pop {
            std::deque<T>& q;
            ~Pop() { q.pop_front(); }
        } pop{q};
        return q.front();
    }
};
