#include "gui/tools/AboutWindow.h"

#include "core/project/Workspace.h"

#include "gui/widgets/Controls.h"

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

void JpegNoMessage(j_common_ptr) {}

} // namespace

QImage TFAbout::DecodeJpeg(const QByteArray& bytes) {
    // Everything that longjmp may cross is plain data declared before setjmp.
    jpeg_decompress_struct cinfo{};
    JpegError err{};
    std::vector<unsigned char> pixels;
    unsigned width = 0, height = 0;
    if (bytes.isEmpty()) return {};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegErrorExit;
    err.mgr.output_message = JpegNoMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    width = cinfo.output_width;
    height = cinfo.output_height;
    pixels.resize(size_t(width) * height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        unsigned char* row = pixels.data() + size_t(cinfo.output_scanline) * width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    QImage img(int(width), int(height), QImage::Format_RGB888);
    for (unsigned y = 0; y < height; ++y)
        memcpy(img.scanLine(int(y)), pixels.data() + size_t(y) * width * 3, size_t(width) * 3);
    return img;
}

QImage TFAbout::Logo() {
    Q_INIT_RESOURCE(assets);
    QFile f(":/tessaro/logo.jpg");
    if (!f.open(QIODevice::ReadOnly)) return {};
    return DecodeJpeg(f.readAll());
}

TFAbout::TFAbout(Workspace& ws, QWidget* parent, Build build)
    : FormBase(ws, parent, {"FAbout", "About...", {406, 152}, Fixed, ToolFrame}) {
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    buildIfNow(build);
}

void TFAbout::buildControls() {
    Image2 = NewControl<QLabel>(this, "Image2", {}, {10, 10, 81, 81});
    Image2->setScaledContents(true);
    Image2->setPixmap(QPixmap::fromImage(Logo()));
    Image2->setCursor(Qt::PointingHandCursor);

    const int x = 106, v = 226;
    Label1 = NewControl<QLabel>(this, "Label1", "Software Tessaro ", {x, 8, 290, 20});
    QFont big = Label1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.25);
    Label1->setFont(big);
    Label2 = NewControl<QLabel>(this, "Label2", "Gateway Serial Master to DeviceNet Slave",
                                {x, 30, 290, 18});
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label6 = NewControl<QLabel>(this, "Label6", "Software Code : ", {x, 54, 118, 17});
    Label9 = NewControl<QLabel>(this, "Label9", "KT52830", {v, 54, 160, 17});
    Label3 = NewControl<QLabel>(this, "Label3", "Version :", {x, 72, 118, 17});
    Label10 = NewControl<QLabel>(this, "Label10", "1.000", {v, 72, 160, 17});
    Label8 = NewControl<QLabel>(this, "Label8", "Document Code :", {x, 90, 118, 17});
    Label12 = NewControl<QLabel>(this, "Label12", "DL52830", {v, 90, 160, 17});

    Label4 = NewControl<QLabel>(this, "Label4", MakerHomeText, {10, 124, 200, 18});
    Label4->setToolTip(MakerHomeUrl);
    Label5 = NewControl<QLabel>(this, "Label5", MakerMailAddress, {10, 104, 200, 18});
    Label5->setVisible(false);
    for (QLabel* link : {Label4, Label5}) {
        link->setCursor(Qt::PointingHandCursor);
        QFont f = link->font();
        f.setUnderline(true);
        link->setFont(f);
        QPalette p = link->palette();
        p.setColor(QPalette::WindowText, QColor(0x1d, 0x4f, 0x91));
        link->setPalette(p);
    }
    for (QLabel* clickable : {Image2, Label4, Label5})
        clickable->installEventFilter(this);

    LbButton1 = NewControl<QPushButton>(this, "LbButton1", "OK", {316, 116, 80, 28});
    LbButton1->setDefault(true);
    connect(LbButton1, &QPushButton::clicked, this, [this] { done(Accepted); });
}

bool TFAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Image2 || watched == Label4) {
            Label4Click();
            return true;
        }
        if (watched == Label5) {
            Label5Click();
            return true;
        }
    }
    return FormBase::eventFilter(watched, event);
}

void TFAbout::Label4Click() {
    openUrl(QUrl(MakerHomeUrl));
}

void TFAbout::Label5Click() {
    openUrl(QUrl(QString("mailto:") + MakerMailAddress));
}
