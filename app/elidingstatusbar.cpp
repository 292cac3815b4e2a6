#include "app/elidingstatusbar.h"

#include <QPainter>
#include <QStyleOption>

namespace {

// The room QStatusBar leaves around its items and its message.
constexpr int ItemMargin = 2;
constexpr int MessageIndent = 4;

} // namespace

ElidingStatusBar::ElidingStatusBar(QWidget* parent) : QStatusBar(parent)
{
    connect(this, &QStatusBar::messageChanged, this,
            [this](const QString& message) { setToolTip(message); });
}

QRect ElidingStatusBar::messageRect() const
{
    int right = width() - ItemMargin;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        // While a message shows, only permanent widgets stay visible.
        if (child->isVisible() && child->geometry().left() > 0) {
            right = std::min(right, child->geometry().left() - ItemMargin);
        }
    }
    return QRect(MessageIndent, 0, std::max(0, right - MessageIndent), height());
}

QString ElidingStatusBar::shownMessage() const
{
    const QString message = currentMessage();
    return fontMetrics().elidedText(message, Qt::ElideRight, messageRect().width());
}

void ElidingStatusBar::paintEvent(QPaintEvent* event)
{
    if (currentMessage().isEmpty()) {
        QStatusBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible()) {
            QStyleOption frame;
            frame.rect = child->geometry().adjusted(-ItemMargin, -1, ItemMargin, 1);
            frame.palette = palette();
            frame.state = QStyle::State_None;
            style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &painter, child);
        }
    }
    painter.setPen(palette().windowText().color());
    painter.drawText(messageRect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                     shownMessage());
}
