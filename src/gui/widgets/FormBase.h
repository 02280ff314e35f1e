#pragma once
#include "gui/widgets/Prompt.h"

#include <QDialog>
#include <QSize>
#include <functional>
#include <memory>

class QAbstractButton;
class Workspace;

// The controls the windows hold, declared once for all of them.
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class StringGrid;

// Base of every window: the workspace it works on and its prompt (real
// dialogs unless a test installs a recorder).
class FormBase : public QDialog {
    Q_OBJECT
public:
    // Whether the user may resize the window.
    enum Sizing { Resizable, Fixed };
    // The frames the windows use; none keeps the dialog's own.
    static constexpr Qt::WindowFlags TitleCloseFrame =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    static constexpr Qt::WindowFlags ToolFrame =
        Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    static constexpr Qt::WindowFlags SizableFrame =
        Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    static constexpr Qt::WindowFlags MaximizableFrame = SizableFrame | Qt::WindowMaximizeButtonHint;
    static constexpr Qt::WindowFlags MainFrame =
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

    // What a window states about itself once: its object name, caption,
    // client size (none keeps Qt's) and frame.
    struct Look {
        QString name;
        QString caption;
        QSize size = {};
        Sizing sizing = Resizable;
        Qt::WindowFlags frame = {};
    };

    FormBase(Workspace& ws, QWidget* parent = nullptr);
    FormBase(Workspace& ws, QWidget* parent, const Look& look);

    // When a window builds its controls: at construction, or on its first
    // showing (start-up creates every window but shows only the main one).
    enum class Build { Now, OnFirstShow };

    // Builds the controls if they are not built yet.
    void ensureBuilt();
    bool isBuilt() const { return built_; }
    void setVisible(bool visible) override;

    // Runs at every showing, the controls built: what a window shows anew.
    virtual void FormShow() {}

    // OK and Cancel, in the windows that have them.
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;

    Workspace& ws() const { return ws_; }
    Prompt& prompt() const { return *prompt_; }
    void setPrompt(std::shared_ptr<Prompt> p) { prompt_ = std::move(p); }

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
    // Runs once right after buildControls (and after every button but the
    // default one has lost its auto-default).
    virtual void controlsBuilt() {}
    // Ends a window's constructor.
    void buildIfNow(Build build) {
        if (build == Build::Now) ensureBuilt();
    }
    void showEvent(QShowEvent* e) override;

private:
    // Item views take their accessible name only from accessibleName, not
    // from a buddy label as other inputs do: each unnamed one gets its
    // label's text, or the caption of the tab page it is the one view of.
    void nameItemViews();

    Workspace& ws_;
    std::shared_ptr<Prompt> prompt_;
    bool built_ = false;
};
