#include "SectionButton.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int GlyphSize = 18;

QPixmap blankGlyph()
{
    QPixmap pixmap(GlyphSize, GlyphSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon tickGlyph()
{
    static const QIcon icon = [] {
        QPixmap pixmap = blankGlyph();
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 128, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(3.5, 9.5);
        tick.lineTo(7.5, 13.5);
        tick.lineTo(14.5, 4.5);
        p.drawPath(tick);
        return QIcon(pixmap);
    }();
    return icon;
}

QIcon questionGlyph()
{
    static const QIcon icon = [] {
        QPixmap pixmap = blankGlyph();
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 64, 160));
        p.drawEllipse(QRectF(1, 1, GlyphSize - 2, GlyphSize - 2));
        QFont font(QStringLiteral("Sans Serif"));
        font.setPixelSize(13);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, GlyphSize, GlyphSize), Qt::AlignCenter, QStringLiteral("?"));
        return QIcon(pixmap);
    }();
    return icon;
}

} // namespace

SectionButton::SectionButton(const QString &objectName, const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
    setObjectName(objectName);
    // The glyph stands right of the caption.
    setLayoutDirection(Qt::RightToLeft);
    setIconSize(QSize(GlyphSize, GlyphSize));
    setIcon(tickGlyph());
}

void SectionButton::setKind(Kind kind)
{
    m_kind = kind;
    setIcon(kind == Done ? tickGlyph() : questionGlyph());
}
