#include "view/ReflectorIndicatorPanel.h"

#include <QPainter>

TReflectorIndicatorPanel::TReflectorIndicatorPanel(QWidget *AParent)
    : QWidget(AParent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TReflectorIndicatorPanel::SetCircles(const QList<TCircle> &ACircles)
{
    FCircles = ACircles;
    update();
}

void TReflectorIndicatorPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    // Passed circles are white on the white panel: an outline keeps them visible.
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    for (const TCircle &c : std::as_const(FCircles)) {
        p.setBrush(c.fill);
        p.drawEllipse(c.rect);
    }
}
