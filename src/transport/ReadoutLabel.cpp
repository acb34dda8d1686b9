#include "transport/ReadoutLabel.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace kadrel {

void ReadoutLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect room = contentsRect();
    QFont fitting = font();
    // Text does not scale quite in step with the font: a second try is sometimes needed.
    for (int wide; (wide = QFontMetrics(fitting).horizontalAdvance(text())) > room.width();)
        fitting.setPointSizeF(fitting.pointSizeF() * std::min(0.97, double(room.width()) / wide));
    painter.setFont(fitting);
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), text(),
                          foregroundRole());
}

}  // namespace kadrel
