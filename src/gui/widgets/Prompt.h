#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

// Settings of a standard file dialog that outlive one showing.
struct FileDialogSettings {
    QString filter;
    QString defaultExt;
    QString initialDir;
    QString fileName;
};

// Every message box and file chooser of a window goes through this, so tests
// can record what a user would see and script the answers.
class Prompt {
public:
    virtual ~Prompt() = default;
    // Plain message box (notices).
    virtual void message(const QString& text) = 0;
    // Error box with an error icon and a single OK button.
    virtual void error(const QString& text) = 0;
    // The same with the reason beneath the message (the box's informative text).
    virtual void error(const QString& text, const QString& reason) {
        error(reason.isEmpty() ? text : text + "\n\n" + reason);
    }
    // Yes/No question; true for Yes.
    virtual bool confirm(const QString& title, const QString& text) = 0;
    // Yes/No question about something that cannot be undone: No is the
    // default, so Return answers No. True for Yes.
    virtual bool confirmRisky(const QString& title, const QString& text) {
        return confirm(title, text);
    }
    // A question with its own buttons; answers the position of the one pressed,
    // `escapeButton` when the box is closed. `defaultButton` is what Return presses.
    virtual int choose(const QString& title, const QString& text, const QStringList& buttons,
                       int defaultButton, int escapeButton) {
        (void)title, (void)text, (void)buttons, (void)defaultButton;
        return escapeButton;
    }
    // filter uses the "Description (*.ext)|*.ext" form; empty optional on cancel.
    virtual std::optional<QString> openFile(const QString& title, const QString& folder,
                                            const QString& filter) = 0;
    virtual std::optional<QString> saveFile(const QString& title, const QString& folder,
                                            const QString& filter, const QString& defaultExt) = 0;
    // A folder at or below root, preselecting `selected`.
    virtual std::optional<QString> browseFolder(const QString& title, const QString& root,
                                                const QString& selected) = 0;
};

// Real dialogs, owned by the window they serve.
class QtPrompt : public Prompt {
public:
    explicit QtPrompt(QWidget* owner) : owner_(owner) {}
    void message(const QString& text) override;
    void error(const QString& text) override;
    void error(const QString& text, const QString& reason) override;
    bool confirm(const QString& title, const QString& text) override;
    bool confirmRisky(const QString& title, const QString& text) override;
    int choose(const QString& title, const QString& text, const QStringList& buttons,
               int defaultButton, int escapeButton) override;
    std::optional<QString> openFile(const QString& title, const QString& folder,
                                    const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& folder,
                                    const QString& filter, const QString& defaultExt) override;
    std::optional<QString> browseFolder(const QString& title, const QString& root,
                                        const QString& selected) override;

    // "Description (*.ext)|*.ext" to Qt's "Description (*.ext)".
    static QString qtFilter(const QString& filter);

private:
    QWidget* owner_;
};

// What a message box shows of a text: at most MaxBoxLines lines of at most
// MaxBoxLineChars characters, a cut marked with "…", and a zero-width space
// after every MaxBoxWordChars characters without a blank so the box can wrap
// there; `shortened` tells whether anything was cut.
inline constexpr int MaxBoxLines = 40;
inline constexpr int MaxBoxLineChars = 300;
inline constexpr int MaxBoxWordChars = 60;
QString BoxText(const QString& text, bool* shortened = nullptr);

// The general error report: runs a command; an exception ends it and its text
// is shown in an error box. True when the command ended normally.
bool RunReported(Prompt& prompt, const std::function<void()>& command);
