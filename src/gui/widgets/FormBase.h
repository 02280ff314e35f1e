#pragma once
#include "gui/widgets/Prompt.h"

#include <QDialog>
#include <functional>
#include <memory>

class QAbstractButton;
class Workspace;
struct Forms;

// Base of every window: the workspace it works on, the program's window set
// and its prompt (real dialogs unless a test installs a recorder).
class FormBase : public QDialog {
    Q_OBJECT
public:
    FormBase(Workspace& ws, QWidget* parent = nullptr);

    // When a window builds its controls: at construction, or on its first
    // showing (start-up creates every window but shows only the main one).
    enum class Build { Now, OnFirstShow };

    // Builds the controls if they are not built yet.
    void ensureBuilt();
    bool isBuilt() const { return built_; }
    void setVisible(bool visible) override;

    Workspace& ws() const { return ws_; }
    Prompt& prompt() const { return *prompt_; }
    void setPrompt(std::shared_ptr<Prompt> p) { prompt_ = std::move(p); }
    Forms* forms() const { return forms_; }
    void setForms(Forms* f) { forms_ = f; }

    // Runs a handler under the general error report; true when it ended normally.
    bool run(const std::function<void()>& handler) { return RunReported(*prompt_, handler); }

    // A button that runs its handler and then closes the dialog with `result`,
    // but only when the handler ended normally (an error leaves it open).
    void bindModalButton(QAbstractButton* button, std::function<void()> handler, int result);

    // Sets the fixed client size of a non-resizable window.
    void setFixedClientSize(int w, int h);

protected:
    // Creates the window's controls; runs once, before the first showing.
    virtual void buildControls() {}
    // Runs once right after buildControls.
    virtual void controlsBuilt() {}
    // Ends a window's constructor.
    void buildIfNow(Build build) {
        if (build == Build::Now) ensureBuilt();
    }

private:
    Workspace& ws_;
    std::shared_ptr<Prompt> prompt_;
    Forms* forms_ = nullptr;
    bool built_ = false;
};
