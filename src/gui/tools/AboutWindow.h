#pragma once
#include "gui/widgets/FormBase.h"

#include <QImage>
#include <functional>

class QUrl;

// The maker's contact address, offered as a mail link (hidden in this product).
inline constexpr const char* MakerMailAddress = "info@velmora.example";

class TFAbout : public FormBase {
    Q_OBJECT
public:
    explicit TFAbout(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    QLabel* Image2 = nullptr;
    QLabel *Label1{}, *Label2{}, *Label3{}, *Label4{}, *Label5{}, *Label6{}, *Label8{}, *Label9{},
        *Label10{}, *Label12{};
    QPushButton* LbButton1 = nullptr;

    // Web link (also the logo's click) and mail link.
    void Label4Click();
    void Label5Click();

    // How the desktop is asked to open a link; tests replace it.
    std::function<void(const QUrl&)> openUrl;

    // The logo file, decoded with libjpeg; a null image when it cannot be.
    static QImage DecodeJpeg(const QByteArray& bytes);
    static QImage Logo();

protected:
    void buildControls() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
