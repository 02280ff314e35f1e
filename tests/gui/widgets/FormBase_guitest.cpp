#include "gui/widgets/FormBase.h"

#include "EditorFixture.h"
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "gui/device/FirmwareWindow.h"
#include "gui/device/UpdateWindow.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/editors/BusProbeWindow.h"
#include "gui/editors/CommunicationWindow.h"
#include "gui/editors/DiagnosisWindow.h"
#include "gui/family/EmcyWindow.h"
#include "gui/family/EmcyWordWindow.h"
#include "gui/family/PdoAccessWindow.h"
#include "gui/family/PdoWindow.h"
#include "gui/family/SdoWindow.h"
#include "gui/family/StoredPdoWindow.h"
#include "gui/project/NewProjectWindow.h"
#include "gui/tools/AboutWindow.h"
#include "gui/tools/HelpWindow.h"
#include "gui/tools/ReportWindow.h"
#include "gui/tools/SelectStringWindow.h"
#include "gui/tools/XmlToolWindow.h"

#include <QtTest>

// Every window states its name, caption, size and frame once, at
// construction; the base sets them.
class FormBaseTest : public QObject {
    Q_OBJECT
private slots:
    void everyWindowHasItsLook();
    void formShowRunsAtEveryShowing();
};

namespace {
constexpr Qt::WindowFlags TitleClose =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
constexpr Qt::WindowFlags Tool =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
constexpr Qt::WindowFlags Sizable =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
constexpr Qt::WindowFlags Maximizable = Sizable | Qt::WindowMaximizeButtonHint;
constexpr Qt::WindowFlags Main = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// The flags a dialog reports after asking for `asked` (Qt adds some hints).
Qt::WindowFlags Framed(Qt::WindowFlags asked) {
    QDialog d;
    if (asked != Qt::WindowFlags()) d.setWindowFlags(asked);
    return d.windowFlags();
}
} // namespace

void FormBaseTest::everyWindowHasItsLook() {
    EditorFixture fx;
    Forms forms;
    forms.create(fx.ws);
    TFReport report(fx.ws);
    TFBusProbe probe(fx.ws);
    const Qt::WindowFlags plain = {};
    const struct {
        FormBase* window;
        const char* name;
        QString caption;
        QSize size; // empty: not set by the window
        bool fixed;
        Qt::WindowFlags flags;
    } cases[] = {
        {forms.FTessaroFirmWare, "FTessaroFirmWare", MainCaption, {565, 224}, true, Main},
        {forms.Fsaveproj, "Fsaveproj", "New project", {319, 91}, true, TitleClose},
        {forms.FHelp, "FHelp", "Help", {492, 397}, true, TitleClose},
        {forms.FAbout, "FAbout", "About...", {406, 152}, true, Tool},
        {forms.FSELstringhe, "FSELstringhe", "Select String", {496, 351}, true, TitleClose},
        {forms.FModifyFileSx, "FModifyFileSx", "Generate Firmware", {430, 124}, true, plain},
        {forms.Fpargen, "Fpargen", "SET COMMUNICATION", {251, 651}, true, Tool},
        {forms.FXML, "FXML", "XML Reader & Writer", {732, 560}, false, Maximizable},
        {forms.FSetVar, "FSetVar", "Set Access", {787, 538}, false, Maximizable},
        {forms.FBootSer,
         "FBootSer",
         "Update Firmware from Serial (RS232)",
         {420, 250},
         true,
         TitleClose},
        {forms.Fsdo, "Fsdo", "Set SDO Access", {820, 560}, false, plain},
        {forms.Fpdo, "Fpdo", "Define Traslate PDO", {640, 330}, false, plain},
        {forms.Femcy, "Femcy", "Set Traslate EMCY", {}, false, plain},
        {forms.FWemcy, "FWemcy", "Define EMCY Word", {560, 420}, false, plain},
        {forms.FInfopdo, "FInfopdo", "Define Store PDO", {620, 420}, true, plain},
        {forms.FSetPdo, "FSetPdo", "Set PDO Access", {600, 330}, false, plain},
        {forms.FSetDiagnosis, "FSetDiagnosis", "Error/Diagnosis", {302, 443}, false, Sizable},
        {&report, "FReport", "Commissioning report", {820, 640}, false, plain},
        {&probe, "FBusProbe", "Test on bus", {1220, 560}, false, Maximizable},
    };
    for (const auto& c : cases) {
        FormBase* w = c.window;
        w->ensureBuilt();
        const char* at = c.name;
        QCOMPARE(w->objectName(), QString(c.name));
        QVERIFY2(w->windowTitle() == c.caption, at);
        QVERIFY2(w->windowFlags() == Framed(c.flags),
                 qPrintable(QString("%1: %2").arg(at).arg(w->windowFlags().toInt(), 0, 16)));
        QVERIFY2(c.size.isEmpty() || w->size() == c.size, at);
        QVERIFY2((w->minimumSize() == c.size && w->maximumSize() == c.size) == c.fixed, at);
    }
    forms.destroy();
}

namespace {
class ShownCounter : public FormBase {
public:
    using FormBase::FormBase;
    int shown = 0;
    bool builtWhenShown = false;
    void FormShow() override {
        ++shown;
        builtWhenShown = isBuilt();
    }
};
} // namespace

void FormBaseTest::formShowRunsAtEveryShowing() {
    EditorFixture fx;
    ShownCounter w(fx.ws, nullptr, {"FCounter", "Counter", {200, 100}, FormBase::Fixed});
    QCOMPARE(w.objectName(), QString("FCounter"));
    QCOMPARE(w.windowTitle(), QString("Counter"));
    QCOMPARE(w.minimumSize(), QSize(200, 100));
    QCOMPARE(w.maximumSize(), QSize(200, 100));
    QVERIFY(!w.isBuilt());
    for (int i = 1; i <= 2; ++i) {
        w.show();
        QCOMPARE(w.shown, i);
        QVERIFY(w.builtWhenShown);
        w.hide();
    }
}

QTEST_MAIN(FormBaseTest)
#include "FormBase_guitest.moc"
