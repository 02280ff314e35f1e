#pragma once
#include "widgets/FormBase.h"

#include <QImage>
#include <functional>

class QLabel;
class QPushButton;
class QUrl;

// The maker's contact address, offered as a mail link (hidden in this product).
inline constexpr const char* MakerMailAddress = "info@velmora.example";

class TFAbout : public FormBase {
    Q_OBJECT
public:
    explicit TFAbout(Workspace& ws, QWidget* parent = nullptr);

    QLabel* Image2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label6;
    QLabel* Label9;
    QLabel* Label3;
    QLabel* Label10;
    QLabel* Label8;
    QLabel* Label12;
    QLabel* Label4;
    QLabel* Label5;
    QPushButton* LbButton1;

    // Web link (also the logo's click) and mail link.
    void Label4Click();
    void Label5Click();

    // How the desktop is asked to open a link; tests replace it.
    std::function<void(const QUrl&)> openUrl;

    // The logo file, decoded with libjpeg; a null image when it cannot be.
    static QImage DecodeJpeg(const QByteArray& bytes);
    static QImage Logo();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
