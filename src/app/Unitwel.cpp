#include "Unitwel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>


namespace {

constexpr int PictureWidth = 800;
constexpr int PictureHeight = 600;

QFont songFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void drawCentred(QPainter &p, int top, int height, const QFont &font, const QColor &colour,
                 const QString &text)
{
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRect(0, top, PictureWidth, height), Qt::AlignCenter, text);
}

} // namespace

Tformwel::Tformwel(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("formwel"));
    setWindowTitle(QStringLiteral("国家DravikLumet〔V5.0〕"));
    setFixedSize(807, 600);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(0, 0, PictureWidth, PictureHeight);
    image->setPixmap(picture());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    connect(Timer1, &QTimer::timeout, this, &Tformwel::Timer1Timer);
    Timer1->start();
}

void Tformwel::showSplash()
{
    if (m_timeIsUp)
        return;
    exec();
}

void Tformwel::Timer1Timer()
{
    Timer1->stop();
    m_timeIsUp = true;
    close();
}

void Tformwel::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

QPixmap Tformwel::picture()
{
    QPixmap pixmap(PictureWidth, PictureHeight);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient background(0, 0, 0, PictureHeight);
    background.setColorAt(0.0, QColor(250, 246, 236));
    background.setColorAt(1.0, QColor(236, 228, 210));
    p.fillRect(pixmap.rect(), background);

    const QColor red(140, 20, 20);
    const QColor ink(40, 30, 30);
    // A double frame and two rules around the title, like a printed form.
    p.setPen(QPen(red, 4));
    p.drawRect(QRectF(18, 18, PictureWidth - 36, PictureHeight - 36));
    p.setPen(QPen(red, 1));
    p.drawRect(QRectF(28, 28, PictureWidth - 56, PictureHeight - 56));
    p.fillRect(QRect(120, 170, PictureWidth - 240, 3), red);
    p.fillRect(QRect(120, 372, PictureWidth - 240, 3), red);

    drawCentred(p, 80, 60, songFont(26), ink, QStringLiteral("国  家"));
    drawCentred(p, 190, 90, songFont(72, true), red, QStringLiteral("DravikLumet"));
    drawCentred(p, 290, 60, songFont(36), ink, QStringLiteral("科技成果登记管理"));
    drawCentred(p, 400, 50, songFont(28), ink, QStringLiteral("〔V5.0〕"));
    drawCentred(p, 500, 40, songFont(16), QColor(90, 80, 70),
                QStringLiteral("正在启动，请稍候……"));
    return pixmap;
}
